// Pop-up menu and its items.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Component.h"

class TMenuItem : public TComponent {
 public:
  TMenuItem(TComponent* owner, std::string name, std::string caption);
  const std::string& Caption() const { return caption_; }
  bool IsSeparator() const { return caption_ == "-"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TNotifyEvent OnClick;
  void Click();      // from code: runs even when disabled
  void UserClick();  // from the menu: only when enabled

 private:
  std::string caption_;
  bool enabled_ = true;
};

class TPopupMenu : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<TMenuItem*> Items;
  TMenuItem* Add(std::string name, std::string caption);
  // Opens with its right edge at the point.
  void Popup(int x, int y);
};
