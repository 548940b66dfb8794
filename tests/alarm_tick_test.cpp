// The alarm tick on the virtual clock: ring modes by day, disarming and the
// self-stop, reminder boxes with ticks nested inside them, and the failures.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "TamiroFixture.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/rtl/IniFile.h"
#include "records/AlarmRecord.h"
#include "scheduler/Schedule.h"

namespace {

namespace fs = std::filesystem;

const char* const kSilentRing = "闹钟响了，没有设定提醒事件．";
const char* const kStopped = "闹钟已经终止．";
const char* const kAllSpent = "列表中选中的记录已经提醒完毕（您设置的全是只响一次），闹钟终止．";

class AlarmTickTest : public TamiroTest {
 protected:
  void Arm() {
    F().Btn_Start->UserClick();
    ASSERT_EQ(AlarmState, "Start");
  }
  std::string ScheduleFile() const { return ProgramDir() + "tamiro.ini"; }
  // The log messages that tell of a ring, in order.
  std::vector<std::string> Rings() const {
    std::vector<std::string> rings;
    for (const std::string& m : LogMessages())
      if (m.rfind("闹钟响了", 0) == 0) rings.push_back(m);
    return rings;
  }
  // The memo's last `n` lines, stamps included.
  std::vector<std::string> LastLines(size_t n) {
    const auto& lines = F().Memo_Log->Lines.Items();
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end()};
  }
  bool Ticked(int row) { return F().List_Tamiro->Item(row)->Checked(); }
  static size_t Occurrences(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
  }
};

TEST_F(AlarmTickTest, OnceOnlyRecordsUntickTheirOwnRowsAndStopTheScheduleAfterTheLast) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-02 08:15:35", RingMode::kOnce);
  AddRow("2026-03-02 08:15:45", RingMode::kOnce, "", "", true);
  AddRow("08:15:35", RingMode::kEveryDay);
  AddRow("2026-03-02 08:15:40", RingMode::kOnce, "", "", true);
  Arm();
  EXPECT_EQ(ActiveCount, 2);

  AdvanceTo("2026-03-02 08:15:40");
  EXPECT_EQ(Rings(), std::vector<std::string>{kSilentRing});  // the unticked rows stay silent
  EXPECT_FALSE(Ticked(3));
  EXPECT_TRUE(Ticked(1));
  EXPECT_FALSE(Ticked(0));
  EXPECT_FALSE(Ticked(2));
  EXPECT_EQ(ActiveCount, 1);
  EXPECT_EQ(AlarmState, "Start");
  EXPECT_TRUE(fs::exists(ScheduleFile()));

  AdvanceTo("2026-03-02 08:15:45");
  EXPECT_FALSE(Ticked(1));
  EXPECT_EQ(ActiveCount, 0);
  EXPECT_EQ(AlarmState, "Stop");
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_FALSE(fs::exists(ScheduleFile()));
  EXPECT_TRUE(F().Btn_Start->Enabled());
  const std::string tail = "[2026-03-02 08:15:45] " + std::string(kSilentRing) + "\r\n[2026-03-02 08:15:45] " +
                           kStopped + "\r\n[2026-03-02 08:15:45] " + kAllSpent + "\r\n";
  EXPECT_TRUE(LogBytes().ends_with(Gbk(tail)));
  std::vector<std::string> messages = LogMessages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(messages.end() - 3, messages.end()),
            (std::vector<std::string>{kSilentRing, kStopped, kAllSpent}));
}

TEST_F(AlarmTickTest, AnyOtherModeArmedKeepsTheScheduleRunning) {
  for (const std::string& mode : {RingMode::kEveryDay, RingMode::kWeekdays, RingMode::kWeekend}) {
    SCOPED_TRACE(mode);
    StartAt("2026-03-02 08:15:30");
    AddRow("2026-03-02 08:15:40", RingMode::kOnce, "", "", true);
    AddRow("09:30:00", mode, "", "", true);
    Arm();
    AdvanceTo("2026-03-02 08:15:50");
    EXPECT_EQ(Rings().size(), 1u);
    EXPECT_FALSE(Ticked(0));
    EXPECT_EQ(ActiveCount, 1);
    EXPECT_EQ(AlarmState, "Start");
    EXPECT_EQ(F().Time_Nz->Interval(), 1000);
    EXPECT_TRUE(fs::exists(ScheduleFile()));
    Quit();
  }
}

