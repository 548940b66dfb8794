// Tests of the registry stand-in: the bytes it writes, value kinds, open modes, failing and
// damaged stores, and the registered owner line read from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "KilledSave.h"
#include "TestSupport.h"
#include "platform/os/Registry.h"
#include "platform/os/SystemInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileReplace.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

constexpr const char* kTamiroKey = ".DEFAULT\\Software\\Korvelund\\Tamiro";

// The message of the ERegistryException that action throws, or "(no error)".
std::string RegistryError(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "(no error)";
}

// Every test gets its own configuration folder and collects the store's problem reports.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = MakeTempFolder("tamiro-registry");
    env_.emplace("XDG_CONFIG_HOME", base_);
    savedReport_ = TRegistry::OnStoreProblem;
    TRegistry::OnStoreProblem = [this](const std::string& message) { problems_.push_back(message); };
  }
  void TearDown() override {
    TRegistry::OnStoreProblem = savedReport_;
    FileReplaceSeams() = ReplaceSeams{};
    env_.reset();
    fs::remove_all(base_);
  }

  std::string Folder() const { return base_ + "/tamiro"; }
  std::string StoreFile(const std::string& root = "HKEY_USERS") const { return Folder() + "/" + root + ".reg"; }
  void HandWrite(const std::string& bytes, const std::string& root = "HKEY_USERS") {
    fs::create_directories(Folder());
    WriteBytes(StoreFile(root), bytes);
  }

  std::string base_;
  std::optional<ScopedEnv> env_;
  std::vector<std::string> problems_;
  std::function<void(const std::string&)> savedReport_;
};

TEST_F(RegistryTest, EveryKindRoundTripsAndTheFileHoldsExactlyTheseBytes) {
  {
    TRegistry reg(RootKey::HKEY_USERS);
    ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
    reg.WriteString("Date", "2024-3-5");
    reg.WriteString("Quote", "a\\b\"中文");
    reg.WriteExpandString("Path", "%HOME%\\中");
    reg.WriteInteger("Count", 42);
    reg.WriteInteger("Minus", -1);
    reg.WriteBinaryData("Blob", {0x01, 0x02, 0xff});
    reg.WriteBinaryData("None", {});
    reg.WriteString("", "默认");
    reg.WriteString("Lines", "a\r\nb");
    reg.WriteString("Date", "2024-3-6");  // a rewrite keeps the value's place
    ASSERT_TRUE(reg.OpenKey("\\.DEFAULT\\Software\\Korvelund\\Other", OpenMode::CreateIfMissing));
    reg.WriteString("X", "1");
  }
  EXPECT_EQ(ReadBytes(StoreFile()),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n"
            "\"Date\"=\"2024-3-6\"\r\n"
            "\"Quote\"=\"a\\\\b\\\"\xD6\xD0\xCE\xC4\"\r\n"
            "\"Path\"=hex(2):25,48,4f,4d,45,25,5c,d6,d0,00\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "\"Minus\"=dword:ffffffff\r\n"
            "\"Blob\"=hex:01,02,ff\r\n"
            "\"None\"=hex:\r\n"
            "@=\"\xC4\xAC\xC8\xCF\"\r\n"
            "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
            "\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Other]\r\n"
            "\"X\"=\"1\"\r\n"
            "\r\n");

  TRegistry reg(RootKey::HKEY_USERS);
  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(reg.ReadString("Date"), "2024-3-6");
  EXPECT_EQ(reg.ReadString("Quote"), "a\\b\"中文");
  EXPECT_EQ(reg.GetDataType("Path"), RegDataType::ExpandString);
  EXPECT_EQ(reg.ReadString("Path"), "%HOME%\\中");
  EXPECT_EQ(reg.GetDataType("Count"), RegDataType::Integer);
  EXPECT_EQ(reg.ReadInteger("Count"), 42);
  EXPECT_EQ(reg.ReadInteger("Minus"), -1);
  EXPECT_EQ(reg.GetDataType("Blob"), RegDataType::Binary);
  EXPECT_EQ(reg.ReadBinaryData("Blob"), (std::vector<unsigned char>{0x01, 0x02, 0xff}));
  EXPECT_TRUE(reg.ValueExists("None"));
  EXPECT_TRUE(reg.ReadBinaryData("None").empty());
  EXPECT_EQ(reg.ReadString(""), "默认");
  EXPECT_EQ(reg.GetDataType("Lines"), RegDataType::String);
  EXPECT_EQ(reg.ReadString("Lines"), "a\r\nb");
  EXPECT_FALSE(reg.ValueExists("Log_CHK"));
  EXPECT_EQ(reg.ReadString("Log_CHK"), "");
  EXPECT_EQ(reg.GetDataType("Log_CHK"), RegDataType::Unknown);
}

