// The update check's fixture: the main window, a TLS page server of the test's own with a test
// CA, and a release key pair made for the test.
#pragma once

#include <sodium.h>
#include <sys/stat.h>

#include <array>
#include <ctime>
#include <memory>
#include <string>

#include "PageServer.h"
#include "TamiroFixture.h"
#include "TestSupport.h"
#include "update/UpdateCheck.h"

namespace update_test {

inline constexpr const char* kProgramPage = "/Soft/Update/Tamiro/Kdsh.htm";
inline constexpr const char* kUpdaterPage = "/Soft/Update/Tamiro/chis.htm";
inline constexpr const char* kUpdater = "/Soft/Update/Tamiro/Update.exe";

inline const std::string kFailed = "连接服务器失败.";
inline const std::string kUpToDate = "你使用已经是最新版的Velora,无需升级";
inline const std::string kNewer = "网络上有新版本的Velora，是否升级？";
inline const std::string kRefused = "升级程序未通过校验，已取消升级．";

// Sets a file's last-write time to a local moment "yyyy-mm-dd HH:MM:SS" plus nanoseconds.
void SetFileTime(const std::string& path, const std::string& local, long nanoseconds = 0);
std::string ProgramPage(const std::string& published);
// The updater's page; without a signature line when the signature is empty.
std::string UpdaterPage(const std::string& published, const std::string& signature = "");

// An Ed25519 key pair, its public half as the program takes it.
struct KeyPair {
  KeyPair();
  std::string PublicBase64() const;
  // "Update_Signature" for the bytes.
  std::string Sign(const std::string& bytes) const;
  std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
  std::array<unsigned char, crypto_sign_SECRETKEYBYTES> sk{};
};

std::string Base64(const unsigned char* bytes, std::size_t length);

}  // namespace update_test

class UpdateTest : public TamiroTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A fresh page server of that transport (the test's own is server_), sharing the test CA.
  std::unique_ptr<PageServer> NewServer(PageServer::Transport transport = PageServer::Transport::Tls);
  // Time limits small enough for a test: connect 300 ms, a stalled transfer 1 s.
  void ShortTimeLimits();
  std::string ProgramIni() const { return ProgramDir() + "/Update/Update.ini"; }
  std::string Updater() const { return ProgramDir() + "Update.exe"; }
  // Clicks "在线升级" and expects the failed-request box alone, the button given back and
  // the program's page as it was ("old page").
  void ExpectFailedRequestOnClick();

  update_test::KeyPair release_;
  std::unique_ptr<PageServer> server_;

 private:
  std::string savedAddress_, savedCa_, savedKey_, savedProgram_;
  UpdateSizeLimits savedLimits_;
};