// One record of each mode, each at its own second; the stamps tell which rang.
TEST_F(AlarmTickTest, EachModeRingsOnItsDaysOnly) {
  struct Case {
    const char* date;
    bool otherDayNames;
    const char* rings;  // once, every day, weekdays, weekend
  };
  const Case cases[] = {
      {"2026-03-02", false, "1110"},  // Monday
      {"2026-03-03", false, "1110"}, {"2026-03-04", false, "1110"}, {"2026-03-05", false, "1110"},
      {"2026-03-06", false, "1110"},  // Friday
      {"2026-03-07", false, "1101"},  // Saturday
      {"2026-03-08", false, "1101"},  // Sunday
      {"2026-03-02", true, "1100"},   {"2026-03-07", true, "1100"},
  };
  const std::string modes[] = {RingMode::kOnce, RingMode::kEveryDay, RingMode::kWeekdays, RingMode::kWeekend};
  struct RestoreSettings {
    TFormatSettings saved = FormatSettings();
    ~RestoreSettings() { FormatSettings() = saved; }
  };
  for (const Case& c : cases) {
    RestoreSettings restore;
    SCOPED_TRACE(std::string(c.date) + (c.otherDayNames ? " with English day names" : ""));
    if (c.otherDayNames)
      FormatSettings().LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    StartAt(std::string(c.date) + " 08:15:30");
    for (int i = 0; i < 4; ++i) {
      std::string time = "08:15:4" + std::to_string(i + 1);
      AddRow(i == 0 ? std::string(c.date) + " " + time : time, modes[i], "", "", true);
    }
    Arm();
    AdvanceTo(std::string(c.date) + " 08:15:50");
    std::string rang = "0000";
    for (const std::string& line : F().Memo_Log->Lines.Items())
      if (line.ends_with(kSilentRing)) rang[line[19] - '1'] = '1';  // the stamp's last digit
    EXPECT_EQ(rang, c.rings);
    Quit();
  }
}

TEST_F(AlarmTickTest, TimesOfTheWrongShapeOrAlreadyPastNeverRing) {
  struct Case {
    const char* what;
    std::string mode;
    const char* time;
    const char* start;
  };
  const Case cases[] = {
      {"every day with a date", RingMode::kEveryDay, "2026-03-02 08:15:40", "2026-03-02 08:15:30"},
      {"once without a date", RingMode::kOnce, "08:15:40", "2026-03-02 08:15:30"},
      {"once, started within its second", RingMode::kOnce, "2026-03-02 08:15:30", "2026-03-02 08:15:30.200"},
      {"once, yesterday", RingMode::kOnce, "2026-03-01 08:15:40", "2026-03-02 08:15:30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartAt(c.start);
    AddRow(c.time, c.mode, "", "", true);
    Arm();
    AdvanceTo("2026-03-02 08:16:00");
    EXPECT_TRUE(Rings().empty());
    EXPECT_TRUE(Ticked(0));
    EXPECT_EQ(ActiveCount, 1);
    EXPECT_EQ(AlarmState, "Start");
    EXPECT_EQ(F().Time_Nz->Interval(), 1000);
    Quit();
  }
}

TEST_F(AlarmTickTest, RingWithoutReminderStartsTheSoundAndLogsOneLine) {
  StartAt("2026-03-02 08:15:30");
  ASSERT_TRUE(F().CheckBox_Log->Checked());
  ASSERT_TRUE(fs::exists(WorkDir() + "/Tamiro.Log"));
  std::string sound = WriteWav(ProgramDir() + "ring.wav", 60000);
  AddRow("08:15:40", RingMode::kEveryDay, "", sound, true);
  Arm();
  AdvanceTo("2026-03-02 08:15:40");
  EXPECT_EQ(Rings(), std::vector<std::string>{kSilentRing});
  EXPECT_EQ(Occurrences(LogBytes(), Gbk(kSilentRing)), 1u);
  EXPECT_TRUE(LogBytes().ends_with(Gbk("[2026-03-02 08:15:40] " + std::string(kSilentRing) + "\r\n")));
  ASSERT_NE(Sound().LastEngine(), nullptr);
  EXPECT_EQ(Sound().LastEngine()->InputPath(), sound);
  EXPECT_TRUE(Sound().LastEngine()->Playing());
  EXPECT_EQ(RingSource, "Nzls");
  EXPECT_EQ(F().Time_Ls->Interval(), 1600);
  EXPECT_TRUE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons);
  EXPECT_TRUE(Ticked(0));  // only once-only records are disarmed
  EXPECT_TRUE(Ui().Boxes.empty());
}

