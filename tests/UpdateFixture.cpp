// The update check's fixture and its helpers.
#include "UpdateFixture.h"

#include <fcntl.h>

#include <filesystem>

#include "platform/os/HttpClient.h"

namespace fs = std::filesystem;

namespace update_test {

void SetFileTime(const std::string& path, const std::string& local, long nanoseconds) {
  std::tm tm{};
  ASSERT_EQ(sscanf(local.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                   &tm.tm_min, &tm.tm_sec), 6);
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  timespec times[2] = {{0, UTIME_OMIT}, {mktime(&tm), nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string ProgramPage(const std::string& published) { return "[Tamiro]\r\nDateTime=" + published + "\r\n"; }

std::string UpdaterPage(const std::string& published, const std::string& signature) {
  std::string page = "[chis]\r\nUpdate_DateTime=" + published + "\r\n";
  if (!signature.empty()) page += "Update_Signature=" + signature + "\r\n";
  return page;
}

std::string Base64(const unsigned char* bytes, std::size_t length) {
  std::string text(sodium_base64_ENCODED_LEN(length, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, length, sodium_base64_VARIANT_ORIGINAL);
  text.resize(text.size() - 1);  // the terminating zero
  return text;
}

KeyPair::KeyPair() {
  EXPECT_GE(sodium_init(), 0);
  crypto_sign_keypair(pk.data(), sk.data());
}

std::string KeyPair::PublicBase64() const { return Base64(pk.data(), pk.size()); }

std::string KeyPair::Sign(const std::string& bytes) const {
  std::array<unsigned char, crypto_sign_BYTES> signature{};
  crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       sk.data());
  return Base64(signature.data(), signature.size());
}

}  // namespace update_test

using namespace update_test;

void UpdateTest::SetUp() {
  TamiroTest::SetUp();
  savedAddress_ = UpdateServerAddress();
  savedCa_ = UpdateCaFile();
  savedKey_ = UpdatePublicKey();
  savedProgram_ = UpdateProgramFile();
  savedLimits_ = UpdateLimits();
  server_ = NewServer();
  UpdateServerAddress() = server_->Address();
  UpdateCaFile() = server_->CaFile();
  UpdatePublicKey() = release_.PublicBase64();
  // The check compares this file as the running program, so its name is the page's section.
  UpdateProgramFile() = ProgramDir() + "Tamiro";
  WriteBytes(ProgramDir() + "Tamiro", "program");
  SetFileTime(ProgramDir() + "Tamiro", "2026-03-01 12:00:00");
  fs::create_directories(ProgramDir() + "Update");
  StartAt("2026-03-02 08:15:30");
}

void UpdateTest::TearDown() {
  server_.reset();
  UpdateServerAddress() = savedAddress_;
  UpdateCaFile() = savedCa_;
  UpdatePublicKey() = savedKey_;
  UpdateProgramFile() = savedProgram_;
  UpdateLimits() = savedLimits_;
  TamiroTest::TearDown();
}

std::unique_ptr<PageServer> UpdateTest::NewServer(PageServer::Transport transport) {
  return std::make_unique<PageServer>(Root() + "/pages", transport);
}

void UpdateTest::ShortTimeLimits() {
  F().IdHTTP1->ConnectTimeout = 300;
  F().IdHTTP1->ReadTimeout = 1000;
}

void UpdateTest::ExpectFailedRequestOnClick() {
  Ui().AnswerBox(IDOK);
  F().Btn_ExeUpdate->UserClick();
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectBox(0, kFailed, kApplicationTitle, MB_OK);
  EXPECT_TRUE(F().Btn_ExeUpdate->Enabled());
  EXPECT_EQ(FileBytes(ProgramIni()), "old page");
}
