// The headless backend: virtual time, scripted answers, recorded requests.
#include "platform/headless/HeadlessBackend.h"

#include <algorithm>
#include <cmath>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Timer.h"
#include "platform/vcl/TrayIcon.h"

HeadlessBackend::HeadlessBackend(TDateTime start) { SetNow(start); }

TDateTime HeadlessBackend::Now() { return static_cast<double>(nowMs_) / kMsPerDay; }

// A clock-aligned timer follows the clock to its next whole second; any other counts
// elapsed time and keeps what it had left.
void HeadlessBackend::SetNow(TDateTime moment) {
  int64_t target = std::llround(moment * kMsPerDay);
  int64_t shift = target - nowMs_;
  nowMs_ = target;
  for (auto& [timer, due] : timers_) due.atMs = timer->ClockAligned() ? NextDueMs(*timer, nowMs_) : due.atMs + shift;
}

void HeadlessBackend::SetAlignedTickLateness(int64_t ms) {
  alignedLatenessMs_ = ms;
  for (auto& [timer, due] : timers_)
    if (timer->ClockAligned()) due.atMs = NextDueMs(*timer, nowMs_);
}

// An aligned timer falls due right at the next whole second, or as late after it as a test
// asked: the virtual clock has no timer slack of its own to leave room for.
int64_t HeadlessBackend::NextDueMs(const TTimer& timer, int64_t fromMs) const {
  if (!timer.ClockAligned()) return fromMs + timer.Interval();
  int64_t shifted = fromMs - alignedLatenessMs_;
  int64_t second = shifted / 1000 - (shifted % 1000 < 0);  // rounded down, before 1899 too
  return (second + 1) * 1000 + alignedLatenessMs_;
}

void HeadlessBackend::AddClockListener(std::function<void(int64_t)> listener) {
  clockListeners_.push_back(std::move(listener));
}

void HeadlessBackend::Advance(int64_t ms) { MoveClockTo(nowMs_ + ms); }

// Fires due timers one at a time, earliest first (ties in the order they were
// started). A timer is re-armed before its handler runs, so a handler that
// waits in a box sees its own timer fire again, as with a real message loop.
void HeadlessBackend::MoveClockTo(int64_t targetMs) {
  while (true) {
    RunPosted();
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (next == timers_.end() || it->second.atMs < next->second.atMs ||
          (it->second.atMs == next->second.atMs && it->second.order < next->second.order))
        next = it;
    int64_t stepTo = targetMs;
    if (next != timers_.end() && next->second.atMs < stepTo) stepTo = next->second.atMs;
    if (!clockListeners_.empty()) stepTo = std::min(stepTo, nowMs_ + 100);
    if (stepTo > nowMs_) {
      nowMs_ = stepTo;
      for (auto& listener : clockListeners_) listener(nowMs_);
      RunPosted();
      continue;  // a listener may have changed the timers
    }
    if (next == timers_.end() || next->second.atMs > targetMs) break;
    TTimer* timer = next->first;
    next->second.atMs = NextDueMs(*timer, next->second.atMs);
    next->second.order = nextOrder_++;
    timer->Fire();
  }
  nowMs_ = std::max(nowMs_, targetMs);
}

void HeadlessBackend::TimerChanged(TTimer& timer) {
  if (timer.Interval() > 0)
    timers_[&timer] = Due{NextDueMs(timer, nowMs_), nextOrder_++};
  else
    timers_.erase(&timer);
}

void HeadlessBackend::TimerDestroyed(TTimer& timer) { timers_.erase(&timer); }

void HeadlessBackend::AnswerBox(int answer, int64_t openForMs) { answers_.push_back({answer, openForMs}); }

int HeadlessBackend::MessageBox(const MessageBoxRequest& request) {
  Boxes.push_back(Box{request.Text, request.Caption, request.Flags, request.Owner != nullptr, nowMs_});
  if (answers_.empty()) {
    if (OnUnscriptedBox) OnUnscriptedBox(Boxes.back());
    return (request.Flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
  }
  Answer answer = answers_.front();
  answers_.pop_front();
  if (answer.openForMs > 0) MoveClockTo(nowMs_ + answer.openForMs);
  return answer.result;
}

void HeadlessBackend::AnswerFileDialog(std::optional<std::string> path) { dialogAnswers_.push_back(std::move(path)); }

bool HeadlessBackend::ExecuteFileDialog(TFileDialog& dialog) {
  Dialogs.push_back(DialogUse{dialog.Kind(), dialog.Filter, dialog.InitialDir, dialog.FileName});
  if (dialogAnswers_.empty() || !dialogAnswers_.front()) {
    if (!dialogAnswers_.empty()) dialogAnswers_.pop_front();
    return false;
  }
  dialog.FileName = *dialogAnswers_.front();
  dialogAnswers_.pop_front();
  return true;
}

void HeadlessBackend::ProcessMessages() { RunPosted(); }

void HeadlessBackend::Post(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(postedMutex_);
  posted_.push_back(std::move(work));
}

void HeadlessBackend::RunPosted() {
  while (true) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> lock(postedMutex_);
      if (posted_.empty()) return;
      work = std::move(posted_.front());
      posted_.pop_front();
    }
    work();
  }
}

void HeadlessBackend::FormCreated(TForm&) {}

void HeadlessBackend::ShowForm(TForm&) {
  if (!Application || !Application->Minimized()) WindowShown = TaskbarButtonShown = true;
}
void HeadlessBackend::FormDestroying(TForm&) { WindowShown = TaskbarButtonShown = false; }

void HeadlessBackend::ControlDestroyed(TControl& control) {
  if (Focused == &control) Focused = nullptr;
}

void HeadlessBackend::MinimizeApp(bool hideTaskbarButton) {
  WindowShown = false;
  if (hideTaskbarButton) TaskbarButtonShown = false;
}

void HeadlessBackend::RestoreApp() {
  WindowShown = TaskbarButtonShown = true;
  ++BroughtToFront;
}

void HeadlessBackend::TrayChanged(TTrayIcon& tray) {
  TrayShown = true;
  TrayHint = tray.Hint();
  TrayFrames.push_back(TrayFrame{tray.ShownPicture(), nowMs_});
}

void HeadlessBackend::TrayRemoved(TTrayIcon&) { TrayShown = false; }
