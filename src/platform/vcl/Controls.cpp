// State and user actions of the basic controls.
#include "platform/vcl/Controls.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Text.h"
#include "platform/vcl/Forms.h"

TControl::TControl(TComponent* owner, std::string name, TWinControl* parent)
    : TComponent(owner, std::move(name)), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
}

TControl::~TControl() {
  // Only this object's address is of use to the backend now: its derived parts are gone.
  if (Application) Application->GetBackend().ControlDestroyed(*this);
  // The parent is whole here: a parent destroys its children before its own parts go.
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

TWinControl::~TWinControl() {
  while (!children_.empty()) {
    TControl* last = children_.back();
    children_.pop_back();
    last->parent_ = nullptr;
    delete last;
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left, top_ = top, width_ = width, height_ = height;
  Changed();
  // A container's aligned children follow its size; an aligned control is put back in its place.
  if (auto* self = dynamic_cast<TWinControl*>(this)) self->AlignControls();
  if (align_ != TAlign::alNone && parent_) parent_->AlignControls();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
  if (align_ != TAlign::alNone && parent_) parent_->AlignControls();  // the others close up
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
    if (auto* pages = dynamic_cast<const TPageControl*>(c->parent_)) {
      auto all = pages->Pages();
      int index = static_cast<int>(std::find(all.begin(), all.end(), c) - all.begin());
      if (index != pages->ActivePageIndex()) return false;
    }
  }
  return true;
}

bool TControl::UserCanAct() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return Showing();
}

void TControl::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed();
}

void TControl::SetFontColor(TColor color) {
  if (color == fontColor_) return;
  fontColor_ = color;
  Changed();
}

void TControl::Changed() {
  if (Application) Application->GetBackend().ControlChanged(*this);
}

void TControl::RunUserEvent(const TNotifyEvent& event, TObject* sender) {
  if (!event) return;
  if (Application)
    Application->Guard([&] { event(sender); });
  else
    event(sender);
}

void TWinControl::AlignControls() {
  if (aligning_) return;  // the children's own moves land here again
  aligning_ = true;
  int bottom = ClientHeight();
  for (TControl* child : children_) {
    if (child->align_ != TAlign::alBottom || !child->visible_) continue;
    bottom -= child->height_;
    child->SetBounds(0, bottom, ClientWidth(), child->height_);
  }
  aligning_ = false;
}

bool TWinControl::CanFocus() const { return UserCanAct(); }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (Application) Application->GetBackend().FocusControl(*this);
}

TButton::TButton(TComponent* owner, std::string name, TWinControl* parent, const char* className)
    : TWinControl(owner, std::move(name), parent), className_(className) {}

void TButton::Click() {
  if (OnClick) OnClick(this);
}

void TButton::UserClick() {
  if (UserCanAct()) RunUserEvent(OnClick, this);
}

TCheckBox::TCheckBox(TComponent* owner, std::string name, TWinControl* parent, const char* className)
    : TWinControl(owner, std::move(name), parent), className_(className) {}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed();
}

void TCheckBox::UserToggle() {
  if (!UserCanAct()) return;
  SetChecked(!checked_);
  RunUserEvent(OnChange, this);
}

TRadioButton::TRadioButton(TComponent* owner, std::string name, TWinControl* parent)
    : TWinControl(owner, std::move(name), parent) {}

void TRadioButton::SetChecked(bool checked) {
  if (checked && Parent()) {
    for (TControl* sibling : Parent()->Controls()) {
      auto* radio = dynamic_cast<TRadioButton*>(sibling);
      if (radio && radio != this && radio->checked_) {
        radio->checked_ = false;
        radio->Changed();
      }
    }
  }
  if (checked == checked_) return;
  checked_ = checked;
  Changed();
}

void TRadioButton::UserClick() {
  if (!UserCanAct()) return;
  SetChecked(true);
  RunUserEvent(OnChange, this);
}

TLabel::TLabel(TComponent* owner, std::string name, TWinControl* parent, const char* className)
    : TControl(owner, std::move(name), parent), className_(className) {
  TabStop = IsLink();
}

bool TLabel::IsLink() const { return std::string(className_) == "TsWebLabel"; }

