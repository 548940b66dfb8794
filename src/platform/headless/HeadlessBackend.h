// A backend without a screen, for tests and benchmarks.
//
// Implements: a virtual clock that only moves when told and fires due timers in
// order; message boxes answered from a script (optionally "staying open" while
// the clock moves, so timers fire inside them); file dialogs answered from a
// script; shell opens, program starts and power-off requests recorded, never
// run; the tray icon's pictures recorded at each change.
//
// Leaves out what the Qt backend does: no drawing (no widgets, fonts, colours or
// texts measured against their boxes; control and list-row changes are ignored);
// no keyboard or mouse, so no real focus chain (focusing only records the
// control; the Tab walk is the form's rule, asked of it directly); no real clock
// and no timer slack (clock-aligned timers fire right at the virtual second unless a
// test sets them late); no message loop (Run returns
// at once); no sound device (tests pair it with the virtual sound engine); no
// window manager, session manager or assistive tools. Linked only by tests and
// benchmarks (tamiro_testkit).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/Backend.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Graphics.h"

class HeadlessBackend : public Backend {
 public:
  explicit HeadlessBackend(TDateTime start);

  // --- the virtual clock
  int64_t NowMs() const { return nowMs_; }
  // Moves the clock forward, firing every timer that falls due, in order of time.
  void Advance(int64_t ms);
  // Sets the clock to a moment (forward or back) without firing anything, as a change of the
  // system clock would: a clock-aligned timer falls due at the next whole second of the new
  // time; any other keeps the time it had left, since it counts elapsed time.
  void SetNow(TDateTime moment);
  // From now on clock-aligned timers fire that long after each whole second (0 at first), as
  // on a loaded desktop: a test reaches the moments between a second's start and its tick.
  void SetAlignedTickLateness(int64_t ms);
  // Called as the clock moves, in steps of at most 100 ms (sound engines hook in here).
  void AddClockListener(std::function<void(int64_t nowMs)> listener);

  // --- message boxes
  struct Box {
    std::string Text, Caption;
    int Flags;
    bool Owned;
    int64_t OpenedAtMs;
  };
  // The next box returns the answer, after the clock has moved openForMs while it is open.
  void AnswerBox(int answer, int64_t openForMs = 0);
  std::vector<Box> Boxes;
  // Called for a box that no answer was scripted for (tests fail there); it then gets IDOK/IDNO.
  std::function<void(const Box&)> OnUnscriptedBox;

  // --- file dialogs: nullopt cancels
  void AnswerFileDialog(std::optional<std::string> path);
  struct DialogUse {
    FileDialogKind Kind;
    std::string Filter, InitialDir, FileNameBefore;
  };
  std::vector<DialogUse> Dialogs;

  // --- what the program asked of the outside world
  std::vector<std::string> ShellOpens, ProgramStarts;
  int PowerOffRequests = 0;
  int Beeps = 0;
  int Screen = 1920;
  bool HasTray = true;
  bool WindowShown = false, TaskbarButtonShown = false;
  int BroughtToFront = 0;
  struct TrayFrame {
    const TBitmap* Picture;
    int64_t AtMs;
  };
  std::vector<TrayFrame> TrayFrames;
  bool TrayShown = false;
  std::string TrayHint;
  TPopupMenu* OpenedMenu = nullptr;
  TControl* Focused = nullptr;
  bool QuitRequested = false;

  // Backend
  TDateTime Now() override;
  void FormCreated(TForm& form) override;
  void ShowForm(TForm& form) override;
  void FormDestroying(TForm& form) override;
  void ControlChanged(TControl&) override {}
  void ControlDestroyed(TControl& control) override;
  void FocusControl(TControl& control) override { Focused = &control; }
  void TimerChanged(TTimer& timer) override;
  void TimerDestroyed(TTimer& timer) override;
  int MessageBox(const MessageBoxRequest& request) override;
  bool ExecuteFileDialog(TFileDialog& dialog) override;
  void Run() override {}
  void Quit() override { QuitRequested = true; }
  void ProcessMessages() override;
  void Post(std::function<void()> work) override;
  int ScreenWidth() override { return Screen; }
  void Beep() override { ++Beeps; }
  void MinimizeApp(bool hideTaskbarButton) override;
  void RestoreApp() override;
  bool TrayAvailable() override { return HasTray; }
  void TrayChanged(TTrayIcon& tray) override;
  void TrayRemoved(TTrayIcon& tray) override;
  void BringActiveWindowToFront() override { ++BroughtToFront; }
  void PopupMenu(TPopupMenu& menu, int x, int y) override { OpenedMenu = &menu; }
  void ShellOpen(const std::string& address) override { ShellOpens.push_back(address); }
  void StartProgram(const std::string& path) override { ProgramStarts.push_back(path); }
  void PowerOff() override { ++PowerOffRequests; }

 private:
  struct Due {
    int64_t atMs;
    uint64_t order;
  };
  void MoveClockTo(int64_t targetMs);
  // When the timer falls due after the moment: its interval later, or at the next whole second.
  int64_t NextDueMs(const TTimer& timer, int64_t fromMs) const;
  void RunPosted();

  int64_t nowMs_ = 0;
  int64_t alignedLatenessMs_ = 0;
  uint64_t nextOrder_ = 0;
  std::map<TTimer*, Due> timers_;
  std::vector<std::function<void(int64_t)>> clockListeners_;
  struct Answer {
    int result;
    int64_t openForMs;
  };
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> dialogAnswers_;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
};
