// The once-a-second clock tick: the status-bar clock and the start of a new log day.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"

void TFrm_Tamiro::Timer_GjTimer(TObject*) {
  sBar->Panels(0)->SetText("现在时间：" + FormatDateTime("yyyy-mm-dd HH:NN:SS", Now()));
  TDateTime today = StrToDate(FormatDateTime("yyyy-mm-dd", Now()));
  if (today > LogDay) {
    LogDay = today;
    WriteDayHeader(LogVariant::AppendOnly);
    DateValue = DateToStr(LogDay);
    SaveDate();
  }
}
