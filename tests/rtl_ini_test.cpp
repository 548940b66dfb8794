// Ini text files: the reading rules, the writing rules by their bytes, and a
// cached copy that never hides a change made by anyone else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

namespace fs = std::filesystem;

class IniFileTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    path_ = PathOf("tamiro.ini");
  }

  std::string Read() const { return ReadBytes(path_); }
  // Rewrites the file in place, keeping its inode, as an editor might.
  void Overwrite(const std::string& bytes) const { WriteBytes(path_, bytes); }
  timespec ModifiedTime() const {
    struct stat st {};
    stat(path_.c_str(), &st);
    return st.st_mtim;
  }
  void SetModifiedTime(timespec when) const {
    timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  }

  std::string path_;
};

const char* const kScheduleText =
    "stray=outside\n"
    "[0]\n"
    "FNxfs=每天都响\n"
    "FShijian = \"提醒：喝水\" \n"
    "FNzls='C:\\nl.mp3'\n"
    "FDatetime=2006-01-18 21:15:00\n"
    "Empty=\n"
    "Eq=a=b\n"
    "Dup=first\n"
    "Dup=second\n"
    "OneQuote=\"abc\n"
    "Mixed=\"abc'\n"
    "Inner=a\"b\"c\n"
    "Quoted=\"  kept  \"\n"
    "  Spaced  =  x y  \n"
    "no equals sign\n"
    "\n"
    "[Second]\n"
    "key=s1\n"
    "\n"
    "[0]\n"
    "FNxfs=later\n"
    "New=only-in-later\n"
    " [ second ] \n"
    "key=s2\n";

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TEST_F(IniFileTest, ReadingRules) {
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"0", "FNxfs", "每天都响"},
      {"0", "fnXFS", "每天都响"},
      {"0", "FShijian", "提醒：喝水"},
      {"0", "FNzls", "C:\\nl.mp3"},
      {"0", "FDatetime", "2006-01-18 21:15:00"},
      {"0", "Empty", ""},
      {"0", "Eq", "a=b"},
      {"0", "Dup", "first"},
      {"0", "OneQuote", "\"abc"},
      {"0", "Mixed", "\"abc'"},
      {"0", "Inner", "a\"b\"c"},
      {"0", "Quoted", "  kept  "},
      {"0", "Spaced", "x y"},
      {"SECOND", "KEY", "s1"},
      {"0", "New", "<default>"},
      {"0", "missing", "<default>"},
      {"none", "FNxfs", "<default>"},
      {"", "stray", "<default>"},
      {"0", "no equals sign", "<default>"},
  };
  for (const std::string& text : {std::string(kScheduleText), WithCrLf(kScheduleText)}) {
    Overwrite(Utf8ToGbk(text));
    TIniFile ini(path_);
    SCOPED_TRACE(text.find('\r') == std::string::npos ? "LF" : "CR LF");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"0", "Second", "0", "second"}));
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.section) + "/" + c.key);
      EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected);
    }
  }
}

TEST_F(IniFileTest, MissingFileReadsEmpty) {
  TIniFile ini(path_);
  EXPECT_TRUE(ini.ReadSections().empty());
  EXPECT_EQ(ini.ReadString("0", "FNxfs"), "");
  EXPECT_EQ(ini.ReadString("0", "FNxfs", "x"), "x");
  EXPECT_FALSE(fs::exists(path_)) << "reading must not create the file";
}

