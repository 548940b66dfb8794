// The online update check: compares the program file with the published release, brings the
// updater up to date, starts it once its signature holds, and closes the window so that it can
// replace the program.
#include "update/UpdateCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>

#include "app/FilePlaces.h"
#include "app/Unit_Tamiro.h"
#include "platform/os/HttpClient.h"
#include "platform/os/Signature.h"
#include "platform/os/VersionInfo.h"
#include "platform/rtl/FileIo.h"

namespace {

constexpr const char* kProgramPage = "/Soft/Update/Tamiro/Kdsh.htm";
constexpr const char* kUpdaterPage = "/Soft/Update/Tamiro/chis.htm";
constexpr const char* kUpdater = "/Soft/Update/Tamiro/Update.exe";

// The release key. Its secret half is kept by whoever makes releases, never in the sources;
// tools/tamiro_sign signs an updater with it.
constexpr const char* kReleasePublicKey = "XicQY+KjEI3zdgRedKEQfv+OATcH+Jpl5hQzDzQCbZM=";

// Set while a check runs: the tray item can start one while the button is disabled, and two
// checks would share the one client and could both start the updater.
bool checkRunning = false;

// GETs one resource of the server with the window kept alive, taking at most limit bytes. On
// failure tells the user and gives the button back; false then, and the check ends. When the
// program is closing the request is abandoned and nothing more is said.
bool Fetch(TFrm_Tamiro& form, const char* path, std::size_t limit, std::string& body) {
  form.IdAntiFreeze1->OnlyWhenIdle = false;
  form.IdHTTP1->CaFile = UpdateCaFile();
  form.IdHTTP1->MaxResponseSize = limit;
  try {
    form.IdHTTP1->Get(UpdateServerAddress() + path, body);
    return true;
  } catch (const EIdException&) {
    if (Application->Terminated()) return false;
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

// The bytes of the updater on disk, or nullopt when it cannot be read or is larger than any
// updater we would fetch (a planted file is not read without bound).
std::optional<std::string> ReadUpdater(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct Close {
    int fd;
    ~Close() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > UpdateLimits().Updater)
    return std::nullopt;
  std::string bytes;
  if (!ReadAll(fd, bytes, UpdateLimits().Updater)) return std::nullopt;
  return bytes;
}

// An updater that is not the release's own is never started: the user hears why and may try again.
void RefuseUpdater(TFrm_Tamiro& form) {
  Application->MessageBox(&form, "升级程序未通过校验，已取消升级．", Application->Title, MB_OK | MB_ICONERROR);
  form.Btn_ExeUpdate->SetEnabled(true);
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
  static std::string address = "https://update.example.com";
  return address;
}

std::string& UpdateCaFile() {
  static std::string path;
  return path;
}

std::string& UpdatePublicKey() {
  static std::string key = kReleasePublicKey;
  return key;
}

UpdateSizeLimits& UpdateLimits() {
  static UpdateSizeLimits limits;
  return limits;
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
  if (!Fetch(*this, kProgramPage, UpdateLimits().Page, page)) return;
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
  if (!Fetch(*this, kUpdaterPage, UpdateLimits().Page, updaterPage)) return;
  ReplaceFileBytes(dir + "chis.ini", updaterPage, SyncMode::SyncToDisk);
  TIniFile updaterIni(dir + "chis.ini");
  TDateTime updaterPublished = StrToDateTime(updaterIni.ReadString("chis", "Update_DateTime"));
  const std::string signature = updaterIni.ReadString("chis", "Update_Signature");

  // Whoever answers for the server, or put a file beside the program, must not get it run: the
  // updater's bytes must carry the release's signature, whether fetched now or found on disk.
  // A fetched one that fails never replaces the file on disk.
  const std::string updater = dir + "Update.exe";
  if (OlderThan(updater, updaterPublished)) {
    std::string program;
    if (!Fetch(*this, kUpdater, UpdateLimits().Updater, program)) return;
    if (!SignatureVerifies(program, signature, UpdatePublicKey())) return RefuseUpdater(*this);
    ReplaceFileBytes(updater, program, SyncMode::SyncToDisk);
    MakeRunnable(updater);
  } else {
    std::optional<std::string> onDisk = ReadUpdater(updater);
    if (!onDisk || !SignatureVerifies(*onDisk, signature, UpdatePublicKey())) return RefuseUpdater(*this);
  }

  // Started from where it was saved, whatever the current folder is; the button stays disabled.
  Application->GetBackend().StartProgram(updater);
  Close();
}