void TLabel::UserClick() {
  if (UserCanAct()) RunUserEvent(OnClick, this);
}

void TEdit::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Changed();
}

void TEdit::UserEdit(std::string text) {
  if (UserCanAct()) SetText(std::move(text));
}

TMemo::TMemo(TComponent* owner, std::string name, TWinControl* parent) : TWinControl(owner, std::move(name), parent) {
  Lines.OnChange = [this] { Changed(); };
}

bool TMemo::UserKeyPress(char32_t key) {
  if (!UserCanAct()) return false;
  if (OnKeyPress) Application->Guard([&] { OnKeyPress(this, key); });
  return key != 0;
}

void TMemo::UserEdit(const std::string& text) {
  if (UserCanAct()) Lines.Assign(SplitLines(text));
}

TComboBox::TComboBox(TComponent* owner, std::string name, TWinControl* parent)
    : TWinControl(owner, std::move(name), parent) {
  Items.OnChange = [this] { Changed(); };
}

void TComboBox::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Changed();
}

void TComboBox::UserEdit(std::string text) {
  if (UserCanAct()) SetText(std::move(text));
}

TListBox::TListBox(TComponent* owner, std::string name, TWinControl* parent)
    : TWinControl(owner, std::move(name), parent) {
  Items.OnChange = [this] { Changed(); };
}

TDateTimePicker::TDateTimePicker(TComponent* owner, std::string name, TWinControl* parent, TDateTimeKind kind)
    : TWinControl(owner, std::move(name), parent), kind_(kind) {}

TDateTime TDateTimePicker::Date() const { return DateOf(value_); }
TDateTime TDateTimePicker::Time() const { return TimeOf(value_); }

void TDateTimePicker::SetDateTime(TDateTime value) {
  if (value == value_) return;
  value_ = value;
  Changed();
}

void TDateTimePicker::SetDate(TDateTime date) { SetDateTime(DateOf(date) + Time()); }
void TDateTimePicker::SetTime(TDateTime time) { SetDateTime(Date() + TimeOf(time)); }

void TDateTimePicker::UserSetDateTime(TDateTime value) {
  if (UserCanAct()) SetDateTime(value);
}

void TSpinEdit::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Changed();
}

int TSpinEdit::Clamp(long long value) const {
  if (MinValue != 0 || MaxValue != 0) value = std::clamp<long long>(value, MinValue, MaxValue);
  return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

int TSpinEdit::Value() const {
  long long value = 0;
  return TryStrToInt(text_, value) ? Clamp(value) : MinValue;
}

void TSpinEdit::SetValue(int value) { SetText(IntToStr(Clamp(value))); }

bool TSpinEdit::UserMayEdit(const std::string& text) {
  if (!UserCanAct()) return false;
  // Every character it takes is ASCII, so any byte of a longer UTF-8 character is refused too.
  bool allowed = std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  });
  if (!allowed && Application) Application->GetBackend().Beep();
  return allowed;
}

void TSpinEdit::UserEdit(std::string text) {
  if (UserMayEdit(text)) SetText(std::move(text));
}

void TSpinEdit::UserStep(int delta) {
  if (UserCanAct()) SetValue(Clamp(static_cast<long long>(Value()) + delta));
}

std::vector<TTabSheet*> TPageControl::Pages() const {
  std::vector<TTabSheet*> pages;
  for (TControl* c : Controls())
    if (auto* page = dynamic_cast<TTabSheet*>(c)) pages.push_back(page);
  return pages;
}

void TPageControl::SetActivePageIndex(int index) {
  if (index == active_) return;
  active_ = index;
  Changed();
}

void TPageControl::UserSelectPage(int index) {
  if (UserCanAct() && index >= 0 && index < static_cast<int>(Pages().size())) SetActivePageIndex(index);
}

void TStatusPanel::SetText(std::string value) {
  if (value == text) return;
  text = std::move(value);
  if (bar) bar->PanelChanged();
}

void TStatusBar::AddPanel(std::string text, int width) {
  panels_.push_back(TStatusPanel{std::move(text), width, this});
  for (auto& panel : panels_) panel.bar = this;  // the vector may have moved them
  Changed();
}
