// The activity log: lines and their file, clearing, saving, the clock tick's new day and the farewell.
#include <filesystem>
#include <fstream>

#include "TamiroFixture.h"
#include "platform/os/Registry.h"

namespace {

namespace fs = std::filesystem;

const std::string kWelcome = "(程序运行)欢迎使用Velora！";
const std::string kFarewell = "(程序退出)谢谢使用Velora！";

class ActivityLogTest : public TamiroTest {
 protected:
  std::string LogPath() const { return WorkDir() + "/Tamiro.Log"; }
  void ShowLogPage() { F().xz->SetActivePageIndex(5); }
  // Writes a line the way a handler does: an error ends up in the default exception report.
  void Log(const std::string& message, LogVariant variant) {
    Application->Guard([&] { F().AppendLogLine(message, variant); });
  }
  void ExpectReports(const std::vector<std::string>& texts) {
    ASSERT_EQ(BoxTexts(), texts);
    for (size_t i = 0; i < texts.size(); ++i) ExpectErrorReport(Ui().Boxes[i], texts[i]);
  }
  static std::string StoredDate() {
    TRegistry registry(RootKey::HKEY_USERS);
    if (!registry.OpenKeyReadOnly(".DEFAULT\\Software\\Korvelund\\Tamiro")) return "(no key)";
    return registry.ReadString("Date");
  }
};

TEST_F(ActivityLogTest, LinesAreStampedToTheSecondAndNeverReordered) {
  StartAt("2026-03-02 08:15:30.600");  // a stamp drops the fraction; it does not round up
  EXPECT_EQ(F().Memo_Log->Lines.Items(), std::vector<std::string>{"[2026-03-02 08:15:30] " + kWelcome});
  Advance(399);
  Log("第二行 ＂C:\\a\\x.Log＂", LogVariant::CreateIfMissing);
  Advance(1);
  Log("第三行", LogVariant::AppendOnly);
  const std::vector<std::string> lines{"[2026-03-02 08:15:30] " + kWelcome,
                                       "[2026-03-02 08:15:30] 第二行 ＂C:\\a\\x.Log＂",
                                       "[2026-03-02 08:15:31] 第三行"};
  EXPECT_EQ(F().Memo_Log->Lines.Items(), lines);
  EXPECT_EQ(LogLine, lines.back());
  EXPECT_EQ(LogBytes(), Gbk("【2026-3-2】\r\n" + lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n"));
}

TEST_F(ActivityLogTest, TheTwoFileVariantsDifferOnlyWhenTheFileIsMissing) {
  struct Case {
    const char* name;
    bool fileThere;
    LogVariant variant;
    bool reachesFile;
  } cases[] = {
      {"create-if-missing, file there", true, LogVariant::CreateIfMissing, true},
      {"create-if-missing, no file", false, LogVariant::CreateIfMissing, true},
      {"append-only, file there", true, LogVariant::AppendOnly, true},
      {"append-only, no file", false, LogVariant::AppendOnly, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartAt("2026-03-02 08:15:30");
    if (!c.fileThere) fs::remove(LogPath());
    std::string before = LogBytes();
    if (!c.reachesFile) Ui().AnswerBox(IDOK);
    Log("闹钟已经启动．", c.variant);
    const std::string line = "[2026-03-02 08:15:30] 闹钟已经启动．";
    // The memo and LogLine have the line even when the file write fails.
    EXPECT_EQ(F().Memo_Log->Lines.Items().back(), line);
    EXPECT_EQ(LogLine, line);
    if (c.reachesFile) {
      ExpectReports({});
      EXPECT_EQ(LogBytes(), before + Gbk(line + "\r\n"));
    } else {
      ExpectReports({"File not found"});
      EXPECT_FALSE(fs::exists(LogPath()));
    }
    Quit();
    fs::remove(LogPath());
  }
}

TEST_F(ActivityLogTest, WithAutoSaveOffOnlyDayHeadersReachTheFile) {
  StartAt("2026-03-02 23:59:57");
  ShowLogPage();
  F().CheckBox_Log->UserToggle();
  std::string before = LogBytes();
  Log("闹钟已经启动．", LogVariant::CreateIfMissing);
  Advance(3000);  // over midnight
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{kWelcome, "闹钟已经启动．"}));
  EXPECT_EQ(LogBytes(), before + Gbk("【2026-3-3】\r\n"));
}

TEST_F(ActivityLogTest, ClearingEmptiesTheMemoAndMarksTheFileOnlyWithAutoSave) {
  for (bool autoSave : {true, false}) {
    SCOPED_TRACE(autoSave ? "auto-save on" : "auto-save off");
    StartAt("2026-03-02 08:15:30");
    ShowLogPage();
    if (!autoSave) F().CheckBox_Log->UserToggle();
    Advance(5000);
    std::string before = LogBytes();
    std::string lastLine = LogLine;
    F().Btn_Log_Clear->UserClick();
    EXPECT_TRUE(F().Memo_Log->Lines.Items().empty());
    EXPECT_EQ(LogLine, lastLine);
    EXPECT_EQ(LogBytes(), before + (autoSave ? Gbk("清空程序中日志信息．\r\n") : ""));
    Quit();
    fs::remove(LogPath());
  }
}

TEST_F(ActivityLogTest, SavingCopiesTheMemoUnderANameEndingInAnExtension) {
  struct Case {
    const char* chosen;
    const char* saved;
  } cases[] = {{"x", "x.Log"}, {"x.Log", "x.Log"}, {"x.txt", "x.txt"}, {"x.lo", "x.lo.Log"}, {"日志备份", "日志备份.Log"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    StartAt("2026-03-02 08:15:30");
    const std::string saved = WorkDir() + "/" + c.saved;
    { std::ofstream(saved) << "an older file, replaced without a question"; }
    Advance(2000);
    Log("闹钟已经启动．", LogVariant::CreateIfMissing);
    const std::vector<std::string> memo = F().Memo_Log->Lines.Items();
    std::string logBefore = LogBytes();
    ShowLogPage();
    Ui().AnswerFileDialog(WorkDir() + "/" + c.chosen);
    F().Btn_Log_Save->UserClick();

    ASSERT_EQ(Ui().Dialogs.size(), 1u);
    EXPECT_EQ(Ui().Dialogs[0].Kind, FileDialogKind::Save);
    EXPECT_EQ(Ui().Dialogs[0].Filter, "日志文件(*.Log)|*.Log");
    EXPECT_EQ(Ui().Dialogs[0].InitialDir, ProgramDir());
    EXPECT_EQ(Ui().Dialogs[0].FileNameBefore, "");
    EXPECT_EQ(FileBytes(saved), Gbk(memo[0] + "\r\n" + memo[1] + "\r\n"));
    const std::string line = "[2026-03-02 08:15:32] 日志已保存，路径＂" + saved + "＂";
    EXPECT_EQ(F().Memo_Log->Lines.Items().back(), line);
    EXPECT_EQ(LogBytes(), logBefore + Gbk(line + "\r\n"));
    EXPECT_EQ(F().SaveDialog_Tamiro->FileName, "");
    Quit();
    fs::remove(saved);
    fs::remove(LogPath());
  }
}

TEST_F(ActivityLogTest, SavingStopsAtACancelAndAtAFileThatCannotBeCreated) {
  StartAt("2026-03-02 08:15:30");
  ShowLogPage();
  std::string logBefore = LogBytes();
  Ui().AnswerFileDialog(std::nullopt);
  F().Btn_Log_Save->UserClick();
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kWelcome});

  const std::string chosen = WorkDir() + "/missing/x";
  Ui().AnswerFileDialog(chosen);
  Ui().AnswerBox(IDOK);
  F().Btn_Log_Save->UserClick();
  ExpectReports({"Cannot create file \"" + chosen + ".Log\". No such file or directory"});
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kWelcome});
  EXPECT_EQ(LogBytes(), logBefore);
  EXPECT_EQ(F().SaveDialog_Tamiro->FileName, chosen);
  EXPECT_FALSE(fs::exists(WorkDir() + "/missing"));
}

