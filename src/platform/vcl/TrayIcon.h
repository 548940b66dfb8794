// The notification-area icon: its picture, hint, animation, menu and the
// minimize/restore of the application. The backend only shows ShownPicture().
#pragma once

#include <string>

#include "platform/vcl/Component.h"
#include "platform/vcl/Graphics.h"

class TImageList;
class TPopupMenu;
class TTimer;

enum TTrayIconMessage {
  imClick, imDoubleClick, imMouseDown, imMouseUp, imLeftClickUp,
  imLeftDoubleClick, imRightClickUp, imRightDoubleClick, imNone
};

enum class MouseButton { Left, Right, Middle };

class TTrayIcon : public TComponent {
 public:
  TTrayIcon(TComponent* owner, std::string name);
  ~TTrayIcon() override;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const std::string& Hint() const { return hint_; }
  // A text of 64 GBK bytes or more is not taken.
  void SetHint(std::string hint);
  TPopupMenu* PopupMenu = nullptr;
  TTrayIconMessage PopupMenuOn = imRightClickUp;
  TTrayIconMessage RestoreOn = imNone;
  bool Hide = true;  // minimizing also hides the taskbar button

  TImageList* Icons() const { return icons_; }
  // The picture changes at the next animation step, not now.
  void SetIcons(TImageList* icons) { icons_ = icons; }
  int IconIndex() const { return iconIndex_; }
  // Shows that picture of the current list at once.
  void SetIconIndex(int index);
  bool Animate() const;
  void SetAnimate(bool animate);
  int AnimateInterval() const;
  void SetAnimateInterval(int interval);
  // One step: the next picture of the current list, wrapping to the first.
  void AnimateStep();
  const TBitmap* ShownPicture() const { return shown_; }

  TNotifyEvent OnClick;
  // A mouse button released over the icon.
  void UserMouseUp(MouseButton button, int x, int y);

  // The application disappears into the tray, or comes back to the front.
  void Minimize();
  void Restore();

 private:
  void TakePicture();
  void Changed();
  bool visible_ = false;
  std::string hint_;
  TImageList* icons_ = nullptr;
  int iconIndex_ = 0;
  const TBitmap* shown_ = nullptr;
  TTimer* animator_;
  bool animate_ = false;
  int animateInterval_ = 1000;
};
