// The audio player component: loads its engine on first use and carries the
// engine's reports over to the user-interface thread.
#include "platform/audio/XaudioPlayer.h"

#include <atomic>
#include <mutex>

#include "platform/audio/AudioEngine.h"
#include "platform/audio/SndfileEngine.h"

// The engine's sink. It outlives the player inside every notification already
// posted, and a notification whose player is gone does nothing.
class PlayerRelay : public EngineSink, public std::enable_shared_from_this<PlayerRelay> {
 public:
  explicit PlayerRelay(TXaudioPlayer* player) : player_(player) {}

  void Detach() { player_.store(nullptr); }
  void SetPost(const std::function<void(std::function<void()>)>& post) {
    std::lock_guard lock(mutex_);
    post_ = post;
  }

  void StreamDuration(uint32_t seconds) override {
    Deliver([seconds](TXaudioPlayer& p) {
      if (p.OnNotifyStreamDuration) p.OnNotifyStreamDuration(&p, seconds);
    });
  }
  void InputTimecode(uint8_t h, uint8_t m, uint8_t s, uint8_t f) override {
    Deliver([h, m, s, f](TXaudioPlayer& p) {
      if (p.OnNotifyInputTimecode) p.OnNotifyInputTimecode(&p, h, m, s, f);
    });
  }

 private:
  template <typename Fn>
  void Deliver(Fn notify) {
    std::function<void(std::function<void()>)> post;
    {
      std::lock_guard lock(mutex_);
      post = post_;
    }
    if (!post) return;
    post([self = shared_from_this(), notify] {
      if (TXaudioPlayer* p = self->player_.load()) notify(*p);
    });
  }

  std::atomic<TXaudioPlayer*> player_;
  std::mutex mutex_;  // the engine's thread reads post_ while the owner may set it
  std::function<void(std::function<void()>)> post_;
};

namespace {

std::shared_ptr<EngineLoader>& ChosenLoader() {
  static std::shared_ptr<EngineLoader> loader;
  return loader;
}

}  // namespace

TXaudioPlayer::TXaudioPlayer(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name)), relay_(std::make_shared<PlayerRelay>(this)) {}

TXaudioPlayer::~TXaudioPlayer() {
  relay_->Detach();
  engine_.reset();  // joins the engine's thread: no report comes after this
}

void TXaudioPlayer::SetEngineLoader(std::shared_ptr<EngineLoader> loader) { ChosenLoader() = std::move(loader); }

AudioEngine& TXaudioPlayer::Engine() {
  relay_->SetPost(Post);
  if (!engine_) {
    std::shared_ptr<EngineLoader> loader = ChosenLoader();
    if (!loader) loader = BuiltinEngineLoader::Shared();
    std::unique_ptr<AudioEngine> engine = loader->Load(XaudioPath);
    engine->SetSink(relay_.get());
    engine_ = std::move(engine);
  }
  return *engine_;
}

void TXaudioPlayer::Open(const std::string& path) { Engine().Open(path); }
void TXaudioPlayer::Play() { Engine().Play(); }
void TXaudioPlayer::Pause() { Engine().Pause(); }
void TXaudioPlayer::Stop() { Engine().Stop(); }
