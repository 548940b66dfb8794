// The controls: toolkit-free objects that hold all state and raise the events.
//
// Two rules hold for every control. A change event comes only from the user's
// own action (the User* functions a backend calls), never from code setting the
// state. Running a click from code (Click()) runs the handler even when the
// control is disabled; a user's click on a disabled or hidden control does nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Strings.h"

class TWinControl;

// A control asked for something it cannot do now (the focus while hidden).
class EInvalidOperation : public Exception {
  using Exception::Exception;
};

// How a control keeps to its parent's client area as that changes size: alNone stays where it
// is put; alBottom lies along the bottom edge at the whole client width, keeping its height.
enum class TAlign { alNone, alBottom };

class TControl : public TComponent {
 public:
  TControl(TComponent* owner, std::string name, TWinControl* parent);
  // Tells the backend it is gone and leaves its parent's list of children.
  ~TControl() override;

  // The platform class this control stands for ("TsButton", "TListView", …).
  virtual const char* ClassName() const = 0;

  TWinControl* Parent() const { return parent_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  TAlign Align() const { return align_; }
  // Takes its aligned place at once, and again whenever the parent's client size changes.
  void SetAlign(TAlign align);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Visible and enabled, and so are all parents: the user can reach it.
  bool Showing() const;
  bool UserCanAct() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor color);

  // The place among its siblings in the keyboard order; -1: after the numbered ones.
  int TabOrder = -1;
  // Whether the Tab key stops here. Kinds that never take the focus (group boxes, pages,
  // the status bar, pictures, plain labels) start without it.
  bool TabStop = true;

 protected:
  // Tells the backend to show the new state. Never raises an event.
  void Changed();
  // Runs a handler for a user action; an error it raises is reported, not thrown.
  static void RunUserEvent(const TNotifyEvent& event, TObject* sender);

 private:
  friend class TWinControl;
  TWinControl* parent_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  TColor fontColor_ = clWindowText;
};

// A control that holds others. It destroys its child controls, newest first, before
// anything of its own goes, whoever owns them: a child never outlives its parent,
// and each child leaves its owner's list as it goes.
class TWinControl : public TControl {
 public:
  using TControl::TControl;
  ~TWinControl() override;
  const std::vector<TControl*>& Controls() const { return children_; }
  // The area the children are placed in, from the control's own top-left corner.
  virtual int ClientWidth() const { return Width(); }
  virtual int ClientHeight() const { return Height(); }
  // Places the aligned children: the visible bottom-aligned ones stacked up from the bottom
  // edge, the first created lowest. Runs by itself when the client size or an aligned child
  // changes.
  void AlignControls();
  // Throws EInvalidOperation when the control cannot take the focus (hidden,
  // disabled, or on a page that is not showing).
  void SetFocus();
  bool CanFocus() const;

 private:
  friend class TControl;
  std::vector<TControl*> children_;
  bool aligning_ = false;
};

class TButton : public TWinControl {
 public:
  TButton(TComponent* owner, std::string name, TWinControl* parent, const char* className = "TsButton");
  const char* ClassName() const override { return className_; }
  TNotifyEvent OnClick;
  // The click run from code: runs even when disabled; errors reach the caller.
  void Click();
  void UserClick();
  TBitmap Glyph;

 private:
  const char* className_;
};

class TCheckBox : public TWinControl {
 public:
  TCheckBox(TComponent* owner, std::string name, TWinControl* parent, const char* className = "TsCheckBox");
  const char* ClassName() const override { return className_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);  // Does not raise OnChange.
  TNotifyEvent OnChange;
  void UserToggle();  // a click or Space

 private:
  const char* className_;
  bool checked_ = false;
};

class TRadioButton : public TWinControl {
 public:
  TRadioButton(TComponent* owner, std::string name, TWinControl* parent);
  const char* ClassName() const override { return "TsRadioButton"; }
  bool Checked() const { return checked_; }
  // Checking unchecks the other radio buttons of the same parent. Does not raise OnChange.
  void SetChecked(bool checked);
  TNotifyEvent OnChange;
  // Checks it and raises OnChange, also when it was checked already.
  void UserClick();

 private:
  bool checked_ = false;
};

class TLabel : public TControl {
 public:
  TLabel(TComponent* owner, std::string name, TWinControl* parent, const char* className = "TsLabel");
  const char* ClassName() const override { return className_; }
  TNotifyEvent OnClick;  // link labels
  // A click, or Enter or Space while a link label has the focus.
  void UserClick();
  // A link label takes the focus, so the keyboard can reach it.
  bool IsLink() const;

