// The stored settings: the first run, later starts, the user's toggles and a store that cannot be written.
#include <filesystem>
#include <functional>
#include <fstream>
#include <optional>

#include "TamiroFixture.h"
#include "platform/os/Registry.h"
#include "platform/rtl/FileReplace.h"

namespace {

namespace fs = std::filesystem;

const char* const kKey = ".DEFAULT\\Software\\Korvelund\\Tamiro";
const std::string kKeyLine = "[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n";
const std::string kWelcome = "(程序运行)欢迎使用Velora！";
const std::string kChimeOn = "自动激活整点报时功能，每个整点将自动报时．";

class SettingsTest : public TamiroTest {
 protected:

  std::string StorePath() const { return Root() + "/config/tamiro/HKEY_USERS.reg"; }

  // A stored value, or nullopt when it (or the key) is missing.
  static std::optional<std::string> Stored(const std::string& name) {
    TRegistry registry(RootKey::HKEY_USERS);
    if (!registry.OpenKeyReadOnly(kKey) || !registry.ValueExists(name)) return std::nullopt;
    return registry.ReadString(name);
  }

  // Values as an earlier run would have left them; a null value is left out.
  static void Seed(std::initializer_list<std::pair<const char*, const char*>> values) {
    TRegistry registry(RootKey::HKEY_USERS);
    ASSERT_TRUE(registry.OpenKey(kKey, OpenMode::CreateIfMissing));
    for (const auto& [name, value] : values)
      if (value) registry.WriteString(name, value);
  }

  // Every replacement of the settings' store file from now on: the new text, and whether the log file existed then.
  struct StoreWrite {
    std::string text;
    bool logExisted;
  };
  std::vector<StoreWrite> writes;
  void RecordStoreWrites() {
    const std::string tempStem = Root() + "/config/tamiro/.HKEY_USERS.reg.";  // not the machine-wide store
    FileReplaceSeams().hook = [this, tempStem](ReplaceStep step, const std::string& tempPath) {
      if (step == ReplaceStep::BeforeRename && tempPath.starts_with(tempStem))
        writes.push_back({FileBytes(tempPath), fs::exists(WorkDir() + "/Tamiro.Log")});
    };
  }

  void ShowLogPage() { F().xz->SetActivePageIndex(5); }
};

std::string StoreText(const std::string& valueLines) {
  return "REGEDIT4\r\n\r\n" + kKeyLine + valueLines + "\r\n";
}

TEST_F(SettingsTest, FirstRunCreatesTheKeyWithDateOnlyAndWritesOneHeader) {
  RecordStoreWrites();
  StartAt("2026-03-02 08:15:30");

  // The chain: the key is created, Date stored empty, then today's date; the header comes after both.
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].text, StoreText(""));
  EXPECT_EQ(writes[1].text, StoreText("\"Date\"=\"\"\r\n"));
  EXPECT_EQ(writes[2].text, StoreText("\"Date\"=\"2026-3-2\"\r\n"));
  for (const auto& write : writes) EXPECT_FALSE(write.logExisted);

  EXPECT_EQ(FileBytes(StorePath()), StoreText("\"Date\"=\"2026-3-2\"\r\n"));
  EXPECT_EQ(Stored("Date"), "2026-3-2");
  EXPECT_EQ(Stored("Log_CHK"), std::nullopt);
  EXPECT_EQ(Stored("Zdbs"), std::nullopt);
  EXPECT_EQ(DateValue, "2026-3-2");
  EXPECT_EQ(LogChkValue, "true");
  EXPECT_TRUE(F().CheckBox_Log->Checked());
  EXPECT_EQ(ZdbsValue, "false");
  EXPECT_FALSE(F().Chk_Zd->Checked());
  EXPECT_EQ(F().Time_Zd->Interval(), 0);

  // One header (full-width brackets A1BE/A1BF), before the welcome line; the memo has no header.
  EXPECT_EQ(LogBytes(), "\xA1\xBE" "2026-3-2\xA1\xBF\r\n" + Gbk("[2026-03-02 08:15:30] " + kWelcome + "\r\n"));
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kWelcome});
}

