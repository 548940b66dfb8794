// The form's life (create, close, destroy) and the application around it.
#include "platform/vcl/Forms.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/vcl/Dialogs.h"

TApplication* Application = nullptr;

TForm::TForm(std::string name, std::string windowClassName)
    : TWinControl(nullptr, std::move(name), nullptr), windowClassName_(std::move(windowClassName)) {}

TForm::~TForm() {
  // A form deleted without Destroy() still takes its window away, without running handlers.
  if (created_ && !destroyed_ && Application) Application->GetBackend().FormDestroying(*this);
  // Everything it owns goes while the form is still whole, so none of it meets a half-gone form.
  DestroyComponents();
}

void TForm::SetClientSize(int width, int height) {
  SetBounds(Left(), Top(), width + frameWidth_, height + kFrameHeight);
}

void TForm::SetFrameWidth(int width) {
  int client = ClientWidth();
  frameWidth_ = width;
  SetBounds(Left(), Top(), client + width, Height());
}

bool TForm::InView(const TControl& control) const {
  int left = 0, top = 0;
  const TControl* c = &control;
  for (; c && c->Parent() && c != this; c = c->Parent()) left += c->Left(), top += c->Top();
  if (c != this) return false;  // not on this form
  int bottom = ClientHeight();
  for (TControl* child : Controls())
    if (child->Align() == TAlign::alBottom && child->Visible()) bottom = std::min(bottom, child->Top());
  return left < ClientWidth() && left + control.Width() > 0 && top < bottom && top + control.Height() > 0;
}

TControl* TForm::FindNextControl(const TControl* current, bool goForward) const {
  std::vector<TControl*> order = TabOrderList(*this);
  if (!goForward) std::reverse(order.begin(), order.end());
  auto start = std::find(order.begin(), order.end(), current);
  size_t from = start == order.end() ? order.size() - 1 : static_cast<size_t>(start - order.begin());
  for (size_t step = 1; step <= order.size(); ++step) {
    TControl* candidate = order[(from + step) % order.size()];
    if (candidate->TabStop && candidate->UserCanAct() && InView(*candidate)) return candidate;
  }
  return nullptr;
}

std::vector<TControl*> TabOrderList(const TWinControl& parent) {
  std::vector<TControl*> children(parent.Controls().begin(), parent.Controls().end());
  std::stable_sort(children.begin(), children.end(), [](const TControl* a, const TControl* b) {
    auto key = [](const TControl* c) { return c->TabOrder < 0 ? INT32_MAX : c->TabOrder; };
    return key(a) < key(b);
  });
  std::vector<TControl*> order;
  for (TControl* child : children) {
    order.push_back(child);
    if (auto* container = dynamic_cast<const TWinControl*>(child)) {
      std::vector<TControl*> inner = TabOrderList(*container);
      order.insert(order.end(), inner.begin(), inner.end());
    }
  }
  return order;
}

void TForm::Create() {
  if (created_) return;
  created_ = true;
  Application->GetBackend().FormCreated(*this);
  if (OnCreate) Application->Guard([this] { OnCreate(this); });
  // Shown only now, so it appears where and as large as OnCreate left it.
  Application->GetBackend().ShowForm(*this);
}

bool TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) {
    bool ok = true;
    Application->Guard([&] {
      ok = false;
      OnCloseQuery(this, canClose);
      ok = true;
    });
    if (!ok) canClose = false;  // a failing question keeps the window, as nothing was answered
  }
  if (!canClose) return false;
  closed_ = true;
  if (Application->MainForm == this) Application->Terminate();
  return true;
}

void TForm::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) Application->Guard([this] { OnDestroy(this); });
  Application->GetBackend().FormDestroying(*this);
}

TApplication::TApplication(Backend& backend) : backend_(backend) { Application = this; }

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

int TApplication::MessageBox(TForm* owner, const std::string& text, const std::string& caption, int flags) {
  return backend_.MessageBox(MessageBoxRequest{owner, text, caption, flags});
}

void TApplication::ShowException(const std::exception& error) {
  MessageBox(MainForm, error.what(), Title, MB_OK | MB_ICONERROR);
}

void TApplication::Guard(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

void TApplication::Run() { backend_.Run(); }
void TApplication::Terminate() {
  terminated_ = true;
  backend_.Quit();
}

void TApplication::Minimize(bool hideTaskbarButton) {
  minimized_ = true;
  backend_.MinimizeApp(hideTaskbarButton);
}

void TApplication::Restore() {
  minimized_ = false;
  backend_.RestoreApp();
}

void TApplication::UserMinimized() {
  if (OnMinimize)
    OnMinimize();
  else
    minimized_ = true;
}

TDateTime Now() { return Application->Now(); }
TDateTime Date() { return std::floor(Application->Now()); }
TDateTime Time() {
  TDateTime now = Application->Now();
  return now - std::floor(now);
}
