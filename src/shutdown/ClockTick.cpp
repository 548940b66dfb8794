// The once-a-second clock tick: the status-bar clock, the start of a new log day
// and the test whether the computer is to be powered off now.
#include <climits>

#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"

namespace {

// One second less; a seconds field already at the lowest number stays there
// instead of wrapping round to a huge countdown.
int OneLess(int value) { return value == INT_MIN ? value : value - 1; }

}  // namespace

void TFrm_Tamiro::Timer_GjTimer(TObject*) {
  sBar->Panels(0)->SetText("现在时间：" + TimeStamp(Now()));
  TDateTime today = StrToDate(FormatDateTime("yyyy-mm-dd", Now()));
  if (today > LogDay) {
    LogDay = today;
    WriteDayHeader(LogVariant::AppendOnly);
    DateValue = DateToStr(LogDay);
    SaveDate();
  }

  // The moment is matched as text to the second: a tick that misses its second
  // (a busy or sleeping computer) never powers off at a moment.
  bool due = false;
  if (ShutdownMode == smAtMoment || ShutdownMode == smAfterCountdown)
    due = TimeStamp(Now()) == TimeStamp(ShutdownAt);

  // The countdown lives in the spin edits, so the user sees it and may change it
  // on the way; each field is read again where it is tested.
  if (ShutdownMode == smAfterCountdown) {
    SpinEdit_S_Gj->SetValue(OneLess(SpinEdit_S_Gj->Value()));
    if (SpinEdit_S_Gj->Value() > 0) {
      // still counting the seconds down
    } else if (SpinEdit_M_Gj->Value() > 0) {
      SpinEdit_M_Gj->SetValue(SpinEdit_M_Gj->Value() - 1);
      SpinEdit_S_Gj->SetValue(60);
    } else if (SpinEdit_H_Gj->Value() > 0) {
      // An hour becomes 60 minutes; the seconds stay where they fell until the next tick borrows.
      SpinEdit_H_Gj->SetValue(SpinEdit_H_Gj->Value() - 1);
      SpinEdit_M_Gj->SetValue(60);
    } else {
      // Run out, and it stays run out: every later tick asks again until the
      // machine goes down or the user cancels.
      due = true;
    }
  }

  if (due) PowerOff();
}
