// The audio player component: open, play, pause and stop over a sound engine,
// with the position and length of the input reported on the user-interface thread.
//
// The engine is loaded at the first operation through the current EngineLoader
// (see AudioEngine.h for how the engine is packaged); while loading fails,
// every operation tries again and throws the loader's EXaudioException.
// Notifications reach the handlers only through Post, and never after the
// player is destroyed, even when they were posted before.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/vcl/Component.h"

class AudioEngine;
class EngineLoader;
class PlayerRelay;

class TXaudioPlayer : public TComponent {
 public:
  TXaudioPlayer(TComponent* owner, std::string name);
  ~TXaudioPlayer() override;

  // Kept for the layout; the engine's thread priority is its own.
  int Priority = 3;
  // Handed to the loader; the built-in engine needs no file.
  std::string XaudioPath = "xaudio.dll";

  std::function<void(TObject* Sender, uint8_t Hours, uint8_t Minutes, uint8_t Seconds, uint8_t Fractions)>
      OnNotifyInputTimecode;
  std::function<void(TObject* Sender, uint32_t Duration)> OnNotifyStreamDuration;

  // Replaces any input open, playing or paused; an unplayable file is silent and not reported.
  void Open(const std::string& path);
  // Starts a freshly opened input at its beginning, or resumes after Pause.
  void Play();
  // Halts at the current position.
  void Pause();
  // Playing ends; Play does nothing until the next Open.
  void Stop();

  // Runs a notification on the user-interface thread; callable from any thread.
  // Set it before the first operation; without it notifications are dropped.
  std::function<void(std::function<void()>)> Post;

  // The loader every player uses from its next load on; nullptr = the built-in engine.
  static void SetEngineLoader(std::shared_ptr<EngineLoader> loader);

 private:
  AudioEngine& Engine();

  std::shared_ptr<PlayerRelay> relay_;
  std::unique_ptr<AudioEngine> engine_;
};
