// The front end that users see: the control layer on Qt 6 Widgets.
//
// Implements: the local clock; one widget per control (QtPeers); window timers that keep to
// the clock's seconds (QtTimers); message boxes and file dialogs in Chinese (QtDialogs); the
// tray icon and its menu (QtTray); minimising to the tray; the session manager's question
// before a log-off; shell opens, program starts and power-off through the system layer.
// Owns the QApplication, so it is made before any control and freed after the last.
//
// Leaves out what the headless backend does: no virtual clock (time is the system's, so a
// test waits in real time); no scripted answers to message boxes or file dialogs (they wait
// for a person, or for a test that works their widgets); nothing it was asked is recorded:
// shell opens, program starts and power-off really happen; the tray's pictures are shown,
// not kept for a test to read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Backend.h"

class QApplication;
class QSystemTrayIcon;
class QWidget;
class QtPeers;
class QtTimers;
class QtTray;

class QtBackend : public Backend {
 public:
  // The window class (X11 WM_CLASS) every window of the process carries.
  static constexpr const char* kWindowClass = "TFrm_Tamiro";

  QtBackend(int argc, char** argv);
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  // The widget that shows a control, the window of a form, the icon of a tray component
  // (null when there is none): for tests and the screenshot hook.
  QWidget* WidgetOf(const TControl& control) const;
  QWidget* WindowOf(const TForm& form) const;
  QSystemTrayIcon* TrayIconOf(const TTrayIcon& tray) const;

  TDateTime Now() override;
  void FormCreated(TForm& form) override;  // Asks the window manager for the frame's width.
  void ShowForm(TForm& form) override;
  void FormDestroying(TForm& form) override;
  void ControlChanged(TControl& control) override;  // Raises no event.
  void ListRowChanged(TListView& list, TListRowChange change, int row) override;
  void ControlDestroyed(TControl& control) override;
  void FocusControl(TControl& control) override;
  void TimerChanged(TTimer& timer) override;
  void TimerDestroyed(TTimer& timer) override;
  int MessageBox(const MessageBoxRequest& request) override;  // Timers go on firing inside.
  bool ExecuteFileDialog(TFileDialog& dialog) override;       // Keeps the current directory.
  void Run() override;
  void Quit() override;  // Also before Run: Run then returns at once.
  void ProcessMessages() override;
  void Post(std::function<void()> work) override;  // Callable from any thread.
  int ScreenWidth() override;
  void Beep() override;
  void MinimizeApp(bool hideTaskbarButton) override;
  void RestoreApp() override;
  bool TrayAvailable() override;
  void TrayChanged(TTrayIcon& tray) override;
  void TrayRemoved(TTrayIcon& tray) override;
  void BringActiveWindowToFront() override;
  void PopupMenu(TPopupMenu& menu, int x, int y) override;
  void ShellOpen(const std::string& address) override;
  void StartProgram(const std::string& path) override;
  void PowerOff() override;

 private:
  QWidget* MainWindow() const;
  void ConnectSessionManager();

  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<QtPeers> peers_;
  std::unique_ptr<QtTimers> timers_;
  std::unique_ptr<QtTray> tray_;
  bool quitRequested_ = false;
};
