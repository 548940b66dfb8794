// A playback stream on the sound server. The simple API cannot name the program beyond its
// title, so the stream is driven through the threaded main loop, as that API does inside:
// every call takes the loop's lock and waits on its signal, which the callbacks give.
#include "platform/audio/PulseOutput.h"

#include <pulse/error.h>
#include <pulse/thread-mainloop.h>
#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>

#include "platform/os/AppId.h"

namespace {

// C callbacks: they only wake the caller waiting on the loop.
void Wake(pa_threaded_mainloop* loop) { pa_threaded_mainloop_signal(loop, 0); }
void ContextChanged(pa_context*, void* loop) { Wake(static_cast<pa_threaded_mainloop*>(loop)); }
void StreamChanged(pa_stream*, void* loop) { Wake(static_cast<pa_threaded_mainloop*>(loop)); }
void StreamRequest(pa_stream*, size_t, void* loop) { Wake(static_cast<pa_threaded_mainloop*>(loop)); }
void OperationDone(pa_stream*, int, void* loop) { Wake(static_cast<pa_threaded_mainloop*>(loop)); }

// Who plays: the program's name, and the desktop entry whose icon the mixer shows.
pa_proplist* Identity() {
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tamiro");
  pa_proplist_sets(props, PA_PROP_APPLICATION_ID, kDesktopEntryId);
  pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, kDesktopEntryId);
  return props;
}

class Lock {
 public:
  explicit Lock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~Lock() { pa_threaded_mainloop_unlock(loop_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::Connect(int rate, int channels, std::string* reason) {
  pa_sample_spec format{};
  format.format = PA_SAMPLE_FLOAT32NE;
  format.rate = static_cast<uint32_t>(rate);
  format.channels = static_cast<uint8_t>(channels);
  if (!pa_sample_spec_valid(&format)) {
    *reason = "unsupported sample format";
    return nullptr;
  }
  std::unique_ptr<PulseOutput> out(new PulseOutput(rate, channels));
  out->loop_ = pa_threaded_mainloop_new();
  if (!out->loop_) {
    *reason = "no main loop";
    return nullptr;
  }
  pa_proplist* props = Identity();
  out->context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(out->loop_), "Tamiro", props);
  pa_proplist_free(props);
  if (!out->context_) {
    *reason = "no context";
    return nullptr;
  }
  pa_context_set_state_callback(out->context_, ContextChanged, out->loop_);
  if (pa_context_connect(out->context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
    *reason = out->Error();
    return nullptr;
  }
  Lock lock(out->loop_);
  if (pa_threaded_mainloop_start(out->loop_) < 0) {
    *reason = "main loop not started";
    return nullptr;
  }
  for (;;) {
    pa_context_state_t state = pa_context_get_state(out->context_);
    if (state == PA_CONTEXT_READY) break;
    if (!PA_CONTEXT_IS_GOOD(state)) {
      *reason = out->Error();
      return nullptr;
    }
    pa_threaded_mainloop_wait(out->loop_);
  }

  props = Identity();
  pa_proplist_sets(props, PA_PROP_MEDIA_NAME, "闹钟");
  out->stream_ = pa_stream_new_with_proplist(out->context_, "闹钟", &format, nullptr, props);
  pa_proplist_free(props);
  if (!out->stream_) {
    *reason = out->Error();
    return nullptr;
  }
  pa_stream_set_state_callback(out->stream_, StreamChanged, out->loop_);
  pa_stream_set_write_callback(out->stream_, StreamRequest, out->loop_);
  pa_stream_set_latency_update_callback(out->stream_, StreamChanged, out->loop_);
  // A short buffer (about 200 ms) keeps the reported position close to what is
  // heard and lets pause take effect quickly.
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(200 * 1000, &format));
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(-1);
  auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_ADJUST_LATENCY |
                                              PA_STREAM_AUTO_TIMING_UPDATE);
  if (pa_stream_connect_playback(out->stream_, nullptr, &attr, flags, nullptr, nullptr) < 0) {
    *reason = out->Error();
    return nullptr;
  }
  for (;;) {
    pa_stream_state_t state = pa_stream_get_state(out->stream_);
    if (state == PA_STREAM_READY) break;
    if (!PA_STREAM_IS_GOOD(state)) {
      *reason = out->Error();
      return nullptr;
    }
    pa_threaded_mainloop_wait(out->loop_);
  }
  return out;
}

PulseOutput::~PulseOutput() {
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (stream_) pa_stream_unref(stream_);
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

std::string PulseOutput::Error() const { return pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_UNKNOWN); }

bool PulseOutput::Write(const float* samples, std::size_t frames, std::string* reason) {
  const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(channels_);
  const auto* data = reinterpret_cast<const char*>(samples);
  std::size_t left = frames * frameBytes;
  Lock lock(loop_);
  while (left > 0) {
    std::size_t room = 0;
    for (;;) {
      if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
        *reason = Error();
        return false;
      }
      room = pa_stream_writable_size(stream_);
      if (room == static_cast<std::size_t>(-1)) {
        *reason = Error();
        return false;
      }
      room -= room % frameBytes;  // whole frames only
      if (room > 0) break;
      pa_threaded_mainloop_wait(loop_);
    }
    if (room > left) room = left;
    if (pa_stream_write(stream_, data, room, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
      *reason = Error();
      return false;
    }
    data += room;
    left -= room;
  }
  return true;
}

void PulseOutput::Flush() {
  Lock lock(loop_);
  pa_operation* op = pa_stream_flush(stream_, OperationDone, loop_);
  if (!op) return;
  while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(loop_);
  pa_operation_unref(op);
}

int64_t PulseOutput::LatencyMicros() {
  Lock lock(loop_);
  for (;;) {
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) return 0;
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &latency, &negative) >= 0) return negative ? 0 : static_cast<int64_t>(latency);
    if (pa_context_errno(context_) != PA_ERR_NODATA) return 0;
    pa_threaded_mainloop_wait(loop_);  // the first timing update is on its way
  }
}
