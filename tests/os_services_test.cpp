// Tests of the platform services: the one-copy claim, detached program starts, and the version
// block read back from the program file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "TestSupport.h"
#include "platform/os/Shell.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/VersionInfo.h"

namespace fs = std::filesystem;

namespace {

// Polls for what a started program does on its own time; generous so a busy machine passes.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempFolder("tamiro-os");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

// ---- the one-copy claim ----

class ClaimTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    env_.emplace("XDG_RUNTIME_DIR", dir_.c_str());
  }
  void TearDown() override {
    env_.reset();
    TempDirTest::TearDown();
  }
  std::optional<ScopedEnv> env_;
};

// Ends the child by its id whatever way the test leaves.
struct ChildGuard {
  pid_t pid;
  ~ChildGuard() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

TEST_F(ClaimTest, AClaimOfAnotherProcessIsSeenUntilThatProcessDies) {
  int ready[2], hold[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(hold), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(ready[0]);
    close(hold[1]);
    WindowClassClaim claim("TFrm_Tamiro");
    char held = claim.Held() ? 'y' : 'n';
    if (write(ready[1], &held, 1) != 1) _exit(1);
    char c;
    while (read(hold[0], &c, 1) < 0) {
    }
    _exit(0);
  }
  ChildGuard child{pid};
  close(ready[1]);
  close(hold[0]);
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  EXPECT_EQ(held, 'y');

  EXPECT_TRUE(WindowClassExists("TFrm_Tamiro"));
  EXPECT_FALSE(WindowClassExists("TFrm_Other"));
  EXPECT_FALSE(WindowClassClaim("TFrm_Tamiro").Held());

  // Killed, not ended politely: the claim must go with the process all the same.
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  child.pid = -1;
  close(ready[0]);
  close(hold[1]);
  EXPECT_FALSE(WindowClassExists("TFrm_Tamiro"));
  EXPECT_TRUE(WindowClassClaim("TFrm_Tamiro").Held());
}

TEST_F(ClaimTest, WithinOneProcessTheNameIsTakenUntilTheClaimEnds) {
  EXPECT_FALSE(WindowClassExists("TFrm_Tamiro"));
  auto first = std::make_unique<WindowClassClaim>("TFrm_Tamiro");
  ASSERT_TRUE(first->Held());
  EXPECT_TRUE(WindowClassExists("TFrm_Tamiro"));
  EXPECT_TRUE(WindowClassExists("TFrm_Tamiro")) << "looking must not take the name";
  EXPECT_FALSE(WindowClassClaim("TFrm_Tamiro").Held());
  first.reset();
  EXPECT_FALSE(WindowClassExists("TFrm_Tamiro"));
  EXPECT_TRUE(WindowClassClaim("TFrm_Tamiro").Held());
}

TEST_F(ClaimTest, ProgramsStartedFromHereDoNotKeepTheClaimAlive) {
  auto claim = std::make_unique<WindowClassClaim>("TFrm_Tamiro");
  ASSERT_TRUE(claim->Held());
  pid_t pid = SpawnDetached({"sleep", "30"});
  ASSERT_GT(pid, 0);
  claim.reset();
  EXPECT_FALSE(WindowClassExists("TFrm_Tamiro"));
  kill(pid, SIGTERM);
}

TEST_F(ClaimTest, WithoutARuntimeFolderTheClaimLivesInAPrivateFolderOfItsOwn) {
  env_.emplace("XDG_RUNTIME_DIR", nullptr);
  const std::string folder = "/tmp/tamiro-" + std::to_string(getuid());
  EXPECT_EQ(InstanceLockFolder(), folder);
  const std::string name = "TamiroClaimTest-" + std::to_string(getpid());
  {
    WindowClassClaim claim(name);
    ASSERT_TRUE(claim.Held());
    EXPECT_TRUE(WindowClassExists(name));
    struct stat st {};
    ASSERT_EQ(lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());
  }
  EXPECT_FALSE(WindowClassExists(name));
  fs::remove(folder + "/" + name + ".lock");
}

// ---- starting programs ----

// The stand-in for the desktop's opener: records how many arguments it got and the first.
class ShellTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    script_ = dir_ + "/record.sh";
    out_ = dir_ + "/record.out";
    WriteBytes(script_, "#!/bin/sh\nprintf '%s:%s' \"$#\" \"$1\" > '" + out_ + ".tmp' && mv '" + out_ + ".tmp' '" +
                            out_ + "'\n");
    fs::permissions(script_, fs::perms::owner_all);
    savedCommand_ = ShellOpenCommand();
    ShellOpenCommand() = script_;
  }
  void TearDown() override {
    ShellOpenCommand() = savedCommand_;
    TempDirTest::TearDown();
  }
  bool Recorded() {
    return WaitFor([&] { return fs::exists(out_); });
  }
  std::string script_, out_, savedCommand_;
};