TEST_F(RegistryTest, ReadingAValueAsAnotherKindRaisesTheRegistryErrorNamingIt) {
  using Action = std::function<void(TRegistry&)>;
  const struct {
    const char* what;
    Action store;
    Action read;
    const char* message;
  } cases[] = {
      {"dword read as text", [](TRegistry& r) { r.WriteInteger("Date", 7); },
       [](TRegistry& r) { r.ReadString("Date"); }, "Invalid data type for 'Date'"},
      {"binary read as text", [](TRegistry& r) { r.WriteBinaryData("Date", {1}); },
       [](TRegistry& r) { r.ReadString("Date"); }, "Invalid data type for 'Date'"},
      {"text read as dword", [](TRegistry& r) { r.WriteString("Zdbs", "true"); },
       [](TRegistry& r) { r.ReadInteger("Zdbs"); }, "Invalid data type for 'Zdbs'"},
      {"text read as binary", [](TRegistry& r) { r.WriteString("Zdbs", "true"); },
       [](TRegistry& r) { r.ReadBinaryData("Zdbs"); }, "Invalid data type for 'Zdbs'"},
      {"missing dword", [](TRegistry&) {}, [](TRegistry& r) { r.ReadInteger("Count"); },
       "Failed to get data for 'Count'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TRegistry reg(RootKey::HKEY_USERS);
    reg.DeleteKey(kTamiroKey);
    ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
    c.store(reg);
    TRegistry reader(RootKey::HKEY_USERS);
    ASSERT_TRUE(reader.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
    EXPECT_EQ(RegistryError([&] { c.read(reader); }), c.message);
  }
}

TEST_F(RegistryTest, OpenModesDecideWhetherAMissingKeyIsCreated) {
  TRegistry reg(RootKey::HKEY_USERS);
  EXPECT_FALSE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_FALSE(reg.OpenKeyReadOnly(kTamiroKey));
  EXPECT_FALSE(fs::exists(Folder())) << "looking must not create anything";
  EXPECT_EQ(RegistryError([&] { reg.WriteString("Date", "x"); }), "Failed to set data for 'Date'");

  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
  EXPECT_EQ(fs::status(Folder()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(StoreFile()), "REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n\r\n");
  EXPECT_TRUE(reg.KeyExists("\\.DEFAULT\\Software")) << "a key's parents exist with it";
  EXPECT_FALSE(reg.KeyExists("\\.DEFAULT\\Soft"));

  TRegistry again(RootKey::HKEY_USERS);
  EXPECT_TRUE(again.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  TRegistry otherRoot(RootKey::HKEY_CURRENT_USER);
  EXPECT_FALSE(otherRoot.OpenKey(kTamiroKey, OpenMode::ExistingOnly));

  // Read-only opens read but never write; a closed key writes nothing either.
  reg.WriteString("Date", "2024-3-5");
  const std::string before = ReadBytes(StoreFile());
  TRegistry reader(RootKey::HKEY_USERS);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kTamiroKey));
  EXPECT_EQ(reader.ReadString("Date"), "2024-3-5");
  EXPECT_EQ(RegistryError([&] { reader.WriteString("Date", "x"); }), "Failed to set data for 'Date'");
  reg.CloseKey();
  EXPECT_EQ(RegistryError([&] { reg.WriteInteger("Date", 1); }), "Failed to set data for 'Date'");
  EXPECT_EQ(ReadBytes(StoreFile()), before);
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenRefusesFullAccessAndEveryWrite) {
  // Permission bits do not stop root, so the store is made unreachable by its shape instead.
  const struct {
    const char* what;
    std::function<void()> arrange;
    bool reported;
  } cases[] = {
      {"configuration folder is a regular file",
       [&] {
         WriteBytes(base_ + "/plain", "x");
         env_.emplace("XDG_CONFIG_HOME", base_ + "/plain");
       },
       false},
      {"store folder is a regular file", [&] { WriteBytes(Folder(), "x"); }, false},
      {"store file is a folder", [&] { fs::create_directories(StoreFile()); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env_.reset();
    fs::remove_all(base_);
    fs::create_directories(base_);
    env_.emplace("XDG_CONFIG_HOME", base_);
    problems_.clear();
    c.arrange();

    TRegistry reg(RootKey::HKEY_USERS);
    EXPECT_FALSE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
    EXPECT_FALSE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
    EXPECT_EQ(RegistryError([&] { reg.WriteString("Date", "2024-3-5"); }), "Failed to set data for 'Date'");
    EXPECT_FALSE(reg.DeleteKey(kTamiroKey));
    EXPECT_EQ(problems_.size(), c.reported ? 1u : 0u) << "reported once however often it is opened";
  }
}

TEST_F(RegistryTest, ACrashBeforeTheRenameLeavesTheOldFile) {
  TRegistry reg(RootKey::HKEY_USERS);
  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
  reg.WriteString("Date", "2024-3-5");
  const std::string before = ReadBytes(StoreFile());

  bool newTextWaitedBeside = false;
  bool oldFileUntouched = false;
  FileReplaceSeams().hook = [&](ReplaceStep step, const std::string& tempPath) {
    if (step != ReplaceStep::BeforeRename) return;
    newTextWaitedBeside = ReadBytes(tempPath).find("2024-3-6") != std::string::npos;
    oldFileUntouched = ReadBytes(StoreFile()) == before;
    throw std::runtime_error("power cut");
  };
  EXPECT_EQ(RegistryError([&] { reg.WriteString("Date", "2024-3-6"); }), "Failed to set data for 'Date'");
  EXPECT_TRUE(newTextWaitedBeside);
  EXPECT_TRUE(oldFileUntouched);
  EXPECT_EQ(ReadBytes(StoreFile()), before);
  EXPECT_EQ(reg.ReadString("Date"), "2024-3-5") << "the failed write must not show in memory either";
  TRegistry reader(RootKey::HKEY_USERS);
  ASSERT_TRUE(reader.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(reader.ReadString("Date"), "2024-3-5");

  FileReplaceSeams().hook = nullptr;
  reg.WriteString("Date", "2024-3-6");
  ASSERT_TRUE(reader.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(reader.ReadString("Date"), "2024-3-6");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Folder())) names.push_back(entry.path().filename());
  EXPECT_THAT(names, ::testing::ElementsAre("HKEY_USERS.reg"));
}

// A process killed while it writes the store leaves the old store and nothing beside it.
TEST_F(RegistryTest, AWriteKilledMidwayLeavesOnlyTheOldStore) {
  TRegistry reg(RootKey::HKEY_USERS);
  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
  reg.WriteString("Date", "2024-3-5");
  const std::string before = ReadBytes(StoreFile());

  ASSERT_TRUE(SaveKilledAt(ReplaceStep::Writing, [&] { reg.WriteString("Date", "2024-3-6"); }).diedAtStep);

  EXPECT_EQ(ReadBytes(StoreFile()), before);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Folder())) names.push_back(entry.path().filename());
  EXPECT_THAT(names, ::testing::ElementsAre("HKEY_USERS.reg"));
}

TEST_F(RegistryTest, ADamagedFileIsSetAsideReportedOnceAndTheStoreStartsAfresh) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"not an export", "hello\r\n"},
      {"empty file", ""},
      {"value before any key", "REGEDIT4\r\n\r\n\"Date\"=\"2024-3-5\"\r\n"},
      {"bad dword", "REGEDIT4\r\n\r\n[HKEY_USERS\\A]\r\n\"N\"=dword:xyz\r\n"},
      {"unterminated text", "REGEDIT4\r\n\r\n[HKEY_USERS\\A]\r\n\"Date\"=\"2024\r\n"},
      {"key of another root", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"},
      {"bytes that are not GBK", "REGEDIT4\r\n\r\n[HKEY_USERS\\A]\r\n\"Date\"=\"\xFF\xFF\"\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Folder());
    problems_.clear();
    HandWrite(c.bytes);

    TRegistry reg(RootKey::HKEY_USERS);
    EXPECT_FALSE(reg.OpenKey("A", OpenMode::ExistingOnly));
    const std::string aside = StoreFile() + ".corrupt-1";
    EXPECT_FALSE(fs::exists(StoreFile()));
    EXPECT_TRUE(fs::exists(aside));
    EXPECT_EQ(ReadBytes(aside), c.bytes) << "kept as it was";
    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_THAT(problems_[0], HasSubstr(StoreFile() + " "));
    EXPECT_THAT(problems_[0], HasSubstr(aside));

    ASSERT_TRUE(reg.OpenKey("A", OpenMode::CreateIfMissing));
    reg.WriteString("Date", "2024-3-5");
    EXPECT_EQ(ReadBytes(StoreFile()), "REGEDIT4\r\n\r\n[HKEY_USERS\\A]\r\n\"Date\"=\"2024-3-5\"\r\n\r\n");
    EXPECT_FALSE(reg.OpenKey("B", OpenMode::ExistingOnly));
    EXPECT_EQ(problems_.size(), 1u);
  }
}

TEST_F(RegistryTest, ASecondDamagedFileNeverReplacesTheFirstOneSetAside) {
  TRegistry reg(RootKey::HKEY_USERS);
  HandWrite("first");
  EXPECT_FALSE(reg.KeyExists("A"));
  HandWrite("second");
  EXPECT_FALSE(reg.KeyExists("A"));
  EXPECT_EQ(ReadBytes(StoreFile() + ".corrupt-1"), "first");
  EXPECT_EQ(ReadBytes(StoreFile() + ".corrupt-2"), "second");
  EXPECT_EQ(problems_.size(), 2u);
}

TEST_F(RegistryTest, KeyPathsAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  TRegistry reg;  // HKEY_CURRENT_USER
  ASSERT_TRUE(reg.OpenKey("Software\\Korvelund\\Tamiro", OpenMode::CreateIfMissing));
  reg.WriteString("Date", "1");

  ASSERT_TRUE(reg.OpenKey("SOFTWARE\\korvelund\\TAMIRO", OpenMode::ExistingOnly));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Korvelund\\Tamiro");
  EXPECT_EQ(reg.ReadString("DATE"), "1");
  reg.WriteString("date", "2");
  ASSERT_TRUE(reg.OpenKey("\\software\\KORVELUND\\Other", OpenMode::CreateIfMissing));
  EXPECT_EQ(ReadBytes(StoreFile("HKEY_CURRENT_USER")),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvelund\\Tamiro]\r\n\"Date\"=\"2\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvelund\\Other]\r\n\r\n");

  // Paths start at the root whatever is open, so reopening never nests them.
  ASSERT_TRUE(reg.OpenKey("software\\korvelund\\tamiro", OpenMode::CreateIfMissing));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Korvelund\\Tamiro");
  EXPECT_FALSE(reg.KeyExists("Software\\Korvelund\\Tamiro\\Software"));
  EXPECT_TRUE(reg.KeyExists("\\Software\\Korvelund\\Other"));
}

