// The online update check: compares the program file with the published release, brings the
// updater up to date, starts it and closes the window so that it can replace the program.
#include "update/UpdateCheck.h"

#include <sys/stat.h>

#include <ctime>
#include <optional>

#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "platform/os/HttpClient.h"
#include "platform/os/VersionInfo.h"

namespace {

constexpr const char* kProgramPage = "/Soft/Update/Tamiro/Kdsh.htm";
constexpr const char* kUpdaterPage = "/Soft/Update/Tamiro/chis.htm";
constexpr const char* kUpdater = "/Soft/Update/Tamiro/Update.exe";

// Set while a check runs: the tray item can start one while the button is disabled, and two
// checks would share the one client and could both start the updater.
bool checkRunning = false;

// GETs one resource of the server with the window kept alive. On failure tells the user and
// gives the button back; false then, and the check ends.
bool Fetch(TFrm_Tamiro& form, const char* path, std::string& body) {
  form.IdAntiFreeze1->OnlyWhenIdle = false;
  try {
    form.IdHTTP1->Get(UpdateServerAddress() + path, body);
    return true;
  } catch (const EIdException&) {
    Application->MessageBox(&form, "连接服务器失败.", Application->Title, MB_OK);
    form.Btn_ExeUpdate->SetEnabled(true);
    return false;
  }
}

// The file's last-write time in local time, to the whole second, written and read back the way
// the program reads its own date texts. nullopt when the file cannot be found.
std::optional<TDateTime> LocalFileTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::tm local{};
  if (!localtime_r(&st.st_mtime, &local)) return std::nullopt;
  TDateTime value = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                    EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
  return StrToDateTime(FormatDateTime("yyyy/mm/dd HH:mm:ss", value));
}

// Whether the local file is older than the published time. A missing file is older than any,
// so a missing updater is fetched.
bool OlderThan(const std::string& path, TDateTime published) {
  std::optional<TDateTime> local = LocalFileTime(path);
  return !local || *local < published;
}

// An updater without any execute permission (a first download) gets it wherever it may be
// read, or it could not be started; one that had some keeps what it had.
void MakeRunnable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 0111) != 0) return;
  ::chmod(path.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2));
}

}  // namespace

std::string& UpdateServerAddress() {
  static std::string address = "http://update.example.com";
  return address;
}

std::string& UpdateProgramFile() {
  static std::string path;
  return path;
}

std::string UpdateProgramPath() { return UpdateProgramFile().empty() ? ProgramFile() : UpdateProgramFile(); }

std::string UpdateSectionName() {
  std::string path = UpdateProgramPath();
  return path.substr(path.rfind('/') + 1);
}

void TFrm_Tamiro::Btn_ExeUpdateClick(TObject*) {
  if (checkRunning) return;
  checkRunning = true;
  struct EndOfCheck {
    ~EndOfCheck() { checkRunning = false; }
  } endOfCheck;

  const std::string dir = WriteDir();
  Btn_ExeUpdate->SetEnabled(false);

  // Each reply is saved only once it has arrived completely, so a failure leaves the old file.
  std::string page;
  if (!Fetch(*this, kProgramPage, page)) return;
  ReplaceFileBytes(dir + "/Update/Update.ini", page, SyncMode::SyncToDisk);
  TIniFile programPage(dir + "/Update/Update.ini");
  TDateTime published = StrToDateTime(programPage.ReadString(UpdateSectionName(), "DateTime"));

  if (!OlderThan(UpdateProgramPath(), published)) {
    Application->MessageBox(this, "你使用已经是最新版的Velora,无需升级", "已经是最新版", MB_OK | MB_ICONINFORMATION);
    Btn_ExeUpdate->SetEnabled(true);
    return;
  }
  if (Application->MessageBox(this, "网络上有新版本的Velora，是否升级？", "发现新版", MB_YESNO | MB_ICONINFORMATION) !=
      IDYES) {
    Btn_ExeUpdate->SetEnabled(true);
    return;
  }

  std::string updaterPage;
  if (!Fetch(*this, kUpdaterPage, updaterPage)) return;
  ReplaceFileBytes(dir + "chis.ini", updaterPage, SyncMode::SyncToDisk);
  TIniFile updaterIni(dir + "chis.ini");
  TDateTime updaterPublished = StrToDateTime(updaterIni.ReadString("chis", "Update_DateTime"));

  const std::string updater = dir + "Update.exe";
  if (OlderThan(updater, updaterPublished)) {
    std::string program;
    if (!Fetch(*this, kUpdater, program)) return;
    ReplaceFileBytes(updater, program, SyncMode::SyncToDisk);
    MakeRunnable(updater);
  }

  // Started from where it was saved, whatever the current folder is; the button stays disabled.
  Application->GetBackend().StartProgram(updater);
  Close();
}
