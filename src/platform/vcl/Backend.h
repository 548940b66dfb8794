// What the control layer asks of a front end. Two implement it: the Qt one
// that users see and the headless one that tests drive.
//
// A backend mirrors the state of the controls and reports the user's actions
// through the controls' User* functions; it never raises an event itself and
// keeps no state of its own about the controls.
#pragma once

#include <functional>
#include <string>

#include "platform/rtl/DateTime.h"

class TControl;
class TForm;
class TListView;
enum class TListRowChange;
class TTimer;
class TFileDialog;
class TTrayIcon;
class TPopupMenu;

struct MessageBoxRequest {
  TForm* Owner = nullptr;  // none: a box of its own, as before the window exists
  std::string Text;
  std::string Caption;
  int Flags = 0;  // MB_* of Dialogs.h
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Local wall-clock time. The only clock the program reads.
  virtual TDateTime Now() = 0;

  // Builds a peer for every control of the form, not shown yet; may report the real frame
  // width (TForm::SetFrameWidth) before OnCreate places the window.
  virtual void FormCreated(TForm& form) = 0;
  // Shows the form's window where and as large as the form says; once, after OnCreate.
  virtual void ShowForm(TForm& form) = 0;
  // Removes the peers; the form is about to be freed.
  virtual void FormDestroying(TForm& form) = 0;
  // Pushes the control's state into its peer. Raises no event.
  virtual void ControlChanged(TControl& control) = 0;
  // One row of a list view was inserted, removed or changed, or all rows went (Cleared);
  // the list already holds its new state. Raises no event.
  virtual void ListRowChanged(TListView& list, TListRowChange change, int row) {}
  // Drops the control's peer; the control is being destroyed, so only its address may be used.
  virtual void ControlDestroyed(TControl& control) = 0;
  // Moves the keyboard focus; the control layer has checked that it can take it.
  virtual void FocusControl(TControl& control) = 0;

  // Starts the timer anew at its Interval, or at the next whole second when it is clock-aligned
  // (TTimer::ClockAligned); stops it at an Interval of 0.
  virtual void TimerChanged(TTimer& timer) = 0;
  virtual void TimerDestroyed(TTimer& timer) = 0;

  // Modal, with the message loop running: timers go on firing meanwhile. Returns IDOK, IDYES, IDNO, …
  virtual int MessageBox(const MessageBoxRequest& request) = 0;
  // Modal; on OK sets the dialog's FileName and returns true.
  virtual bool ExecuteFileDialog(TFileDialog& dialog) = 0;

  // The message loop: runs until Quit.
  virtual void Run() = 0;
  virtual void Quit() = 0;
  // Handles what is pending and returns: for waits that keep the window alive.
  virtual void ProcessMessages() = 0;
  // Runs the work on the user-interface thread soon. Callable from any thread.
  virtual void Post(std::function<void()> work) = 0;

  virtual int ScreenWidth() = 0;
  // The desktop's warning sound: a control refused what the user typed.
  virtual void Beep() = 0;

  // Hides the application (with its taskbar button when asked), or brings it back to the front.
  virtual void MinimizeApp(bool hideTaskbarButton) = 0;
  virtual void RestoreApp() = 0;
  // Whether the desktop has a notification area to hide into.
  virtual bool TrayAvailable() = 0;
  // Shows or updates the icon: its ShownPicture(), hint and visibility.
  virtual void TrayChanged(TTrayIcon& tray) = 0;
  virtual void TrayRemoved(TTrayIcon& tray) = 0;
  virtual void BringActiveWindowToFront() = 0;
  virtual void PopupMenu(TPopupMenu& menu, int x, int y) = 0;

  // Opens an address with the desktop's handler; the outcome is not reported.
  virtual void ShellOpen(const std::string& address) = 0;
  // Starts a program; the outcome is not reported.
  virtual void StartProgram(const std::string& path) = 0;
  // Asks the system to power off, letting every program refuse.
  virtual void PowerOff() = 0;
};
