// Pop-up menu items.
#include "platform/vcl/Menus.h"

#include "platform/vcl/Forms.h"

TMenuItem::TMenuItem(TComponent* owner, std::string name, std::string caption)
    : TComponent(owner, std::move(name)), caption_(std::move(caption)) {}

void TMenuItem::SetEnabled(bool enabled) { enabled_ = enabled; }

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::UserClick() {
  if (enabled_ && !IsSeparator() && OnClick) Application->Guard([this] { OnClick(this); });
}

TMenuItem* TPopupMenu::Add(std::string name, std::string caption) {
  Items.push_back(new TMenuItem(this, std::move(name), std::move(caption)));
  return Items.back();
}

void TPopupMenu::Popup(int x, int y) { Application->GetBackend().PopupMenu(*this, x, y); }