TEST_F(RegistryTest, AFileEditedByHandIsReadAndWrittenBackInTheRegularForm) {
  HandWrite(
      "REGEDIT4\n"
      "; changed by hand\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\n"
      "\"Log_CHK\" = \"fa\\\"l\\\\se\"\n"
      "\"Zdbs\"=\"\xD6\xD0\"   \n"
      "\"Blob\"=hex:01,02,\\\n"
      "  03\n"
      "\"Multi\"=hex(7):61,00,00\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro\\Sub]\n"
      "\"N\"=dword:2A\n");

  TRegistry reg(RootKey::HKEY_USERS);
  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(reg.ReadString("Log_CHK"), "fa\"l\\se");
  EXPECT_EQ(reg.ReadString("Zdbs"), "中");
  EXPECT_EQ(reg.ReadBinaryData("Blob"), (std::vector<unsigned char>{1, 2, 3}));
  EXPECT_EQ(reg.GetDataType("Multi"), RegDataType::Unknown);
  EXPECT_EQ(RegistryError([&] { reg.ReadString("Multi"); }), "Invalid data type for 'Multi'");
  ASSERT_TRUE(reg.OpenKey(kTamiroKey + std::string("\\Sub"), OpenMode::ExistingOnly));
  EXPECT_EQ(reg.ReadInteger("N"), 42);
  EXPECT_TRUE(problems_.empty());

  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  reg.WriteString("Date", "2024-3-5");
  EXPECT_EQ(ReadBytes(StoreFile()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n"
            "\"Log_CHK\"=\"fa\\\"l\\\\se\"\r\n"
            "\"Zdbs\"=\"\xD6\xD0\"\r\n"
            "\"Blob\"=hex:01,02,03\r\n"
            "\"Multi\"=hex(7):61,00,00\r\n"
            "\"Date\"=\"2024-3-5\"\r\n"
            "\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro\\Sub]\r\n"
            "\"N\"=dword:0000002a\r\n"
            "\r\n");
}

// A key written twice in one file (as by hand) is one key: its first spelling and place,
// the values of both blocks, and a value named twice keeps its first name and last data.
TEST_F(RegistryTest, AKeyOrValueRepeatedInTheFileIsReadAsOne) {
  HandWrite(
      "REGEDIT4\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\n"
      "\"Zdbs\"=\"true\"\n"
      "[HKEY_USERS\\.DEFAULT\\Software\\Other]\n"
      "\"A\"=\"1\"\n"
      "[HKEY_USERS\\.default\\software\\KORVELUND\\tamiro]\n"
      "\"ZDBS\"=\"false\"\n"
      "\"Date\"=\"2026-3-2\"\n");
  TRegistry reg(RootKey::HKEY_USERS);
  ASSERT_TRUE(reg.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(reg.ReadString("Zdbs"), "false");
  EXPECT_EQ(reg.ReadString("Date"), "2026-3-2");
  reg.WriteString("Log_CHK", "true");
  EXPECT_EQ(ReadBytes(StoreFile()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n"
            "\"Zdbs\"=\"false\"\r\n\"Date\"=\"2026-3-2\"\r\n\"Log_CHK\"=\"true\"\r\n\r\n"
            "[HKEY_USERS\\.DEFAULT\\Software\\Other]\r\n\"A\"=\"1\"\r\n\r\n");
}

TEST_F(RegistryTest, ChangesMadeElsewhereShowAtTheNextOpenAndAreNeverLost) {
  TRegistry program(RootKey::HKEY_USERS);
  TRegistry elsewhere(RootKey::HKEY_USERS);
  ASSERT_TRUE(program.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
  ASSERT_TRUE(elsewhere.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  elsewhere.WriteString("Zdbs", "true");

  program.WriteString("Log_CHK", "false");  // must not drop what was written meanwhile
  EXPECT_EQ(program.ReadString("Zdbs"), "true");
  ASSERT_TRUE(elsewhere.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  EXPECT_EQ(elsewhere.ReadString("Log_CHK"), "false");

  // The key removed while open: writes fail until an open creates it again, empty.
  ASSERT_TRUE(elsewhere.OpenKey(kTamiroKey + std::string("\\Sub"), OpenMode::CreateIfMissing));
  EXPECT_TRUE(elsewhere.DeleteKey("\\.DEFAULT\\Software\\Korvelund"));
  EXPECT_FALSE(elsewhere.DeleteKey("\\.DEFAULT\\Software\\Korvelund"));
  EXPECT_FALSE(elsewhere.KeyExists("\\" + std::string(kTamiroKey) + "\\Sub"));
  EXPECT_EQ(ReadBytes(StoreFile()), "REGEDIT4\r\n\r\n");
  EXPECT_EQ(RegistryError([&] { program.WriteString("Date", "2024-3-5"); }), "Failed to set data for 'Date'");
  EXPECT_FALSE(program.OpenKey(kTamiroKey, OpenMode::ExistingOnly));
  ASSERT_TRUE(program.OpenKey(kTamiroKey, OpenMode::CreateIfMissing));
  program.WriteString("Date", "2024-3-5");
  EXPECT_FALSE(program.ValueExists("Zdbs"));
}

TEST_F(RegistryTest, RegisteredOwnerLineIsFilledInOnceAndThenFollowsTheStore) {
  const std::string owner = SystemOwnerName();
  ASSERT_FALSE(owner.empty());
  EXPECT_EQ(owner.find(','), std::string::npos);

  EXPECT_EQ(RegisteredOwnerLine(), " " + owner);
  TRegistry machine(RootKey::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(machine.OpenKey(kCurrentVersionKey, OpenMode::ExistingOnly));
  EXPECT_TRUE(machine.ValueExists("RegisteredOrganization"));
  EXPECT_EQ(machine.ReadString("RegisteredOrganization"), "");
  EXPECT_EQ(machine.ReadString("RegisteredOwner"), owner);

  // Edited by a person: shown as it is, never filled in again.
  machine.WriteString("RegisteredOrganization", "Harwen 公司");
  machine.WriteString("RegisteredOwner", "张三");
  EXPECT_EQ(RegisteredOwnerLine(), "Harwen 公司 张三");
  machine.WriteString("RegisteredOwner", "");
  EXPECT_EQ(RegisteredOwnerLine(), "Harwen 公司 ");

  ASSERT_TRUE(machine.DeleteKey("\\" + std::string(kCurrentVersionKey)));
  ASSERT_TRUE(machine.OpenKey(kCurrentVersionKey, OpenMode::CreateIfMissing));
  EXPECT_EQ(RegisteredOwnerLine(), " ") << "a key without the values gives the blank alone";
}

TEST_F(RegistryTest, RegisteredOwnerLineStillAnswersWhenTheStoreCannotBeWritten) {
  WriteBytes(Folder(), "not a folder");
  EXPECT_EQ(RegisteredOwnerLine(), " " + SystemOwnerName());
}

}  // namespace