TEST_F(ShellTest, ShellOpenHandsTheAddressOverAsOneUntouchedArgument) {
  const std::string address = "http://im.example/msgrd?V=1&Uin=12345&Site=Harwen&Menu=yes 'a' \"b\" $HOME;x";
  ShellOpen(address);
  ASSERT_TRUE(Recorded());
  EXPECT_EQ(ReadBytes(out_), "1:" + address);
}

TEST_F(ShellTest, StartProgramRunsAPathOrANameInTheCurrentFolder) {
  StartProgram(script_);
  ASSERT_TRUE(Recorded());
  EXPECT_EQ(ReadBytes(out_), "0:");

  fs::remove(out_);
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  StartProgram("record.sh");  // not on PATH: found only by looking here first
  fs::current_path(before);
  ASSERT_TRUE(Recorded());
}

TEST_F(ShellTest, ProgramsThatCannotStartAreIgnoredAndThoseThatEndAreReaped) {
  EXPECT_EQ(SpawnDetached({dir_ + "/missing"}), -1);
  StartProgram(dir_ + "/missing");
  ShellOpenCommand() = dir_ + "/missing";
  ShellOpen("http://127.0.0.1/");

  // A child nobody waits for stays a zombie, which still answers kill(pid, 0).
  pid_t pid = SpawnDetached({"true"});
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(WaitFor([&] { return kill(pid, 0) != 0 && errno == ESRCH; }));
}

// ---- the version block ----

TEST(VersionInfoTest, TheProgramFileCarriesTheBuildVersion) {
  const std::string program = ProgramFile();
  EXPECT_TRUE(fs::equivalent(program, "/proc/self/exe"));
  EXPECT_EQ(ProgramDir(), fs::path(program).parent_path().string() + "/");

  EXPECT_EQ(ReadFileVersion(program), TAMIRO_VERSION);
  EXPECT_EQ(ReadFileVersion(program, "080403a8", "fileversion"), TAMIRO_VERSION);
  EXPECT_EQ(ReadFileVersion(program, "080403A8", "ProductName"), "Velora");
  EXPECT_EQ(ReadFileVersion(program, "040904B0"), std::nullopt);
  EXPECT_EQ(ReadFileVersion(program, "080403A8", "LegalCopyright"), std::nullopt);
  EXPECT_EQ(BuiltInFileVersion(), TAMIRO_VERSION);
}

class DamagedProgramTest : public TempDirTest {};

TEST_F(DamagedProgramTest, FilesWithoutAUsableVersionBlockGiveNothing) {
  const std::string program = ReadBytes(ProgramFile());
  ASSERT_GT(program.size(), 4096u);
  std::string badNamesIndex = program;
  badNamesIndex[62] = static_cast<char>(0xff);  // e_shstrndx beyond the section count
  badNamesIndex[63] = static_cast<char>(0x7f);
  std::string renamed = program;
  for (std::size_t at = 0; (at = renamed.find(".tamiro_version", at)) != std::string::npos;) renamed[at + 14] = 'm';
  const std::string bareBlock(BuiltInVersionBlock());

  const struct {
    const char* what;
    std::optional<std::string> bytes;  // nullopt: no file at all
  } cases[] = {
      {"no such file", std::nullopt},
      {"a program built without the block", ReadBytes("/bin/true")},
      {"plain text", "FileVersion=1.2.0.105\r\n"},
      {"the block alone, outside any program", bareBlock},
      {"only the ELF header", program.substr(0, 64)},
      {"cut in half", program.substr(0, program.size() / 2)},
      {"names index out of range", badNamesIndex},
      {"section under another name", renamed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = dir_ + "/program";
    fs::remove(file);
    if (c.bytes) WriteBytes(file, *c.bytes);
    EXPECT_EQ(ReadFileVersion(file), std::nullopt);
  }
}

TEST(VersionInfoTest, ABlockCutShortOrPaddedIsReadSafely) {
  const std::string block(BuiltInVersionBlock());
  EXPECT_EQ(FindVersionString(std::string(16, '\0') + block, "080403A8", "ProductName"), "Velora");
  const std::size_t value = block.find(TAMIRO_VERSION);
  ASSERT_NE(value, std::string::npos);
  EXPECT_EQ(FindVersionString(block.substr(0, value + 3), "080403A8", "FileVersion"), std::nullopt);
  EXPECT_EQ(FindVersionString(block.substr(0, value + 3), "080403A8", "ProductName"), std::nullopt);
}

}  // namespace
