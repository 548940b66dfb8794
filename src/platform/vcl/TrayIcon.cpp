// The tray icon model: picture, animation, mouse and minimize/restore.
#include "platform/vcl/TrayIcon.h"

#include "platform/rtl/Text.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImageList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Timer.h"

TTrayIcon::TTrayIcon(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name)), animator_(new TTimer(this, this->Name() + ".Animator")) {
  animator_->OnTimer = [this](TObject*) { AnimateStep(); };
  if (Application)
    Application->OnMinimize = [this] { Minimize(); };
}

TTrayIcon::~TTrayIcon() {
  if (Application) {
    if (visible_) Application->GetBackend().TrayRemoved(*this);
    Application->OnMinimize = nullptr;
  }
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (!Application) return;
  if (visible_) {
    TakePicture();
    Changed();
  } else {
    Application->GetBackend().TrayRemoved(*this);
  }
  animator_->SetInterval(visible_ && animate_ ? animateInterval_ : 0);
}

void TTrayIcon::SetHint(std::string hint) {
  if (GbkByteLength(hint) >= 64) return;
  hint_ = std::move(hint);
  Changed();
}

void TTrayIcon::SetIconIndex(int index) {
  iconIndex_ = index;
  TakePicture();
  Changed();
}

bool TTrayIcon::Animate() const { return animate_; }

void TTrayIcon::SetAnimate(bool animate) {
  animate_ = animate;
  animator_->SetInterval(visible_ && animate_ ? animateInterval_ : 0);
}

int TTrayIcon::AnimateInterval() const { return animateInterval_; }

void TTrayIcon::SetAnimateInterval(int interval) {
  animateInterval_ = interval;
  if (animator_->Interval() > 0) animator_->SetInterval(interval);
}

void TTrayIcon::AnimateStep() {
  int count = icons_ ? icons_->Count() : 0;
  iconIndex_ = iconIndex_ < count - 1 ? iconIndex_ + 1 : 0;
  TakePicture();
  Changed();
}

void TTrayIcon::TakePicture() {
  if (icons_ && iconIndex_ >= 0 && iconIndex_ < icons_->Count()) shown_ = &icons_->Image(iconIndex_);
}

void TTrayIcon::Changed() {
  if (Application && visible_) Application->GetBackend().TrayChanged(*this);
}

void TTrayIcon::UserMouseUp(MouseButton button, int x, int y) {
  if (button == MouseButton::Left) {
    if (OnClick) Application->Guard([this] { OnClick(this); });
  } else if (button == MouseButton::Right && PopupMenuOn == imRightClickUp && PopupMenu) {
    Application->GetBackend().BringActiveWindowToFront();
    PopupMenu->Popup(x, y);
  }
}

void TTrayIcon::Minimize() { Application->Minimize(Hide && Application->GetBackend().TrayAvailable()); }

void TTrayIcon::Restore() { Application->Restore(); }
