// The program's start and end around its main window.
#include "app/Process.h"

#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"

TamiroProcess::TamiroProcess(Backend& backend, const std::string& programDir) {
  ResetUnitVar();
  ResetUnit_Tamiro();
  app_ = std::make_unique<TApplication>(backend);
  app_->Title = kApplicationTitle;
  app_->ProgramDir = programDir;
}

TamiroProcess::~TamiroProcess() {
  DropWindow();
  app_.reset();
}

TFrm_Tamiro& TamiroProcess::StartWindow(const std::function<void(TFrm_Tamiro&)>& beforeCreate) {
  DropWindow();
  window_ = Frm_Tamiro = new TFrm_Tamiro();
  app_->MainForm = window_;
  if (beforeCreate) beforeCreate(*window_);
  window_->Create();
  return *window_;
}

void TamiroProcess::EndWindow() {
  if (!window_) return;
  window_->Destroy();
  window_->TrayIcon1->SetVisible(false);
  DropWindow();
}

void TamiroProcess::DropWindow() {
  if (app_ && app_->MainForm == window_) app_->MainForm = nullptr;
  delete window_;
  window_ = nullptr;
  Frm_Tamiro = nullptr;
}
