// Arming and disarming: the ticked rows go to "tamiro.ini", the editor locks, the alarm timer runs.
#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"
#include "records/AlarmRecord.h"
#include "scheduler/Schedule.h"

// The folder already ends in a separator; the doubled one is harmless.
std::string ScheduleFilePath() { return WriteDir() + "/tamiro.ini"; }

namespace {

void SwitchScheduleControls(TFrm_Tamiro& f, bool started) {
  f.Btn_Start->SetEnabled(!started);
  f.Btn_Stop->SetEnabled(started);
  f.numqd->SetEnabled(!started);
  f.numzz->SetEnabled(started);
  f.Btn_Add->SetEnabled(!started);
  f.Btn_del->SetEnabled(!started);
  f.Chk_Qx->SetEnabled(!started);
  f.Btn_Clear->SetEnabled(!started);
  f.Btn_List_Open->SetEnabled(!started);
}

}  // namespace

void TFrm_Tamiro::Btn_StartClick(TObject*) {
  if (List_Tamiro->Count() == 0) {
    Application->MessageBox(this, "列表中没有记录，请先到“设置”里添加！", "无记录", MB_OK | MB_ICONINFORMATION);
    return;
  }
  ActiveCount = 0;
  DeleteFile(ScheduleFilePath());
  ScheduleIni = std::make_unique<TIniFile>(ScheduleFilePath());
  reportedBadTimes_.clear();
  reportedBadSchedule_.clear();
  // Each key still reaches the file at once; the file is checked for changes from outside
  // once for the whole arming, not before every key.
  TIniFile::ReadPass pass(*ScheduleIni);
  for (int i = 0; i < List_Tamiro->Count(); ++i) {
    AlarmRecord record = AlarmRecord::FromRow(*List_Tamiro->Item(i));
    if (!record.Checked) continue;
    record.WriteScheduleSection(*ScheduleIni, IntToStr(i));
    ++ActiveCount;
  }
  if (ActiveCount == 0) {
    Application->MessageBox(this, "请至少选中一条记录！", "选择", MB_OK | MB_ICONINFORMATION);
    return;
  }
  Time_Nz->SetInterval(1000);
  AlarmState = "Start";
  SwitchScheduleControls(*this, true);
  AppendLogLine("闹钟已经启动．", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Btn_StopClick(TObject*) {
  AlarmState = "Stop";
  SwitchScheduleControls(*this, false);
  Time_Nz->SetInterval(0);
  DeleteFile(ScheduleFilePath());  // a tick still walking its names now reads nothing
  AppendLogLine("闹钟已经终止．", LogVariant::CreateIfMissing);
}
