// The activity log: stamped lines on the page "日志" and in "Tamiro.Log", the day header, clear and save.
#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

// No folder: the log follows the process's current directory.
const char* const kLogFileName = "Tamiro.Log";


}  // namespace

void TFrm_Tamiro::AppendLogLine(const std::string& message, LogVariant variant) {
  LogLine = "[" + TimeStamp(Now()) + "] " + message;
  Memo_Log->Lines.Add(LogLine);
  if (CheckBox_Log->Checked()) {
    LogFile = kLogFileName;
    AppendLine(LogFile, LogLine, variant);
  }
}

void TFrm_Tamiro::WriteDayHeader(LogVariant variant) {
  LogFile = kLogFileName;
  AppendLine(LogFile, "【" + DateToStr(LogDay) + "】", variant);
}

void TFrm_Tamiro::StartupDayCheck() {
  if (StrToDate(DateValue) < LogDay) {
    DateValue = DateToStr(LogDay);
    SaveDate();
    WriteDayHeader(LogVariant::CreateIfMissing);
  }
}

void TFrm_Tamiro::Btn_Log_ClearClick(TObject*) {
  Memo_Log->Lines.Clear();
  if (CheckBox_Log->Checked()) {
    LogFile = kLogFileName;
    AppendLine(LogFile, "清空程序中日志信息．", LogVariant::CreateIfMissing);
  }
}

void TFrm_Tamiro::Btn_Log_SaveClick(TObject*) {
  SaveDialog_Tamiro->Filter = "日志文件(*.Log)|*.Log";
  SaveDialog_Tamiro->InitialDir = WriteDir();
  if (!SaveDialog_Tamiro->Execute() || SaveDialog_Tamiro->FileName.empty()) return;
  std::string name = SaveDialog_Tamiro->FileName;
  // Characters, not bytes, so that a Chinese name counts as the user sees it.
  std::optional<std::size_t> fourthFromEnd = CharStartFromEnd(name, 4);
  if (!fourthFromEnd || name[*fourthFromEnd] != '.') name += ".Log";
  SaveLines(name, Memo_Log->Lines.Items());
  AppendLogLine("日志已保存，路径＂" + name + "＂", LogVariant::CreateIfMissing);
  SaveDialog_Tamiro->FileName.clear();
}
