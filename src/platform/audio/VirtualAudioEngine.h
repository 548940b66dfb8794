// A sound engine on a virtual clock for deterministic tests: it reads the real
// length of each file but plays only as far as the test's clock has moved,
// reporting straight to its sink on the caller's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/AudioEngine.h"

class VirtualEngineHub;

class VirtualAudioEngine : public AudioEngine {
 public:
  VirtualAudioEngine() = default;
  ~VirtualAudioEngine() override;

  void SetSink(EngineSink* sink) override { sink_ = sink; }
  // Reads the frame count and rate; reports the length at once. Unreadable: silent, no report.
  void Open(const std::string& path) override;
  void Play() override;
  void Pause() override;
  void Stop() override;

  // The clock moved to nowMs (steps of at most 100 ms). While playing, reports
  // the position reached, and at the end the last one that reads as the length.
  void OnClock(int64_t nowMs);

  bool Playing() const { return state_ == State::Playing; }
  // The file last opened successfully, empty after Stop or an unreadable file.
  const std::string& InputPath() const { return path_; }
  // Frames played since the open.
  int64_t Frames() const { return frames_; }

 private:
  friend class VirtualEngineLoader;
  enum class State { Idle, Ready, Playing };
  void Report(int64_t frames);

  EngineSink* sink_ = nullptr;
  std::shared_ptr<VirtualEngineHub> hub_;  // the loader's list of live engines, when it made this one
  State state_ = State::Idle;
  std::string path_;
  int rate_ = 0;
  int64_t totalFrames_ = 0;
  int64_t frames_ = 0;
  std::optional<int64_t> lastNowMs_;
  // Play started (or resumed) at anchorMs_ with anchorFrames_ played; no anchor until the clock is known.
  std::optional<int64_t> anchorMs_;
  int64_t anchorFrames_ = 0;
};

enum class LoadStep { LoadLibrary, ApiVersion, CreatePlayer };

// Makes VirtualAudioEngines and passes its clock on to every one still alive.
// Can be told to fail its next loads, to show the player's load errors.
class VirtualEngineLoader : public StagedEngineLoader {
 public:
  VirtualEngineLoader();
  ~VirtualEngineLoader() override;

  // The next `count` loads fail at `step` (count < 0: all of them); a failing
  // version check reports `reported`.
  void FailLoads(LoadStep step, int count, EngineVersion reported = {2, 1});
  int LoadAttempts() const { return attempts_; }
  // Tells every live engine of this loader that the clock moved.
  void OnClock(int64_t nowMs);
  // The engine made last, while it lives.
  VirtualAudioEngine* LastEngine() const;

 protected:
  bool LoadLibrary(const std::string& path) override;
  EngineVersion ApiVersion() override;
  std::unique_ptr<AudioEngine> CreatePlayer() override;

 private:
  bool Failing(LoadStep step) const;
  std::shared_ptr<VirtualEngineHub> hub_;
  LoadStep failStep_ = LoadStep::LoadLibrary;
  int failCount_ = 0;
  bool failingThisLoad_ = false;
  EngineVersion reported_{2, 1};
  int attempts_ = 0;
};