TEST_F(IniFileTest, WritingRulesByTheBytes) {
  struct Case {
    const char* name;
    std::string before;  // empty: no file
    const char* section;
    const char* key;
    const char* value;
    std::string after;
    const char* readBack;
  };
  const Case cases[] = {
      {"first write creates the file", "", "0", "FChecked", "true", "[0]\r\nFChecked=true\r\n",
       "true"},
      {"replaces in the first section of the name", "[a]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "K", "9",
       "[a]\r\nK=9\r\n[A]\r\nk=2\r\n", "9"},
      {"replaces the first line of a doubled key", "[a]\r\nk = 1\r\nk=2\r\n", "a", "k", "3",
       "[a]\r\nk=3\r\nk=2\r\n", "3"},
      {"adds after the section's last key", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "z", "3",
       "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n", "3"},
      {"adds right after a bare header", "[a]\r\n\r\n[b]\r\n", "a", "k", "v",
       "[a]\r\nk=v\r\n\r\n[b]\r\n", "v"},
      {"adds the section at the end", "[a]\nx=1", "c", "k", "v", "[a]\r\nx=1\r\n[c]\r\nk=v\r\n", "v"},
      {"keeps lines it does not understand", "top\r\n[a]\r\n;note\r\nx=1\r\n", "a", "y", "2",
       "top\r\n[a]\r\n;note\r\nx=1\r\ny=2\r\n", "2"},
      {"writes the value as given", "", "0", "FShijian", " \"提醒\" ",
       "[0]\r\nFShijian= \"\xCC\xE1\xD0\xD1\" \r\n", "提醒"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path_);
    if (!c.before.empty()) Overwrite(c.before);
    TIniFile ini(path_);
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(Read(), c.after);
    EXPECT_EQ(ini.ReadString(c.section, c.key), c.readBack);
    EXPECT_EQ(TIniFile(path_).ReadString(c.section, c.key), c.readBack);
  }
}

TEST_F(IniFileTest, ManyWritesBuildTheScheduleFile) {
  TIniFile ini(path_);
  for (const char* section : {"0", "1"}) {
    ini.WriteString(section, "FNxfs", "周末");
    ini.WriteString(section, "FChecked", "true");
  }
  ini.WriteString("0", "FChecked", "false");
  EXPECT_EQ(Read(), Utf8ToGbk("[0]\r\nFNxfs=周末\r\nFChecked=false\r\n"
                              "[1]\r\nFNxfs=周末\r\nFChecked=true\r\n"));
  EXPECT_EQ(ini.ReadString("0", "FChecked"), "false");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"0", "1"}));
}

TEST_F(IniFileTest, FailedWriteNamesTheFileAndChangesNothing) {
  fs::create_directory(path_);
  TIniFile folder(path_);
  try {
    folder.WriteString("0", "k", "v");
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path_);
  }
  EXPECT_TRUE(fs::is_empty(path_));
  fs::remove(path_);

  TIniFile ini(path_);
  ini.WriteString("0", "k", "v");
  EXPECT_THROW(ini.WriteString("0", "k", "😀"), EConvertError);
  EXPECT_EQ(Read(), "[0]\r\nk=v\r\n");
  EXPECT_EQ(ini.ReadString("0", "k"), "v");
}

TEST_F(IniFileTest, ChangeFromOutsideShowsAtTheNextRead) {
  Overwrite("[0]\r\nk=1\r\n");
  TIniFile ini(path_);
  ASSERT_EQ(ini.ReadString("0", "k"), "1");

  // Same size and inode, a later time.
  timespec before = ModifiedTime();
  Overwrite("[0]\r\nk=2\r\n");
  SetModifiedTime({before.tv_sec + 1, before.tv_nsec});
  EXPECT_EQ(ini.ReadString("0", "k"), "2");

  // Same size and inode and even the same time put back: only the change
  // time and the bytes tell, and the change may fall in the same clock step.
  before = ModifiedTime();
  Overwrite("[0]\r\nk=3\r\n");
  SetModifiedTime(before);
  EXPECT_EQ(ini.ReadString("0", "k"), "3");
  EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"0"});
}

TEST_F(IniFileTest, AnotherWriterIsNeverHiddenByTheCopy) {
  // Each write renames a new file in; the freed inode number may come back at
  // once with the same size and time, so the stat alone cannot tell them apart.
  TIniFile reader(path_);
  TIniFile writer(path_);
  for (int i = 0; i < 20; ++i) {
    const std::string value = std::to_string(i % 10);
    writer.WriteString("0", "k", value);
    ASSERT_EQ(reader.ReadString("0", "k"), value) << "write " << i;
  }
  EXPECT_EQ(writer.ReadString("0", "k"), "9");
}

