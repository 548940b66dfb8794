// The Qt front end: application, clock, message loop, windows and the outside world.
#include "platform/qt/QtBackend.h"

#include <QApplication>
#include <QDateTime>
#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QWidget>

#include "platform/os/AppId.h"
#include "platform/os/PowerOff.h"
#include "platform/os/Shell.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtFrame.h"
#include "platform/qt/QtPeers.h"
#include "platform/qt/QtStyle.h"
#include "platform/qt/QtTimers.h"
#include "platform/qt/QtTray.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ListView.h"

QtBackend::QtBackend(int argc, char** argv) {
  // The class part of WM_CLASS is the application's name; "-name" gives the instance part.
  QCoreApplication::setApplicationName(QString::fromLatin1(kWindowClass));
  args_.push_back(argc > 0 && argv && argv[0] ? argv[0] : "Tamiro");
  args_.push_back("-name");
  args_.push_back(kWindowClass);
  for (int i = 1; i < argc; ++i) args_.push_back(argv[i]);
  for (std::string& arg : args_) argv_.push_back(arg.data());
  argv_.push_back(nullptr);
  argc_ = static_cast<int>(args_.size());
  WithChineseSystemLocale([this] { app_ = std::make_unique<QApplication>(argc_, argv_.data()); });
  // Ties the window to its menu entry and icon where the desktop asks by entry id (Wayland).
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
  QGuiApplication::setQuitOnLastWindowClosed(false);
  ApplyLook(*app_);
  InstallChineseTranslations();
  peers_ = std::make_unique<QtPeers>();
  timers_ = std::make_unique<QtTimers>();
  tray_ = std::make_unique<QtTray>();
  ConnectSessionManager();
}

QtBackend::~QtBackend() {
  tray_.reset();
  timers_.reset();
  peers_.reset();
  app_.reset();
}

// A log-off or shut-down asks the main window the close question; a refusal cancels it.
void QtBackend::ConnectSessionManager() {
#ifndef QT_NO_SESSIONMANAGER
  QObject::connect(app_.get(), &QGuiApplication::commitDataRequest, app_.get(), [](QSessionManager& manager) {
    TForm* form = Application ? Application->MainForm : nullptr;
    if (!form || form->Closed()) return;
    if (!manager.allowsInteraction()) return;
    bool closed = form->Close();
    manager.release();
    if (!closed) manager.cancel();
  });
#endif
}

QWidget* QtBackend::WidgetOf(const TControl& control) const { return peers_->WidgetOf(control); }
QWidget* QtBackend::WindowOf(const TForm& form) const { return peers_->WindowOf(&form); }
QSystemTrayIcon* QtBackend::TrayIconOf(const TTrayIcon& tray) const { return tray_->IconOf(tray); }

QWidget* QtBackend::MainWindow() const { return Application ? peers_->WindowOf(Application->MainForm) : nullptr; }

TDateTime QtBackend::Now() { return SystemClockNow(); }

void QtBackend::FormCreated(TForm& form) {
  QWidget* window = peers_->Build(form);
  if (std::optional<int> frame = DesktopFrameWidth(window->windowFlags())) form.SetFrameWidth(*frame);
}

void QtBackend::ShowForm(TForm& form) {
  QWidget* window = peers_->WindowOf(&form);
  if (window && (!Application || !Application->Minimized())) window->show();
}

void QtBackend::FormDestroying(TForm& form) { peers_->Remove(form); }

void QtBackend::ControlChanged(TControl& control) { peers_->Push(control); }
void QtBackend::ControlDestroyed(TControl& control) { peers_->Forget(control); }

void QtBackend::ListRowChanged(TListView& list, TListRowChange change, int row) {
  PushListRow(peers_->PeerOf(list), change, row);
}

void QtBackend::FocusControl(TControl& control) {
  if (QWidget* widget = peers_->WidgetOf(control)) widget->setFocus(Qt::OtherFocusReason);
}

void QtBackend::TimerChanged(TTimer& timer) { timers_->Changed(timer); }
void QtBackend::TimerDestroyed(TTimer& timer) { timers_->Destroyed(timer); }

int QtBackend::MessageBox(const MessageBoxRequest& request) {
  return ShowMessageBox(request, peers_->WindowOf(request.Owner));
}

bool QtBackend::ExecuteFileDialog(TFileDialog& dialog) { return RunFileDialog(dialog, MainWindow()); }

void QtBackend::Run() {
  if (!quitRequested_) app_->exec();
  quitRequested_ = false;
}

void QtBackend::Quit() {
  quitRequested_ = true;
  QCoreApplication::exit(0);
}

void QtBackend::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtBackend::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(app_.get(), std::move(work), Qt::QueuedConnection);
}

int QtBackend::ScreenWidth() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 0;
}

void QtBackend::Beep() { QApplication::beep(); }

void QtBackend::MinimizeApp(bool hideTaskbarButton) {
  QWidget* window = MainWindow();
  if (!window) return;
  if (hideTaskbarButton)
    window->hide();  // the taskbar button goes with the window
  else
    window->showMinimized();
}

void QtBackend::RestoreApp() {
  QWidget* window = MainWindow();
  if (!window) return;
  window->showNormal();
  window->raise();
  window->activateWindow();
}

bool QtBackend::TrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtBackend::TrayChanged(TTrayIcon& tray) { tray_->Changed(tray); }
void QtBackend::TrayRemoved(TTrayIcon& tray) { tray_->Removed(tray); }

void QtBackend::BringActiveWindowToFront() {
  if (QWidget* active = QApplication::activeWindow()) {
    active->raise();
    active->activateWindow();
  }
}

void QtBackend::PopupMenu(TPopupMenu& menu, int x, int y) { QtTray::Popup(menu, x, y); }

void QtBackend::ShellOpen(const std::string& address) { ::ShellOpen(address); }
void QtBackend::StartProgram(const std::string& path) { ::StartProgram(path); }
void QtBackend::PowerOff() { RequestPowerOff(); }