// Starts after the first run on 2 March, with no toggle in between.
TEST_F(SettingsTest, LaterStartsWriteAHeaderOnlyOnALaterDay) {
  struct Case {
    const char* moment;
    const char* header;  // expected before the welcome line, or null
    const char* date;    // stored afterwards
  } cases[] = {
      {"2026-03-02 17:40:05", nullptr, "2026-3-2"},
      {"2026-03-05 09:00:00", "【2026-3-5】", "2026-3-5"},
      {"2026-03-01 09:00:00", nullptr, "2026-3-2"},  // clock set back: a later stored date writes nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moment);
    StartAt("2026-03-02 08:15:30");
    Quit();
    std::string before = LogBytes();
    StartAt(c.moment);
    std::string stamp = std::string(c.moment);
    std::string added = (c.header ? std::string(c.header) + "\r\n" : "") + "[" + stamp + "] " + kWelcome + "\r\n";
    EXPECT_EQ(LogBytes(), before + Gbk(added));
    EXPECT_EQ(Stored("Date"), c.date);
    EXPECT_EQ(Stored("Log_CHK"), std::nullopt);
    EXPECT_EQ(LogChkValue, "falses");
    EXPECT_TRUE(F().CheckBox_Log->Checked());
    Quit();
    fs::remove_all(Root() + "/config/tamiro");
    fs::remove(WorkDir() + "/Tamiro.Log");
  }
}

// Each stored Log_CHK, on a start the same day (one load) and on a later day (a second load
// through SaveDate): the outcome is the same, and nothing is stored back.
TEST_F(SettingsTest, LogChkDecidesTheAutoSaveBox) {
  struct Case {
    const char* stored;  // null: missing
    bool ticked;
    const char* mirror;
  } cases[] = {
      {"false", false, "false"}, {"", true, "falses"},     {nullptr, true, "falses"}, {"true", true, "true"},
      {"falses", true, "true"},  {"FALSE", true, "true"}, {"0", true, "true"},
  };
  for (const Case& c : cases) {
    for (const char* moment : {"2026-03-02 08:15:30", "2026-03-04 08:15:30"}) {
      SCOPED_TRACE(std::string(c.stored ? c.stored : "(missing)") + " at " + moment);
      Seed({{"Date", "2026-3-2"}, {"Log_CHK", c.stored}});
      StartAt(moment);
      EXPECT_EQ(F().CheckBox_Log->Checked(), c.ticked);
      EXPECT_EQ(LogChkValue, c.mirror);
      EXPECT_EQ(Stored("Log_CHK"), c.stored ? std::optional<std::string>(c.stored) : std::nullopt);
      // An unticked box keeps the welcome line out of the file.
      EXPECT_EQ(LogBytes().find(Gbk(kWelcome)) != std::string::npos, c.ticked);
      Quit();
      fs::remove_all(Root() + "/config/tamiro");
      fs::remove(WorkDir() + "/Tamiro.Log");
    }
  }
}

