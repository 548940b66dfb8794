// The hourly chime: switched by "整点报时", remembered as Zdbs, heard at every full hour.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"

void TFrm_Tamiro::SwitchOnChimeAtStartup() {
  if (ZdbsValue == "false" || ZdbsValue.empty()) {
    Chk_Zd->SetChecked(false);
    ZdbsValue = "false";
    return;
  }
  Chk_Zd->SetChecked(true);
  ZdbsValue = "true";
  Time_Zd->SetInterval(1000);
  AppendLogLine("自动激活整点报时功能，每个整点将自动报时．", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Chk_ZdChange(TObject*) {
  if (Chk_Zd->Checked()) {
    Time_Zd->SetInterval(1000);
    ZdbsValue = "true";
    SaveSettings();
    AppendLogLine("激活了整点报时功能，每个整点将自动报时．", LogVariant::CreateIfMissing);
  } else {
    Time_Zd->SetInterval(0);
    ZdbsValue = "false";
    SaveSettings();
    AppendLogLine("关闭了整点报时功能．", LogVariant::CreateIfMissing);
  }
}

void TFrm_Tamiro::Time_ZdTimer(TObject*) {
  TDateTime now = Now();
  std::string time = FormatDateTime("HH:NN:SS", now);
  bool fullHour = false;
  for (int hour = 0; hour < 24 && !fullHour; ++hour) fullHour = time == Format("%.2d:00:00", hour);
  if (!fullHour) return;
  std::string hour = FormatDateTime("HH", now);
  StartRinging(zdls->Text(), kRingSourceChime);
  AppendLogLine("整点报时：现在是" + hour + "点整．", LogVariant::AppendOnly);
  Application->MessageBox(this, "现在是" + hour + "点整", "整点报时", MB_OK);
  StopTrayFlashing(TrayTiming::AtOnce);
}
