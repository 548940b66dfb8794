// A playback stream on the sound server through the simple API.
#include "platform/audio/PulseOutput.h"

#include <pulse/error.h>
#include <pulse/simple.h>

std::unique_ptr<PulseOutput> PulseOutput::Connect(int rate, int channels, std::string* reason) {
  pa_sample_spec format{};
  format.format = PA_SAMPLE_FLOAT32NE;
  format.rate = static_cast<uint32_t>(rate);
  format.channels = static_cast<uint8_t>(channels);
  if (!pa_sample_spec_valid(&format)) {
    *reason = "unsupported sample format";
    return nullptr;
  }
  // A short buffer (about 200 ms) keeps the reported position close to what is
  // heard and lets pause take effect quickly.
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(200 * 1000, &format));
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(-1);
  int error = 0;
  pa_simple* stream =
      pa_simple_new(nullptr, "Tamiro", PA_STREAM_PLAYBACK, nullptr, "闹钟", &format, nullptr, &attr, &error);
  if (!stream) {
    *reason = pa_strerror(error);
    return nullptr;
  }
  return std::unique_ptr<PulseOutput>(new PulseOutput(stream, rate, channels));
}

PulseOutput::~PulseOutput() { pa_simple_free(stream_); }

bool PulseOutput::Write(const float* samples, std::size_t frames, std::string* reason) {
  int error = 0;
  if (pa_simple_write(stream_, samples, frames * channels_ * sizeof(float), &error) < 0) {
    *reason = pa_strerror(error);
    return false;
  }
  return true;
}

void PulseOutput::Flush() {
  int error = 0;
  pa_simple_flush(stream_, &error);
}

int64_t PulseOutput::LatencyMicros() {
  int error = 0;
  pa_usec_t latency = pa_simple_get_latency(stream_, &error);
  return latency == static_cast<pa_usec_t>(-1) ? 0 : static_cast<int64_t>(latency);
}
