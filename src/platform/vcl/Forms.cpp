// The form's life (create, close, destroy) and the application around it.
#include "platform/vcl/Forms.h"

#include <cmath>
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
  SetBounds(Left(), Top(), width + kFrameWidth, height + kFrameHeight);
}

void TForm::Create() {
  if (created_) return;
  created_ = true;
  Application->GetBackend().FormCreated(*this);
  if (OnCreate) Application->Guard([this] { OnCreate(this); });
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
void TApplication::Terminate() { backend_.Quit(); }

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