TEST_F(ActivityLogTest, TheClockTickShowsTheTimeEverySecond) {
  StartAt("2026-03-02 08:15:30.250");
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:30");
  Advance(749);  // the tick keeps to the clock's whole seconds
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:30");
  Advance(1);
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:31");
  Advance(60000);
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:16:31");
}

TEST_F(ActivityLogTest, AProgramRunningOverMidnightStartsTheNewDayOnce) {
  StartAt("2026-03-02 23:59:58");
  F().Chk_Zd->UserToggle();
  F().Chk_Zd->UserToggle();
  std::string before = LogBytes();
  TRegistry(RootKey::HKEY_USERS).DeleteKey(".DEFAULT");  // removed behind the program's back
  Advance(1000);
  EXPECT_EQ(LogBytes(), before);
  Advance(1000);  // 00:00:00
  EXPECT_EQ(LogBytes(), before + Gbk("【2026-3-3】\r\n"));
  EXPECT_EQ(LogDay, Moment("2026-03-03 00:00:00"));
  EXPECT_EQ(DateValue, "2026-3-3");
  EXPECT_EQ(FileBytes(Root() + "/config/tamiro/HKEY_USERS.reg"),
            "REGEDIT4\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software\\Korvelund\\Tamiro]\r\n\"Date\"=\"2026-3-3\"\r\n\r\n");
  EXPECT_TRUE(F().CheckBox_Log->Checked());  // re-applied by the reload, unchanged
  Advance(10000);
  EXPECT_EQ(LogBytes(), before + Gbk("【2026-3-3】\r\n"));
}

