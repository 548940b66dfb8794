// The main window's start-up sequence, folding, About links, closing and the tray menu.
#include "app/Unit_Tamiro.h"

#include "app/Unit_Var.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/os/SystemInfo.h"
#include "platform/os/VersionInfo.h"

std::string LogChkValue;
std::string ZdbsValue;
std::string DateValue;
std::string LogFile;
std::unique_ptr<TIniFile> ScheduleIni;
std::unique_ptr<TIniFile> ListIni;
TFrm_Tamiro* Frm_Tamiro = nullptr;

const char* const kApplicationTitle = "Harwen ━ Velora（晨曦版）";
const char* const TFrm_Tamiro::kWebSite = "www.example.com";
const char* const TFrm_Tamiro::kMail1 = "hw@example.com";
const char* const TFrm_Tamiro::kMail2 = "velora@example.org";
const char* const TFrm_Tamiro::kImNumber = "10001";

namespace {
constexpr int kFoldedHeight = 292;
constexpr int kUnfoldedHeight = 443;
}  // namespace

void ResetUnit_Tamiro() {
  LogChkValue.clear();
  ZdbsValue.clear();
  DateValue.clear();
  LogFile.clear();
  ScheduleIni.reset();
  ListIni.reset();
}

void TFrm_Tamiro::FormCreate(TObject*) {
  LogDay = StrToDate(FormatDateTime("yyyy-mm-dd", Date()));
  WatchSettingsStore();
  LoadSettings();
  StartupDayCheck();
  AppendLogLine("(程序运行)欢迎使用Velora！", LogVariant::CreateIfMissing);
  SwitchOnChimeAtStartup();
  SetLeft((Application->GetBackend().ScreenWidth() - Width()) / 2);
  SetTop(200);
  RecordCount = 0;
  SetDefaultSoundPaths();
  ShutdownMode = smNone;
  numzz->SetEnabled(false);
  DateTime_Date->SetDate(StrToDate(FormatDateTime("yyyy-mm-dd", Date())));
  DateTime_Date_Gj->SetDate(StrToDate(FormatDateTime("yyyy-mm-dd", Date())));
  DateTime_Time->SetTime(StrToTime(FormatDateTime("HH:NN:SS", Time())));
  DateTime_Time_Gj->SetTime(StrToTime(FormatDateTime("HH:NN:SS", Time())));
  sBar->Panels(0)->SetText("现在时间：" + TimeStamp(Now()));
  SetHeight(kFoldedHeight);
  Label_Bq->SetCaption(RegisteredOwnerLine());
  ShowVersion();
}

void TFrm_Tamiro::ShowVersion() {
  std::optional<std::string> version = ReadFileVersion(ProgramFile());
  if (!version) return;
  Label3->SetCaption("V " + *version + " 正式版");
  SetCaption(Caption() + "  V " + *version + " 正式版");
}

void TFrm_Tamiro::Btn_SzClick(TObject*) {
  if (Height() == kFoldedHeight) {
    SetHeight(kUnfoldedHeight);
    return;
  }
  SetHeight(kFoldedHeight);
  Btn_Cancel->Click();
}

void TFrm_Tamiro::sWebLabel1Click(TObject*) { Application->GetBackend().ShellOpen(std::string("http://") + kWebSite); }
void TFrm_Tamiro::sWebLabel2Click(TObject*) { Application->GetBackend().ShellOpen(std::string("mailto:") + kMail1); }
void TFrm_Tamiro::sWebLabel3Click(TObject*) { Application->GetBackend().ShellOpen(std::string("mailto:") + kMail2); }
void TFrm_Tamiro::sWebLabel4Click(TObject*) {
  Application->GetBackend().ShellOpen(std::string("http://wpa.example.net/msgrd?V=1&Uin=") + kImNumber +
                                      "&Site=Harwen&Menu=yes");
}

void TFrm_Tamiro::FormCloseQuery(TObject*, bool& CanClose) {
  CanClose = true;
  if (AlarmState == "Start")
    CanClose = Application->MessageBox(this, "现在闹钟为启动状态，确定要退出吗？", "确定退出",
                                       MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void TFrm_Tamiro::FormDestroy(TObject*) {
  ScheduleIni.reset();
  AppendLogLine("(程序退出)谢谢使用Velora！", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Memo_LogKeyPress(TObject*, char32_t& Key) { Key = 0; }

void TFrm_Tamiro::mnuShowHideClick(TObject*) {
  if (Application->Minimized())
    TrayIcon1->Restore();
  else
    TrayIcon1->Minimize();
}

void TFrm_Tamiro::numqdClick(TObject*) { Btn_Start->Click(); }
void TFrm_Tamiro::numzzClick(TObject*) { Btn_Stop->Click(); }
void TFrm_Tamiro::numupdateClick(TObject*) { Btn_ExeUpdate->Click(); }
void TFrm_Tamiro::Animate1Click(TObject*) { Close(); }
