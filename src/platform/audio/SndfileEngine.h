// The engine that plays for the user: decodes MP3 and WAV with libsndfile on a
// thread of its own and writes to the sound server, or, when there is none, to
// a silent output paced by the real-time clock so that positions, length and
// end of stream behave just the same.
//
// The sound server is tried again at every Open that follows a failure, since
// the user may start it while the program runs; the fall-back to silence is
// told once per process on stderr.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/audio/AudioEngine.h"

struct SndfileEngineOptions {
  enum class Output { SoundServer, Silent };
  // Silent: never contacts a sound server (tests and benchmarks).
  Output output = Output::SoundServer;
  // Measuring hook: runs on the engine's thread when the first samples after a Play reach the output.
  std::function<void()> onFirstWrite;
};

// Reports to its sink from its own thread. Commands never wait for decoding.
class SndfileEngine : public AudioEngine {
 public:
  // Throws std::system_error when the thread cannot be started.
  explicit SndfileEngine(SndfileEngineOptions options = {});
  ~SndfileEngine() override;

  void SetSink(EngineSink* sink) override;
  void Open(const std::string& path) override;
  void Play() override;
  void Pause() override;
  void Stop() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The built-in engine as a loader: there is no file to load, it reports the
// expected version, and fails to start only when its thread cannot be created.
class BuiltinEngineLoader : public StagedEngineLoader {
 public:
  explicit BuiltinEngineLoader(SndfileEngineOptions options = {}) : options_(std::move(options)) {}
  // The loader the program uses.
  static std::shared_ptr<EngineLoader> Shared();

 protected:
  bool LoadLibrary(const std::string& path) override { return true; }
  EngineVersion ApiVersion() override { return kEngineApiVersion; }
  std::unique_ptr<AudioEngine> CreatePlayer() override;

 private:
  SndfileEngineOptions options_;
};
