// A playback stream on the sound server, for the engine's decoded samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

class PulseOutput {
 public:
  // Null when no server can be reached; *reason then says why. The server is
  // the one libpulse finds by itself (PULSE_SERVER, client.conf, the session).
  // The stream carries the program's name, its desktop entry id and icon, so
  // that volume mixers show who plays.
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
  PulseOutput(int rate, int channels) : rate_(rate), channels_(channels) {}
  std::string Error() const;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  int rate_;
  int channels_;
};
