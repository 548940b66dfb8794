// The form (the one main window) and the application that runs it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/vcl/Backend.h"
#include "platform/vcl/Controls.h"

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Left, Top, Width and Height are the outer frame's; the client area is smaller by the frame.
// Its height is the layout's (36 pixels of title bar and borders, so 292 and 443 always give
// the same client areas); its width is the desktop's real one once the backend reports it.
class TForm : public TWinControl {
 public:
  static constexpr int kFrameHeight = 36;  // title bar and borders
  static constexpr int kFrameWidth = 8;    // as the layout assumes, until the backend knows better

  TForm(std::string name, std::string windowClassName);
  // Destroys what it owns, newest first, then the controls it holds but does not own.
  ~TForm() override;
  const char* ClassName() const override { return windowClassName_.c_str(); }

  int ClientWidth() const override { return Width() - frameWidth_; }
  int ClientHeight() const override { return Height() - kFrameHeight; }
  void SetClientSize(int width, int height);
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  // The left and right borders together, as the desktop draws them; keeps the client width.
  int FrameWidth() const { return frameWidth_; }
  void SetFrameWidth(int width);

  // Whether the user can see some of the control: the client area less what is docked to its
  // bottom edge (the status bar). Folding the window hides what lies below the fold.
  bool InView(const TControl& control) const;
  // The control the Tab key moves to (Shift+Tab when not goForward), or null when none
  // can take the focus. The order is the tab order of each parent, a container's own
  // controls right after it; hidden, disabled, folded-away and non-stop controls are
  // passed over, and the walk wraps round. A null current starts from the ends.
  TControl* FindNextControl(const TControl* current, bool goForward) const;

  TBitmap Icon;
  TNotifyEvent OnCreate;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;

  // Shows the form and runs OnCreate; an error there is reported and the window opens all the same.
  void Create();
  // Asks OnCloseQuery; when allowed, the application ends its loop. Returns whether it closed.
  bool Close();
  // Runs OnDestroy (errors reported), then removes the peers.
  void Destroy();
  bool Closed() const { return closed_; }

 private:
  std::string windowClassName_;
  int frameWidth_ = kFrameWidth;
  bool created_ = false;
  bool closed_ = false;
  bool destroyed_ = false;
};

class TApplication {
 public:
  explicit TApplication(Backend& backend);
  ~TApplication();

  Backend& GetBackend() { return backend_; }
  std::string Title;
  TForm* MainForm = nullptr;
  // The folder of the program file, ending in "/".
  std::string ProgramDir;

  TDateTime Now() { return backend_.Now(); }
  int MessageBox(TForm* owner, const std::string& text, const std::string& caption, int flags);
  // The default exception report: the error's text, the title, the error icon.
  void ShowException(const std::exception& error);
  // Runs the work and reports any error it raises.
  void Guard(const std::function<void()>& work);

  void Run();
  // Ends the message loop. From then on Terminated() holds, so that a wait in progress (a
  // network request) gives up instead of holding the program open.
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ProcessMessages() { backend_.ProcessMessages(); }

  // Hidden to the tray (or, without one, an ordinary minimized window).
  bool Minimized() const { return minimized_; }
  void Minimize(bool hideTaskbarButton);
  void Restore();
  // The user minimized the window through its frame or the taskbar.
  void UserMinimized();
  // Set by the tray icon, which takes over minimizing.
  std::function<void()> OnMinimize;

 private:
  Backend& backend_;
  bool minimized_ = false;
  bool terminated_ = false;
};

// Every control under the parent in keyboard order: the children by TabOrder (those without
// one after, as created), each followed by its own controls.
std::vector<TControl*> TabOrderList(const TWinControl& parent);

// The one application of the process (as the platform's global is).
extern TApplication* Application;

// The current moment, the date alone and the time of day alone, from the backend's clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();