TEST_F(IniFileTest, DeletedFileReadsEmptyAndANewOneIsRead) {
  TIniFile ini(path_);
  ini.WriteString("0", "k", "v");
  ASSERT_EQ(ini.ReadString("0", "k"), "v");
  fs::remove(path_);
  EXPECT_EQ(ini.ReadString("0", "k", "gone"), "gone");
  EXPECT_TRUE(ini.ReadSections().empty());

  Overwrite("[0]\r\nk=w\r\n");
  EXPECT_EQ(ini.ReadString("0", "k"), "w");

  // After a delete, a write starts a new file rather than restoring the old text.
  ini.WriteString("1", "x", "y");
  fs::remove(path_);
  ini.WriteString("2", "z", "1");
  EXPECT_EQ(Read(), "[2]\r\nz=1\r\n");
}

}  // namespace

namespace {

// One pass over many keys checks the file once; the next pass sees what changed.
TEST(IniReadPassTest, ChecksOncePerPassAndAgainInANestedPass) {
  TempFolder folder("tamiro-ini-pass");
  const std::string path = folder.PathOf("pass.ini");
  auto write = [&](const char* text) { WriteBytes(path, text); };
  write("[a]\r\nk=1\r\n");
  TIniFile ini(path);
  {
    TIniFile::ReadPass pass(ini);
    EXPECT_EQ(ini.ReadString("a", "k"), "1");
    write("[a]\r\nk=22\r\n");
    EXPECT_EQ(ini.ReadString("a", "k"), "1") << "the pass trusts its first look";
    {
      TIniFile::ReadPass nested(ini);
      EXPECT_EQ(ini.ReadString("a", "k"), "22") << "a nested pass looks again";
    }
    std::remove(path.c_str());
    EXPECT_EQ(ini.ReadString("a", "k"), "22");
    ini.Forget();
    EXPECT_EQ(ini.ReadString("a", "k"), "") << "after Forget the deleted file reads empty";
  }
  write("[a]\r\nk=333\r\n");
  EXPECT_EQ(ini.ReadString("a", "k"), "333") << "outside a pass every read checks";
}

TEST(IniReadPassTest, APassMayOutliveItsFile) {
  auto ini = std::make_unique<TIniFile>("/nonexistent/pass.ini");
  TIniFile::ReadPass pass(*ini);
  EXPECT_TRUE(ini->ReadSections().empty());
  ini.reset();  // the schedule can be started anew while a tick waits in a box
}

}  // namespace

namespace {

// Keys written at the end are appended; what the writer then reads from its own
// copy must be what a fresh reader parses from the file.
TEST(IniAppendTest, AppendedWritesReadTheSameAsAFreshParse) {
  TempFolder folder("tamiro-ini-append");
  const std::string path = folder.PathOf("append.ini");
  TIniFile writer(path);
  writer.WriteString("0", "FDatetime", "08:00:00");
  writer.WriteString("0", "FShijian", " \"起床\" ");
  writer.WriteString("1", "FNxfs", "每天都响");
  writer.WriteString("0", "FNzls", "late.mp3");  // not the last section: a rewrite
  writer.WriteString("1", "FDatetime", "09:00:00");
  writer.WriteString("1", "FNxfs", "周末");  // a replacement
  writer.WriteString("[odd]", "k", "v");     // a name that needs care
  TIniFile fresh(path);
  EXPECT_EQ(writer.ReadSections(), fresh.ReadSections());
  for (const char* section : {"0", "1", "[odd]"})
    for (const char* key : {"FDatetime", "FShijian", "FNxfs", "FNzls", "k"}) {
      SCOPED_TRACE(std::string(section) + "/" + key);
      EXPECT_EQ(writer.ReadString(section, key), fresh.ReadString(section, key));
    }
  EXPECT_EQ(fresh.ReadString("0", "FShijian"), "起床");
  EXPECT_EQ(ReadBytes(path), Utf8ToGbk("[0]\r\nFDatetime=08:00:00\r\nFShijian= \"起床\" \r\nFNzls=late.mp3\r\n"
                             "[1]\r\nFNxfs=周末\r\nFDatetime=09:00:00\r\n[[odd]]\r\nk=v\r\n"));
}

}  // namespace

