// The timed power-off page: start or cancel with "开始计时"/"取消计时", the
// choice between a moment and a duration, and the request to power off.
#include "app/Unit_Tamiro.h"

void TFrm_Tamiro::Btn_GjClick(TObject*) {
  if (Btn_Gj->Tag != 0) {
    ShutdownMode = smNone;
    Btn_Gj->Tag = 0;
    Btn_Gj->SetCaption("开始计时");
    sBar->Panels(1)->SetText("定时关机尚未启动");
    Btn_Gj->SetFontColor(clWindowText);
    RadioButton1->SetChecked(true);  // from code: no change event
    AppendLogLine("终止了定时关机．", LogVariant::CreateIfMissing);
    return;
  }

  if (RadioButton1->Checked()) {
    // The same time of day as now most likely means the user did not set one.
    if (FormatDateTime("HH:NN:SS", DateTime_Time_Gj->Time()) == FormatDateTime("HH:NN:SS", Now()) &&
        Application->MessageBox(this, "现在设置为立刻关闭计算机，是否继续？", "是否关机",
                                MB_YESNO | MB_ICONINFORMATION) != IDYES)
      return;
    // Both texts have the same fixed layout, so comparing them byte by byte orders
    // them in time. The clock is read after the question: a late Yes can make it past.
    std::string moment = FormatDateTime("yyyy-mm-dd", DateTime_Date_Gj->Date()) + " " +
                         FormatDateTime("HH:NN:SS", DateTime_Time_Gj->Time());
    if (moment < TimeStamp(Now())) {
      Application->MessageBox(this, "你设置的时间已经过去了，请重新设置！", "错误", MB_OK | MB_ICONERROR);
      DateTime_Date_Gj->SetDate(Date());
      DateTime_Time_Gj->SetTime(TimeOf(WholeSeconds(Now())));
      return;
    }
    // Read back before arming, so a text the conventions cannot read arms nothing.
    TDateTime at = StrToDateTime(moment);
    ShutdownMode = smAtMoment;
    ShutdownAt = at;
  } else {
    // The question compares texts: an empty field or "00" starts without asking.
    if (SpinEdit_H_Gj->Text() == "0" && SpinEdit_M_Gj->Text() == "0" && SpinEdit_S_Gj->Text() == "0" &&
        Application->MessageBox(this, "按现在设置将立刻关闭计算机，是否继续？", "是否关机",
                                MB_YESNO | MB_ICONINFORMATION) != IDYES)
      return;
    ShutdownMode = smAfterCountdown;
    ShutdownAt = Now() + SpinEdit_H_Gj->Value() / 24.0 + SpinEdit_M_Gj->Value() / 1440.0 +
                 SpinEdit_S_Gj->Value() / 86400.0;
  }
  sBar->Panels(1)->SetText("计算机将于 " + DateTimeToStr(ShutdownAt) + " 自动关机");

  Btn_Gj->Tag = 1;
  Btn_Gj->SetCaption("取消计时");
  Btn_Gj->SetFontColor(clRed);
  AppendLogLine("启动了定时关机．", LogVariant::CreateIfMissing);
}

// Either radio button, also the one already checked, disarms a running power-off
// at once and without a sign: both tags are smNone. The button still offers the cancel.
void TFrm_Tamiro::RadioButton1Click(TObject* Sender) {
  if (auto* radio = dynamic_cast<TComponent*>(Sender)) ShutdownMode = static_cast<TShutdownMode>(radio->Tag);
}

// On Linux a process needs no privilege of its own to ask: there is no token step,
// only the request, which the login manager may refuse (nothing is checked).
void TFrm_Tamiro::PowerOff() { Application->GetBackend().PowerOff(); }
