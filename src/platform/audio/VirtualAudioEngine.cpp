// The virtual-clock engine and its loader.
#include "platform/audio/VirtualAudioEngine.h"

#include <sndfile.h>

#include <algorithm>

// The engines a loader made that are still alive; all on one thread.
class VirtualEngineHub {
 public:
  std::vector<VirtualAudioEngine*> engines;
  std::optional<int64_t> nowMs;  // so that an engine made later knows the time
};

VirtualAudioEngine::~VirtualAudioEngine() {
  if (hub_) std::erase(hub_->engines, this);
}

void VirtualAudioEngine::Open(const std::string& path) {
  state_ = State::Idle;
  path_.clear();
  frames_ = 0;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return;
  sf_close(file);
  if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) return;
  path_ = path;
  rate_ = info.samplerate;
  totalFrames_ = info.frames;
  state_ = State::Ready;
  if (sink_) sink_->StreamDuration(DurationOfFrames(totalFrames_, rate_));
}

void VirtualAudioEngine::Play() {
  if (state_ != State::Ready) return;
  state_ = State::Playing;
  anchorMs_ = lastNowMs_;
  anchorFrames_ = frames_;
}

void VirtualAudioEngine::Pause() {
  // The clock has not moved since the last OnClock, so frames_ is where playing halts.
  if (state_ == State::Playing) state_ = State::Ready;
}

void VirtualAudioEngine::Stop() {
  state_ = State::Idle;
  path_.clear();
  frames_ = 0;
}

void VirtualAudioEngine::OnClock(int64_t nowMs) {
  lastNowMs_ = nowMs;
  if (state_ != State::Playing) return;
  if (!anchorMs_) {
    // Played before the clock was first known: start counting from now.
    anchorMs_ = nowMs;
    anchorFrames_ = frames_;
  }
  int64_t elapsed = std::max<int64_t>(0, nowMs - *anchorMs_);
  frames_ = std::min(totalFrames_, anchorFrames_ + elapsed * rate_ / 1000);
  if (frames_ >= totalFrames_) state_ = State::Idle;
  Report(frames_);
}

void VirtualAudioEngine::Report(int64_t frames) {
  Timecode t = TimecodeOfFrames(frames, rate_);
  if (sink_) sink_->InputTimecode(t.Hours, t.Minutes, t.Seconds, t.Fractions);
}

VirtualEngineLoader::VirtualEngineLoader() : hub_(std::make_shared<VirtualEngineHub>()) {}

VirtualEngineLoader::~VirtualEngineLoader() {
  // Engines outliving their loader just stop hearing the clock.
  for (VirtualAudioEngine* e : hub_->engines) e->hub_.reset();
}

void VirtualEngineLoader::FailLoads(LoadStep step, int count, EngineVersion reported) {
  failStep_ = step;
  failCount_ = count;
  reported_ = reported;
}

bool VirtualEngineLoader::Failing(LoadStep step) const { return failingThisLoad_ && step == failStep_; }

bool VirtualEngineLoader::LoadLibrary(const std::string& path) {
  ++attempts_;
  failingThisLoad_ = failCount_ != 0;
  if (failCount_ > 0) --failCount_;
  return !Failing(LoadStep::LoadLibrary);
}

EngineVersion VirtualEngineLoader::ApiVersion() {
  return Failing(LoadStep::ApiVersion) ? reported_ : kEngineApiVersion;
}

std::unique_ptr<AudioEngine> VirtualEngineLoader::CreatePlayer() {
  if (Failing(LoadStep::CreatePlayer)) return nullptr;
  auto engine = std::make_unique<VirtualAudioEngine>();
  engine->hub_ = hub_;
  engine->lastNowMs_ = hub_->nowMs;
  hub_->engines.push_back(engine.get());
  return engine;
}

void VirtualEngineLoader::OnClock(int64_t nowMs) {
  hub_->nowMs = nowMs;
  // A report may destroy an engine (its player); walk a copy.
  std::vector<VirtualAudioEngine*> engines = hub_->engines;
  for (VirtualAudioEngine* e : engines)
    if (std::find(hub_->engines.begin(), hub_->engines.end(), e) != hub_->engines.end()) e->OnClock(nowMs);
}

VirtualAudioEngine* VirtualEngineLoader::LastEngine() const {
  return hub_->engines.empty() ? nullptr : hub_->engines.back();
}
