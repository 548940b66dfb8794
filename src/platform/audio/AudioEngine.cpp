// Loading the sound engine step by step, and the split of positions into h:m:s.
#include "platform/audio/AudioEngine.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"

std::unique_ptr<AudioEngine> StagedEngineLoader::Load(const std::string& path) {
  if (!LoadLibrary(path)) throw EXaudioException("Cannot Load Xaudio DLL (" + path + ")");
  EngineVersion got = ApiVersion();
  if (got.Major != kEngineApiVersion.Major || got.Minor != kEngineApiVersion.Minor)
    throw EXaudioException("Xaudio DLL API Mismatch\rExpected " + std::to_string(kEngineApiVersion.Major) + "." +
                           std::to_string(kEngineApiVersion.Minor) + ", Got " + std::to_string(got.Major) + "." +
                           std::to_string(got.Minor));
  std::unique_ptr<AudioEngine> engine = CreatePlayer();
  if (!engine) throw EXaudioException("Cannot Start Xaudio Player");
  return engine;
}

Timecode TimecodeOfFrames(int64_t frames, int rate) {
  Timecode t;
  if (rate <= 0 || frames <= 0) return t;
  int64_t whole = frames / rate;
  // Hours beyond a byte would need a sound of ten days; hold them at the top.
  t.Hours = static_cast<uint8_t>(std::min<int64_t>(whole / 3600, 255));
  t.Minutes = static_cast<uint8_t>(whole % 3600 / 60);
  t.Seconds = static_cast<uint8_t>(whole % 60);
  t.Fractions = static_cast<uint8_t>(frames % rate * 100 / rate);
  return t;
}

uint32_t DurationOfFrames(int64_t frames, int rate) {
  if (rate <= 0 || frames <= 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(frames / rate, UINT32_MAX));
}
