// The life of the program around its main window, one sequence for the program and for the
// tests on either backend: the shared state as a new process has it, the application on the
// backend, the window made and started, and its farewell.
#pragma once

#include <functional>
#include <memory>
#include <string>

class Backend;
class TApplication;
class TFrm_Tamiro;

class TamiroProcess {
 public:
  // Fresh shared state and the application on the backend, titled, its program folder (ending
  // in "/") given. The backend outlives this object.
  TamiroProcess(Backend& backend, const std::string& programDir);
  // A window still there is freed without its farewell, as a killed process leaves it.
  ~TamiroProcess();
  TamiroProcess(const TamiroProcess&) = delete;
  TamiroProcess& operator=(const TamiroProcess&) = delete;

  TApplication& App() { return *app_; }
  // Makes the main window and runs its start-up (OnCreate), which shows it. beforeCreate sees
  // the window built but not yet started.
  TFrm_Tamiro& StartWindow(const std::function<void(TFrm_Tamiro&)>& beforeCreate = {});
  // The window's farewell (OnDestroy), its tray icon taken away, the window freed.
  void EndWindow();

 private:
  void DropWindow();
  std::unique_ptr<TApplication> app_;
  TFrm_Tamiro* window_ = nullptr;
};
