// A playback stream on the sound server, for the engine's decoded samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct pa_simple;

class PulseOutput {
 public:
  // Null when no server can be reached; *reason then says why. The server is
  // the one libpulse finds by itself (PULSE_SERVER, client.conf, the session).
  static std::unique_ptr<PulseOutput> Connect(int rate, int channels, std::string* reason);
  ~PulseOutput();

  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  // Interleaved float samples; blocks while the server's buffer is full.
  bool Write(const float* samples, std::size_t frames, std::string* reason);
  // Drops what is buffered, so a stop is heard at once.
  void Flush();
  // How long the samples written so far still take to be heard.
  int64_t LatencyMicros();

 private:
  PulseOutput(pa_simple* stream, int rate, int channels) : stream_(stream), rate_(rate), channels_(channels) {}
  pa_simple* stream_;
  int rate_;
  int channels_;
};