TEST_F(ActivityLogTest, ADayChangeWithoutALogFileIsReportedOnceAndNotRetried) {
  StartAt("2026-03-02 23:59:58");
  fs::remove(LogPath());
  Ui().AnswerBox(IDOK);
  Advance(2000);
  ExpectReports({"File not found"});
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-03 00:00:00");
  EXPECT_EQ(LogDay, Moment("2026-03-03 00:00:00"));
  EXPECT_EQ(DateValue, "2026-3-2");
  EXPECT_EQ(StoredDate(), "2026-3-2");
  Advance(10000);
  ExpectReports({"File not found"});
  EXPECT_FALSE(fs::exists(LogPath()));
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-03 00:00:10");
}

TEST_F(ActivityLogTest, AClockSetBackWritesNoHeaderUntilTheDayPassesAgain) {
  StartAt("2026-03-03 10:00:00");
  std::string before = LogBytes();
  Ui().SetNow(Moment("2026-03-02 23:59:58"));
  Advance(5000);  // over midnight into the day already logged
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-03 00:00:03");
  EXPECT_EQ(LogBytes(), before);
  EXPECT_EQ(LogDay, Moment("2026-03-03 00:00:00"));
  EXPECT_EQ(StoredDate(), "2026-3-3");
  Ui().SetNow(Moment("2026-03-03 23:59:59.500"));
  Advance(1000);
  EXPECT_EQ(LogBytes(), before + Gbk("【2026-3-4】\r\n"));
  EXPECT_EQ(StoredDate(), "2026-3-4");
}

TEST_F(ActivityLogTest, TheFarewellLineEndsTheFileAtDestruction) {
  struct Case {
    const char* name;
    bool folderInTheWay;  // a folder named like the log file
  } cases[] = {{"normal", false}, {"folder in the way", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartAt("2026-03-02 08:15:30");
    Advance(90000);
    std::string before = LogBytes();
    if (c.folderInTheWay) {
      fs::remove(LogPath());
      fs::create_directory(LogPath());
      Ui().AnswerBox(IDOK);
    }
    Quit();
    EXPECT_FALSE(Ui().WindowShown);
    if (c.folderInTheWay) {
      ExpectReports({"File access denied"});
    } else {
      ExpectReports({});
      EXPECT_EQ(LogBytes(), before + Gbk("[2026-03-02 08:17:00] " + kFarewell + "\r\n"));
    }
    EXPECT_EQ(LogLine, "[2026-03-02 08:17:00] " + kFarewell);
    fs::remove_all(LogPath());
  }
}

}  // namespace