namespace {

// Keys appended one after another go through one kept descriptor; a change from outside
// between two of them is still seen by the next write, and inside a pass every key is in
// the file as soon as it is written.
TEST(IniAppendTest, ChangesFromOutsideBetweenAppendsAreKept) {
  TempFolder folder("tamiro-ini-outside");
  const std::string path = folder.PathOf("outside.ini");
  auto put = [&](const std::string& text, bool replace) {
    std::string target = replace ? path + ".new" : path;
    std::FILE* f = std::fopen(target.c_str(), replace ? "wb" : "ab");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    if (replace) std::rename(target.c_str(), path.c_str());
  };
  const struct {
    const char* what;
    std::function<void()> outside;
    std::string after;
  } cases[] = {
      {"nothing", [] {}, "[1]\r\na=1\r\nb=2\r\n"},
      {"a section appended to the same file", [&] { put("[9]\r\nx=1\r\n", false); },
       "[1]\r\na=1\r\nb=2\r\n[9]\r\nx=1\r\n"},
      {"the file replaced by another", [&] { put("[1]\r\nz=0\r\n", true); }, "[1]\r\nz=0\r\nb=2\r\n"},
      {"the file deleted", [&] { std::remove(path.c_str()); }, "[1]\r\nb=2\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(path.c_str());
    TIniFile writer(path);
    writer.WriteString("1", "a", "1");
    c.outside();
    writer.WriteString("1", "b", "2");
    EXPECT_EQ(ReadBytes(path), c.after);
  }

  std::remove(path.c_str());
  TIniFile writer(path);
  TIniFile::ReadPass pass(writer);
  for (int i = 0; i < 50; ++i) {
    writer.WriteString(std::to_string(i), "FDatetime", "08:00:00");
    ASSERT_EQ(TIniFile(path).ReadString(std::to_string(i), "FDatetime"), "08:00:00") << "key " << i;
  }
}

}  // namespace

namespace {

// A pass trusts its copy against changes from outside, but never against the program's own:
// whatever the program does to the file through its file functions, the next read sees.
TEST_F(IniFileTest, APassSeesEveryChangeTheProgramMakesToItsFile) {
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> change;
    const char* value;  // of [a] k after the change
    std::vector<std::string> sections;
  };
  const Case cases[] = {
      {"deleted", [](const std::string& path) { DeleteFile(path); }, "", {}},
      {"replaced as a whole",
       [](const std::string& path) { ReplaceFileBytes(path, "[b]\r\nk=2\r\n", SyncMode::LeaveToSystem); }, "",
       {"b"}},
      {"a line appended", [](const std::string& path) { AppendLine(path, "[c]", OpenVariant::AppendOnly); }, "1",
       {"a", "c"}},
      {"written by another reader", [](const std::string& path) { TIniFile(path).WriteString("a", "k", "3"); },
       "3", {"a"}},
      {"deleted, then written by another reader",
       [](const std::string& path) {
         DeleteFile(path);
         TIniFile(path).WriteString("d", "k", "4");
       },
       "", {"d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Overwrite("[a]\r\nk=1\r\n");
    TIniFile ini(path_);
    TIniFile::ReadPass pass(ini);
    ASSERT_EQ(ini.ReadString("a", "k"), "1");
    c.change(path_);
    EXPECT_EQ(ini.ReadString("a", "k"), c.value);
    EXPECT_EQ(ini.ReadSections(), c.sections);
  }
}

// The pass's own writes keep its copy true, so they do not end its trust: a change from
// outside after them still waits for the next pass, and a later delete is still seen.
TEST_F(IniFileTest, APassKeepsTrustingItsCopyAcrossItsOwnWrites) {
  Overwrite("[a]\r\nk=1\r\n");
  TIniFile ini(path_);
  {
    TIniFile::ReadPass pass(ini);
    ASSERT_EQ(ini.ReadString("a", "k"), "1");
    ini.WriteString("a", "k", "2");  // a replacement of the whole file
    ini.WriteString("b", "k", "3");  // an appended section
    Overwrite("[a]\r\nk=9\r\n");
    EXPECT_EQ(ini.ReadString("a", "k"), "2");
    EXPECT_EQ(ini.ReadString("b", "k"), "3");
    DeleteFile(path_);
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{});
    ini.WriteString("c", "k", "4");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"c"});
  }
  EXPECT_EQ(Read(), "[c]\r\nk=4\r\n");
}

}  // namespace