TEST_F(AlarmTickTest, ReminderBoxComesFirstAndTheLogLineWhenItCloses) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-02 08:15:40", RingMode::kOnce, "起床", "", true);
  Arm();
  Ui().AnswerBox(IDOK, 5000);
  AdvanceTo("2026-03-02 08:15:46");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Boxes[0].Text, "时间到了,该【起床】了");
  EXPECT_EQ(Ui().Boxes[0].Caption, "闹铃");
  EXPECT_EQ(Ui().Boxes[0].Flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_TRUE(Ui().Boxes[0].Owned);
  EXPECT_EQ(Ui().Boxes[0].OpenedAtMs, Ms("2026-03-02 08:15:40"));
  EXPECT_EQ(LastLines(3), (std::vector<std::string>{"[2026-03-02 08:15:45] 闹钟响了，该起床了．",
                                                    std::string("[2026-03-02 08:15:45] ") + kStopped,
                                                    std::string("[2026-03-02 08:15:45] ") + kAllSpent}));
  EXPECT_EQ(Occurrences(LogBytes(), Gbk("[2026-03-02 08:15:45] 闹钟响了，该起床了．\r\n")), 1u);
}

TEST_F(AlarmTickTest, SecondRecordOfTheSameSecondRingsOnlyIfTheFirstDoesNotHoldItUp) {
  struct Case {
    const char* what;
    const char* firstEvent;
    int64_t boxOpenMs;
    std::vector<std::string> rings;
    bool secondPlays;
  };
  const Case cases[] = {
      {"first without reminder", "", 0, {kSilentRing, "闹钟响了，该睡觉了．"}, true},
      {"first's box open past the second", "起床", 1500, {"闹钟响了，该起床了．"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartAt("2026-03-02 08:15:30");
    std::string first = WriteWav(ProgramDir() + "first.wav", 60000);
    std::string second = WriteWav(ProgramDir() + "second.wav", 60000);
    AddRow("08:15:40", RingMode::kEveryDay, c.firstEvent, first, true);
    AddRow("08:15:40", RingMode::kEveryDay, c.secondPlays ? "睡觉" : "", second, true);
    Arm();
    Ui().AnswerBox(IDOK, c.boxOpenMs);
    AdvanceTo("2026-03-02 08:15:45");
    EXPECT_EQ(Rings(), c.rings);
    EXPECT_EQ(Ui().Boxes.size(), 1u);
    EXPECT_EQ(Sound().LastEngine()->InputPath(), c.secondPlays ? second : first);
    Quit();
  }
}

TEST_F(AlarmTickTest, TickNestedInAnOpenReminderRingsTheNextSecondsRecord) {
  StartAt("2026-03-02 08:15:30");
  AddRow("08:15:40", RingMode::kEveryDay, "起床", "", true);
  std::string later = WriteWav(ProgramDir() + "later.wav", 60000);
  AddRow("08:15:41", RingMode::kEveryDay, "睡觉", later, true);
  Arm();
  Ui().AnswerBox(IDOK, 3000);
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:15:50");
  ASSERT_EQ(Ui().Boxes.size(), 2u);
  EXPECT_EQ(Ui().Boxes[0].Text, "时间到了,该【起床】了");
  EXPECT_EQ(Ui().Boxes[1].Text, "时间到了,该【睡觉】了");
  EXPECT_EQ(Ui().Boxes[1].OpenedAtMs, Ms("2026-03-02 08:15:41"));  // while the first is open
  EXPECT_EQ(Sound().LastEngine()->InputPath(), later);
  EXPECT_EQ(LastLines(2), (std::vector<std::string>{"[2026-03-02 08:15:41] 闹钟响了，该睡觉了．",
                                                    "[2026-03-02 08:15:43] 闹钟响了，该起床了．"}));
}

TEST_F(AlarmTickTest, BadRecordIsReportedOnceAndTheOthersStillRing) {
  StartAt("2026-03-02 08:15:30");
  AddRow("8点15分", RingMode::kEveryDay, "", "", true);
  AddRow("08:15:40", RingMode::kEveryDay, "", "", true);
  Arm();
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:15:50");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectErrorReport(Ui().Boxes[0], "'8点15分' is not a valid date and time");
  EXPECT_EQ(Ui().Boxes[0].OpenedAtMs, Ms("2026-03-02 08:15:31"));
  EXPECT_EQ(Rings(), std::vector<std::string>{kSilentRing});

  // A new bad text in the file is reported once more.
  TIniFile(ScheduleFile()).WriteString("0", "FDatetime", "25:00:00");
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:16:00");
  ASSERT_EQ(Ui().Boxes.size(), 2u);
  EXPECT_EQ(Ui().Boxes[1].Text, "'25:00:00' is not a valid date and time");

  // Mended, then broken the same way again: that is news too.
  TIniFile(ScheduleFile()).WriteString("0", "FDatetime", "08:30:00");
  AdvanceTo("2026-03-02 08:16:02");
  TIniFile(ScheduleFile()).WriteString("0", "FDatetime", "25:00:00");
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:16:04");
  ASSERT_EQ(Ui().Boxes.size(), 3u);
  EXPECT_EQ(Ui().Boxes[2].Text, "'25:00:00' is not a valid date and time");

  // So is the old one after the schedule is started anew.
  F().Btn_Stop->UserClick();
  F().Btn_Start->UserClick();
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:16:10");
  ASSERT_EQ(Ui().Boxes.size(), 4u);
  EXPECT_EQ(Ui().Boxes[3].Text, "'8点15分' is not a valid date and time");
}

// A schedule file that is no GBK is reported once, not at every tick (nor at the ticks inside
// the open box); mended it is quiet and rings again; each new spoiled state is one more report.
TEST_F(AlarmTickTest, UndecodableScheduleFileIsReportedOnceUntilItChangesAndIsStillBad) {
  StartAt("2026-03-02 08:15:30");
  AddRow("08:15:40", RingMode::kEveryDay, "", "", true);
  AddRow("08:15:50", RingMode::kEveryDay, "", "", true);
  Arm();
  const std::string good = FileBytes(ScheduleFile());
  auto spoil = [&](const std::string& tail) { std::ofstream(ScheduleFile(), std::ios::binary) << good + tail; };
  auto expectReport = [&](size_t index, size_t offset, int64_t openedAt) {
    ASSERT_GT(Ui().Boxes.size(), index);
    const auto& box = Ui().Boxes[index];
    ExpectErrorReport(box, "Invalid GBK byte 0xFF at offset " + std::to_string(offset) + " in file \"" +
                            ScheduleFilePath() + "\"");
    EXPECT_EQ(box.OpenedAtMs, openedAt);
  };

  spoil("\xFF");
  Ui().AnswerBox(IDOK, 3000);  // ticks go on inside the open box
  AdvanceTo("2026-03-02 08:15:45");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  expectReport(0, good.size(), Ms("2026-03-02 08:15:31"));
  EXPECT_TRUE(Rings().empty()) << "nothing can ring from a file that cannot be read";

  std::ofstream(ScheduleFile(), std::ios::binary) << good;
  AdvanceTo("2026-03-02 08:15:55");
  EXPECT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Rings(), std::vector<std::string>{kSilentRing});

  spoil("\xFF");  // spoiled again after it was mended
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:16:00");
  ASSERT_EQ(Ui().Boxes.size(), 2u);
  expectReport(1, good.size(), Ms("2026-03-02 08:15:56"));

  spoil("[9]\r\n\xFF");  // changed, and still bad
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:16:10");
  ASSERT_EQ(Ui().Boxes.size(), 3u);
  expectReport(2, good.size() + 5, Ms("2026-03-02 08:16:01"));
  EXPECT_EQ(AlarmState, "Start");
}

TEST_F(AlarmTickTest, ScheduleFileDeletedFromOutsideLeavesEveryTickEmpty) {
  StartAt("2026-03-02 08:15:30");
  AddRow("08:15:40", RingMode::kEveryDay, "", "", true);
  Arm();
  AdvanceTo("2026-03-02 08:15:35");
  EXPECT_EQ(F().List_Box->Items.Count(), 1);
  ASSERT_TRUE(fs::remove(ScheduleFile()));
  AdvanceTo("2026-03-02 08:15:50");
  EXPECT_TRUE(Rings().empty());
  EXPECT_EQ(F().List_Box->Items.Count(), 0);
  EXPECT_EQ(AlarmState, "Start");
  EXPECT_EQ(F().Time_Nz->Interval(), 1000);
  EXPECT_TRUE(F().Btn_Stop->Enabled());
}

TEST_F(AlarmTickTest, MissingLogFileEndsTheTickAfterTheRecordIsCountedOff) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-02 08:15:40", RingMode::kOnce, "", "", true);
  Arm();
  ASSERT_TRUE(fs::remove(WorkDir() + "/Tamiro.Log"));
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:15:50");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectErrorReport(Ui().Boxes[0], "File not found");
  EXPECT_FALSE(Ticked(0));
  EXPECT_EQ(ActiveCount, 0);
  EXPECT_EQ(Rings(), std::vector<std::string>{kSilentRing});  // the page has it, the file cannot
  EXPECT_EQ(AlarmState, "Start");  // no self-stop in that tick, and none later
  EXPECT_EQ(F().Time_Nz->Interval(), 1000);
  EXPECT_FALSE(fs::exists(WorkDir() + "/Tamiro.Log"));
}

TEST_F(AlarmTickTest, PlayerThatCannotStartEndsTheTickAtThatRecord) {
  StartAt("2026-03-02 08:15:30");
  AddRow("2026-03-02 08:15:40", RingMode::kOnce, "起床", "", true);
  AddRow("08:15:40", RingMode::kEveryDay, "", "", true);
  Arm();
  Sound().FailLoads(LoadStep::LoadLibrary, 1);
  Ui().AnswerBox(IDOK);
  AdvanceTo("2026-03-02 08:15:50");
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Boxes[0].Text, "Cannot Load Xaudio DLL (xaudio.dll)");
  EXPECT_EQ(Ui().Boxes[0].Caption, kApplicationTitle);
  EXPECT_TRUE(Rings().empty());  // neither the failing record nor the one after it
  EXPECT_TRUE(Ticked(0));
  EXPECT_EQ(ActiveCount, 2);
  EXPECT_FALSE(F().Btn_StopNl->Enabled());
  EXPECT_EQ(F().TrayIcon1->Icons(), F().iglIcons1);
  EXPECT_EQ(AlarmState, "Start");
}

}  // namespace
