// Saves cut short: a process killed in the middle of replacing a file leaves the old
// file whole, leaves no temporary where the file system can hold nameless files, and
// whatever it did leave is cleared by the next save of that file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KilledSave.h"
#include "ScratchFolder.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/TextFile.h"

namespace {

namespace fs = std::filesystem;

class FileReplaceTest : public ScratchFolderTest {
 protected:
  void TearDown() override {
    FileReplaceSeams() = ReplaceSeams{};
    ScratchFolderTest::TearDown();
  }
};

TEST_F(FileReplaceTest, ASaveKilledMidwayLeavesTheOldFileAndTheNextSaveLeavesNothingElse) {
  struct Case {
    const char* name;
    bool nameless;     // the file system offers nameless files
    ReplaceStep step;  // where the process dies
    bool leftBehind;   // a temporary is left until the next save
  };
  const Case cases[] = {
      {"killed while writing a nameless file", true, ReplaceStep::Writing, false},
      {"killed once the file is named, before the rename", true, ReplaceStep::BeforeRename, true},
      {"killed while writing under a hidden name", false, ReplaceStep::Writing, true},
      {"killed before the rename of a hidden name", false, ReplaceStep::BeforeRename, true},
  };
  const std::vector<std::string> lines(200, "FShijian=提醒：喝水！");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("a.List");
    Write(path, "old\r\n");
    FileReplaceSeams().namelessFiles = c.nameless;
    const KilledSave killed = SaveKilledAt(c.step, [&] { SaveLines(path, lines); });
    EXPECT_TRUE(killed.diedAtStep) << "the save did not reach the step";
    const pid_t dead = killed.pid;

    EXPECT_EQ(Read(path), "old\r\n");
    std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), c.leftBehind ? 2u : 1u);
    EXPECT_EQ(entries.back(), "a.List");
    if (c.leftBehind) {
      EXPECT_TRUE(entries.front().starts_with(".a.List." + std::to_string(dead) + "."));
      EXPECT_TRUE(entries.front().ends_with(".tmp"));
    }

    SaveLines(path, {"new"});
    EXPECT_EQ(Read(path), "new\r\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.List"});
    fs::remove(path);
  }
}

// Only the temporaries of that file, left by processes that are gone, are cleared.
TEST_F(FileReplaceTest, TheNextSaveClearsOnlyStaleTemporariesOfItsOwnFile) {
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string deadPid = std::to_string(dead);
  const std::string alivePid = std::to_string(getppid());
  const std::vector<std::string> kept{
      ".a.List." + alivePid + ".0.tmp",  // a save of another running process
      ".b.List." + deadPid + ".0.tmp",   // another file's
      ".a.List.x" + deadPid + ".0.tmp",  // not a name we make
      ".a.List." + deadPid + ".tmp",
      "a.List." + deadPid + ".0.tmp",
  };
  for (const std::string& name : kept) Write(PathOf(name), "kept");
  Write(PathOf(".a.List." + deadPid + ".7.tmp"), "stale");

  ReplaceFileBytes(PathOf("a.List"), "new", SyncMode::LeaveToSystem);

  std::vector<std::string> expected = kept;
  expected.push_back("a.List");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
}

}  // namespace
