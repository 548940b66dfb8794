// The sound engine behind the audio player: its four commands, the sink it
// reports to, and the loader that brings it up or says why it cannot.
//
// Packaging: the engine that plays for the user (SndfileEngine) is linked into
// the program; nothing is looked up on disk. Loading keeps the three steps of a
// shared library (load the file, check its interface version, create the
// player) so that each step's failure has its own text, and so that tests can
// make any step fail with a loader of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Where an engine reports; each engine documents the thread it calls from.
class EngineSink {
 public:
  virtual ~EngineSink() = default;
  // The length of the input just opened, in whole seconds (frames div rate).
  virtual void StreamDuration(uint32_t seconds) = 0;
  // A playing position; Fractions are hundredths of a second.
  virtual void InputTimecode(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t fractions) = 0;
};

// The commands come from the user-interface thread, in order.
class AudioEngine {
 public:
  virtual ~AudioEngine() = default;
  // Before the first command; the sink outlives the engine.
  virtual void SetSink(EngineSink* sink) = 0;
  // Replaces any input at once; an unreadable file leaves the engine silent with no report.
  virtual void Open(const std::string& path) = 0;
  // Starts a freshly opened input at its beginning or resumes after Pause; otherwise does nothing.
  virtual void Play() = 0;
  virtual void Pause() = 0;
  // Ends playing and drops the input; Play then does nothing until the next Open.
  virtual void Stop() = 0;
};

struct EngineVersion {
  int Major = 0;
  int Minor = 0;
};
inline constexpr EngineVersion kEngineApiVersion{3, 8};

class EngineLoader {
 public:
  virtual ~EngineLoader() = default;
  // Throws EXaudioException with the text of the step that failed.
  virtual std::unique_ptr<AudioEngine> Load(const std::string& path) = 0;
};

// A loader in the three steps; Load turns each step's failure into its text:
// "Cannot Load Xaudio DLL (path)", "Xaudio DLL API Mismatch\rExpected 3.8, Got M.m",
// "Cannot Start Xaudio Player".
class StagedEngineLoader : public EngineLoader {
 public:
  std::unique_ptr<AudioEngine> Load(const std::string& path) final;

 protected:
  // False when the library is missing or cannot be loaded.
  virtual bool LoadLibrary(const std::string& path) = 0;
  virtual EngineVersion ApiVersion() = 0;
  // Null when the player cannot be created.
  virtual std::unique_ptr<AudioEngine> CreatePlayer() = 0;
};

// A position split the way the notifications carry it.
struct Timecode {
  uint8_t Hours = 0, Minutes = 0, Seconds = 0, Fractions = 0;
};
Timecode TimecodeOfFrames(int64_t frames, int rate);
uint32_t DurationOfFrames(int64_t frames, int rate);
