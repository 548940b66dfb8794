// Where the program's files go: beside a portable copy, or in the per-user folder for a
// system-wide install; and the default sounds from the install's share folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "TestSupport.h"
#include "TamiroFixture.h"
#include "app/FilePlaces.h"
#include "platform/os/FileLayout.h"
#include "records/AlarmRecord.h"
#include "scheduler/Schedule.h"

namespace {

namespace fs = std::filesystem;

TEST(FileLayoutTest, PortableCopiesKeepEverythingBesideTheProgramAndInstallsUseThePerUserFolder) {
  const struct {
    const char* what;
    const char* programDir;
    bool writable;
    std::set<std::string> folders;
    const char* dataHome;
    const char* home;
    const char* writeDir;
    const char* soundDir;
  } cases[] = {
      {"the build folder", "/home/ann/tamiro/build/", true, {}, "", "/home/ann",
       "/home/ann/tamiro/build/", "/home/ann/tamiro/build/"},
      {"a portable install in the home", "/home/ann/tamiro/bin/", true, {"/home/ann/tamiro/share/tamiro"}, "",
       "/home/ann", "/home/ann/tamiro/bin/", "/home/ann/tamiro/share/tamiro/"},
      {"a bin folder of sounds beside the program", "/home/ann/bin/", true, {}, "", "/home/ann", "/home/ann/bin/",
       "/home/ann/bin/"},
      {"a system-wide install under /opt", "/opt/tamiro/bin/", false, {"/opt/tamiro/share/tamiro"},
       "/home/ann/.data", "/home/ann", "/home/ann/.data/tamiro/", "/opt/tamiro/share/tamiro/"},
      {"the package, run by a user", "/usr/bin/", false, {"/usr/share/tamiro"}, "", "/home/ann",
       "/home/ann/.local/share/tamiro/", "/usr/share/tamiro/"},
      {"the package, run by root, who could write /usr/bin", "/usr/bin/", true, {"/usr/share/tamiro"}, "", "/root",
       "/root/.local/share/tamiro/", "/usr/share/tamiro/"},
      {"/usr/local is no place to write either", "/usr/local/bin/", true, {"/usr/local/share/tamiro"}, "/d/",
       "/root", "/d/tamiro/", "/usr/local/share/tamiro/"},
      {"a relative XDG_DATA_HOME is ignored", "/srv/tamiro/", false, {}, "data", "/home/ann",
       "/home/ann/.local/share/tamiro/", "/srv/tamiro/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FolderFacts facts;
    facts.Writable = [&](const std::string& dir) {
      EXPECT_EQ(dir, c.programDir) << "only the program's folder is asked about";
      return c.writable;
    };
    facts.IsFolder = [&](const std::string& path) { return c.folders.count(path) > 0; };
    facts.DataHome = c.dataHome;
    facts.Home = c.home;
    FileLayout layout = DecideFileLayout(c.programDir, facts);
    EXPECT_EQ(layout.WriteDir, c.writeDir);
    EXPECT_EQ(layout.SoundDir, c.soundDir);
    EXPECT_EQ(layout.PerUser, layout.WriteDir != c.programDir);
  }
}

class FileLayoutFolderTest : public ::testing::Test {
 protected:
  static unsigned Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
  }
  const TempFolder folder_{"tamiro-layout"};
  const std::string root_ = folder_.Path();
};

TEST_F(FileLayoutFolderTest, ThePerUserFolderIsMadePrivateWithItsUpdateFolder) {
  fs::create_directories(root_ + "/home");
  fs::permissions(root_ + "/home", fs::perms(0755));
  MakePerUserFolder(root_ + "/home/.local/share/tamiro/");
  EXPECT_EQ(Mode(root_ + "/home"), 0755u) << "an existing folder keeps its mode";
  for (const char* made : {"/home/.local", "/home/.local/share", "/home/.local/share/tamiro",
                           "/home/.local/share/tamiro/Update"}) {
    SCOPED_TRACE(made);
    EXPECT_EQ(Mode(root_ + made), 0700u);
  }
  MakePerUserFolder(root_ + "/home/.local/share/tamiro/");  // the second use finds it there
  EXPECT_EQ(Mode(root_ + "/home/.local/share/tamiro"), 0700u);
}

// Only a refusal moves the files; a program folder that has gone is left to the write, which
// reports it where the user expects the file.
TEST_F(FileLayoutFolderTest, TheSystemCountsOnlyARefusalAsNotWritable) {
  FolderFacts facts = SystemFolderFacts();
  EXPECT_TRUE(facts.Writable(root_));
  EXPECT_TRUE(facts.Writable(root_ + "/gone"));
  EXPECT_TRUE(facts.IsFolder(root_));
  std::ofstream(root_ + "/file") << "x";
  EXPECT_FALSE(facts.IsFolder(root_ + "/file"));
}

class PerUserFilesTest : public TamiroTest {
 protected:
  static unsigned Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
};

// The user's story on both layouts: start, arm a record, hear it ring, stop, reset the editor.
TEST_F(PerUserFilesTest, StartRingAndStopWorkWhereTheProgramFolderCannotBeWritten) {
  const struct {
    const char* what;
    bool installed;
  } cases[] = {{"portable", false}, {"installed, read-only", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string prefix = Root() + (c.installed ? "/opt/" : "/portable/");
    const std::string perUser = Root() + "/data/tamiro/";
    fs::create_directories(prefix + "bin");
    if (c.installed) fs::create_directories(prefix + "share/tamiro");
    SetProgramDir(c.installed ? prefix + "bin/" : prefix);
    const std::string writeDir = c.installed ? perUser : ProgramDir();
    const std::string soundDir = c.installed ? prefix + "share/tamiro/" : ProgramDir();
    WritableCheck() = [&, programDir = ProgramDir()](const std::string& dir) {
      return !(c.installed && dir == programDir);
    };

    StartAt("2026-03-02 08:15:30");
    EXPECT_EQ(F().nzls->Text(), soundDir + "nl.mp3");
    EXPECT_EQ(F().zdls->Text(), soundDir + "zd.mp3");
    EXPECT_FALSE(fs::exists(perUser)) << "made on first use, not at start";

    std::string sound = WriteWav(Root() + "/ring.wav", 60000);
    AddRow("08:15:40", RingMode::kEveryDay, "", sound, true);
    F().Btn_Start->UserClick();
    ASSERT_EQ(AlarmState, "Start");
    EXPECT_EQ(ScheduleFilePath(), writeDir + "/tamiro.ini");
    EXPECT_EQ(FileBytes(writeDir + "tamiro.ini"),
              Gbk("[0]\r\nFDatetime=08:15:40\r\nFNxfs=每天都响\r\nFShijian=\r\nFNzls=" + sound + "\r\n"));
    if (c.installed) {
      EXPECT_EQ(Mode(perUser), 0700u);
      EXPECT_FALSE(fs::exists(ProgramDir() + "tamiro.ini"));
    }

    Advance(10000);
    ASSERT_NE(Sound().LastEngine(), nullptr);
    EXPECT_EQ(Sound().LastEngine()->InputPath(), sound);
    EXPECT_TRUE(Sound().LastEngine()->Playing());
    EXPECT_EQ(RingSource, "Nzls");

    F().Btn_StopNl->UserClick();
    F().Btn_Stop->UserClick();
    EXPECT_FALSE(fs::exists(writeDir + "tamiro.ini"));
    F().nzls->SetText("/elsewhere/a.mp3");
    F().Btn_Cancel->UserClick();  // "重置"
    EXPECT_EQ(F().nzls->Text(), soundDir + "nl.mp3");
    Quit();
    fs::remove_all(perUser);
  }
}

// A per-user folder that cannot be made fails the write as the program folder would.
TEST_F(PerUserFilesTest, AnUnusablePerUserFolderReportsTheWriteError) {
  std::ofstream(Root() + "/blocker") << "a file, not a folder";
  setenv("XDG_DATA_HOME", (Root() + "/blocker").c_str(), 1);
  WritableCheck() = [](const std::string&) { return false; };
  StartAt("2026-03-02 08:15:30");
  AddRow("07:30:00", RingMode::kEveryDay, "", "", true);
  Ui().AnswerBox(IDOK);
  F().Btn_Start->UserClick();
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Boxes[0].Text, "Unable to write to " + Root() + "/blocker/tamiro//tamiro.ini");
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_TRUE(F().Btn_Start->Enabled());
}

}  // namespace
