// The activity log: stamped lines on the page "日志" and in "Tamiro.Log", the day header, clear and save.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

// No folder: the log follows the process's current directory.
const char* const kLogFileName = "Tamiro.Log";

// The code point at a position from the end (1 = last), or 0 when the text is shorter.
char32_t CharFromEnd(const std::string& utf8, int position) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) starts.push_back(i);
  if (static_cast<int>(starts.size()) < position) return 0;
  return static_cast<unsigned char>(utf8[starts[starts.size() - position]]);
}

}  // namespace

void TFrm_Tamiro::AppendLogLine(const std::string& message, LogVariant variant) {
  LogLine = "[" + FormatDateTime("yyyy-mm-dd HH:NN:SS", Now()) + "] " + message;
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
  SaveDialog_Tamiro->InitialDir = Application->ProgramDir;
  if (!SaveDialog_Tamiro->Execute() || SaveDialog_Tamiro->FileName.empty()) return;
  std::string name = SaveDialog_Tamiro->FileName;
  if (CharFromEnd(name, 4) != U'.') name += ".Log";
  SaveLines(name, Memo_Log->Lines.Items());
  AppendLogLine("日志已保存，路径＂" + name + "＂", LogVariant::CreateIfMissing);
  SaveDialog_Tamiro->FileName.clear();
}