 private:
  const char* className_;
};

class TEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TEdit"; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void UserEdit(std::string text);

 private:
  std::string text_;
};

using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;

class TMemo : public TWinControl {
 public:
  TMemo(TComponent* owner, std::string name, TWinControl* parent);
  const char* ClassName() const override { return "TMemo"; }
  TStrings Lines;
  TKeyPressEvent OnKeyPress;
  // A key that produces a character; returns whether the memo may take it.
  bool UserKeyPress(char32_t key);
  // The text after an edit the user made (only edits that got past the key filter).
  void UserEdit(const std::string& text);
  bool ScrollBarVertical = false;
};

class TComboBox : public TWinControl {
 public:
  TComboBox(TComponent* owner, std::string name, TWinControl* parent);
  const char* ClassName() const override { return "TsComboBox"; }
  TStrings Items;
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void UserEdit(std::string text);

 private:
  std::string text_;
};

class TListBox : public TWinControl {
 public:
  TListBox(TComponent* owner, std::string name, TWinControl* parent);
  const char* ClassName() const override { return "TListBox"; }
  TStrings Items;
};

enum class TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWinControl {
 public:
  TDateTimePicker(TComponent* owner, std::string name, TWinControl* parent, TDateTimeKind kind);
  const char* ClassName() const override { return "TDateTimePicker"; }
  TDateTimeKind Kind() const { return kind_; }
  TDateTime DateTime() const { return value_; }
  TDateTime Date() const;  // whole days
  TDateTime Time() const;  // the fraction
  void SetDateTime(TDateTime value);
  void SetDate(TDateTime date);  // keeps the time of day
  void SetTime(TDateTime time);  // keeps the date
  void UserSetDateTime(TDateTime value);

 private:
  TDateTimeKind kind_;
  TDateTime value_ = 0;
};

// Keeps its text as typed; the value is that text read as a whole number. The user may type
// only digits, "+", "-" and the decimal separator; anything else is refused with a beep.
class TSpinEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TSpinEdit"; }
  int MinValue = 0;
  int MaxValue = 0;  // both 0: no limits
  const std::string& Text() const { return text_; }
  void SetText(std::string text);  // from code: any text, unfiltered
  int Value() const;  // the text as a whole number, else MinValue
  void SetValue(int value);
  // The text a user's edit would leave (typed, pasted, an input method's or an assistive
  // tool's): whether the spin edit takes it. One character it cannot hold refuses the whole
  // edit with a beep. Changes nothing.
  bool UserMayEdit(const std::string& text);
  // The text after the user's edit; one that UserMayEdit refuses leaves the text as it was.
  void UserEdit(std::string text);
  void UserStep(int delta);  // the arrow buttons

 private:
  int Clamp(long long value) const;
  std::string text_ = "0";
};

class TImage : public TControl {
 public:
  TImage(TComponent* owner, std::string name, TWinControl* parent) : TControl(owner, std::move(name), parent) {
    TabStop = false;
  }
  const char* ClassName() const override { return "TImage"; }
  TBitmap Picture;
};

class TGroupBox : public TWinControl {
 public:
  TGroupBox(TComponent* owner, std::string name, TWinControl* parent) : TWinControl(owner, std::move(name), parent) {
    TabStop = false;
  }
  const char* ClassName() const override { return "TxpGroupBox"; }
};

class TTabSheet : public TWinControl {
 public:
  TTabSheet(TComponent* owner, std::string name, TWinControl* parent) : TWinControl(owner, std::move(name), parent) {
    TabStop = false;
  }
  const char* ClassName() const override { return "TxpTabSheet"; }
};

class TPageControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TxpPageControl"; }
  std::vector<TTabSheet*> Pages() const;
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int index);
  void UserSelectPage(int index);

 private:
  int active_ = 0;
};

class TStatusBar;

struct TStatusPanel {
  const std::string& Text() const { return text; }
  void SetText(std::string value);
  std::string text;
  int width = 0;
  TStatusBar* bar = nullptr;
};

class TStatusBar : public TWinControl {
 public:
  TStatusBar(TComponent* owner, std::string name, TWinControl* parent) : TWinControl(owner, std::move(name), parent) {
    TabStop = false;
  }
  const char* ClassName() const override { return "TsStatusBar"; }
  TStatusPanel* Panels(int index) { return &panels_.at(index); }
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  void AddPanel(std::string text, int width);

 private:
  friend struct TStatusPanel;
  void PanelChanged() { Changed(); }
  std::vector<TStatusPanel> panels_;
};