TEST_F(SettingsTest, ZdbsSwitchesTheChimeOnUnlessExactlyFalseOrEmpty) {
  struct Case {
    const char* stored;  // null: missing
    bool on;
  } cases[] = {{"FALSE", true}, {"true", true}, {"false", false}, {"", false}, {nullptr, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    Seed({{"Date", "2026-3-2"}, {"Zdbs", c.stored}});
    StartAt("2026-03-02 08:15:30");
    EXPECT_EQ(F().Chk_Zd->Checked(), c.on);
    EXPECT_EQ(ZdbsValue, c.on ? "true" : "false");
    EXPECT_EQ(F().Time_Zd->Interval(), c.on ? 1000 : 0);
    std::vector<std::string> lines{kWelcome};
    if (c.on) lines.push_back(kChimeOn);
    EXPECT_EQ(LogMessages(), lines);
    EXPECT_EQ(Stored("Zdbs"), c.stored ? std::optional<std::string>(c.stored) : std::nullopt);
    Quit();
    fs::remove_all(Root() + "/config/tamiro");
  }
}

TEST_F(SettingsTest, UntickingTheAutoSaveBoxStoresBothSwitches) {
  Seed({{"Date", "2026-3-2"}, {"Zdbs", "FALSE"}});  // the chime comes on, so its mirror reads "true"
  StartAt("2026-03-02 08:15:30");
  ShowLogPage();
  F().CheckBox_Log->UserToggle();
  EXPECT_EQ(FileBytes(StorePath()),
            StoreText("\"Date\"=\"2026-3-2\"\r\n\"Zdbs\"=\"true\"\r\n\"Log_CHK\"=\"false\"\r\n"));
  EXPECT_EQ(LogChkValue, "false");

  RestartAt("2026-03-02 09:00:00");
  EXPECT_FALSE(F().CheckBox_Log->Checked());
  ShowLogPage();
  F().CheckBox_Log->UserToggle();
  EXPECT_EQ(Stored("Log_CHK"), "true");
}

// Toggling the chime stores Log_CHK from its mirror as the start left it.
TEST_F(SettingsTest, TogglingTheChimeStoresTheAutoSaveMirrorAsItStands) {
  struct Case {
    const char* name;
    bool restartFirst;  // a later start finds Log_CHK missing
    const char* stored;
  } cases[] = {{"during the first start", false, "true"}, {"on a later start", true, "falses"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartAt("2026-03-02 08:15:30");
    if (c.restartFirst) RestartAt("2026-03-02 10:00:00");
    F().Chk_Zd->UserToggle();
    EXPECT_EQ(Stored("Log_CHK"), c.stored);
    EXPECT_EQ(Stored("Zdbs"), "true");
    RestartAt("2026-03-02 11:00:00");
    EXPECT_TRUE(F().CheckBox_Log->Checked());
    EXPECT_EQ(LogChkValue, "true");
    EXPECT_TRUE(F().Chk_Zd->Checked());
    Quit();
    fs::remove_all(Root() + "/config/tamiro");
  }
}

TEST_F(SettingsTest, SettingTheBoxesFromCodeStoresNothing) {
  StartAt("2026-03-02 08:15:30");
  int changes = 0;
  F().CheckBox_Log->OnChange = [&](TObject*) { ++changes; };
  F().Chk_Zd->OnChange = [&](TObject*) { ++changes; };
  RecordStoreWrites();
  F().CheckBox_Log->SetChecked(false);
  F().Chk_Zd->SetChecked(true);
  F().CheckBox_Log->SetChecked(true);
  F().Chk_Zd->SetChecked(false);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(writes.empty());
  EXPECT_EQ(LogChkValue, "true");
  EXPECT_EQ(ZdbsValue, "false");
}

// A store the start-up cannot use: the error is reported once, the later start-up steps are
// skipped and the window opens all the same.
TEST_F(SettingsTest, AStoreThatFailsStopsTheStartUpAtItsError) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    const char* report;
  } cases[] = {
      {"unwritable store",
       [this] {
         std::ofstream(Root() + "/blocker") << "x";
         setenv("XDG_CONFIG_HOME", (Root() + "/blocker").c_str(), 1);
       },
       "Failed to set data for 'Date'"},
      {"unreadable date", [] { Seed({{"Date", "yesterday"}}); }, "'yesterday' is not a valid date"},
      {"Log_CHK of another type",
       [] {
         Seed({{"Date", "2026-3-2"}});
         TRegistry registry(RootKey::HKEY_USERS);
         registry.OpenKey(kKey, OpenMode::ExistingOnly);
         registry.WriteInteger("Log_CHK", 1);
       },
       "Invalid data type for 'Log_CHK'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    AnswerBoxAtStart(IDOK);
    StartAt("2026-03-02 08:15:30");
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectErrorReport(Ui().Boxes[0], c.report);
    EXPECT_TRUE(Ui().WindowShown);
    EXPECT_TRUE(LogMessages().empty());  // no welcome line
    EXPECT_NE(F().Height(), 292);        // not folded
    EXPECT_EQ(F().nzls->Text(), "");
    Advance(1000);  // the clock runs on
    EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:31");
    Quit();
    setenv("XDG_CONFIG_HOME", (Root() + "/config").c_str(), 1);
    fs::remove_all(Root() + "/config/tamiro");
    fs::remove(WorkDir() + "/Tamiro.Log");
  }
}

// A store that cannot be understood is kept aside and the settings start afresh; the user is
// told in one box once the window is up, naming the file kept aside.
TEST_F(SettingsTest, AStoreSetAsideIsToldInOneBoxAfterTheStartUp) {
  fs::create_directories(Root() + "/config/tamiro");
  std::ofstream(StorePath(), std::ios::binary) << "REGEDIT4\r\n\r\n\"Date\"=\"2026-3-1\"\r\n";
  const std::string keptAs = StorePath() + ".corrupt-1";
  StartAt("2026-03-02 08:15:30");
  EXPECT_TRUE(Ui().Boxes.empty()) << "not in the middle of the start-up";
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kWelcome});
  EXPECT_TRUE(fs::exists(keptAs));

  Ui().AnswerBox(IDOK);
  Advance(5000);
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Boxes[0].Text,
            "保存设置的文件已损坏，无法读取，已改名保留为：\r\n" + keptAs + "\r\n设置已恢复为首次运行时的状态。");
  EXPECT_EQ(Ui().Boxes[0].Caption, "设置文件损坏");
  EXPECT_EQ(Ui().Boxes[0].Flags, MB_OK | MB_ICONWARNING);
  EXPECT_TRUE(Ui().Boxes[0].Owned);
  EXPECT_EQ(Stored("Date"), "2026-3-2") << "started afresh, as on a first run";

  RestartAt("2026-03-02 09:00:00");  // the new store reads well: nothing to tell
  Advance(5000);
  EXPECT_EQ(Ui().Boxes.size(), 0u);
}

}  // namespace
