// Start and Stop: the schedule file, the locked editor, the alarm timer and the close question.
#include "TamiroFixture.h"

#include <filesystem>
#include <fstream>
#include <functional>

#include "scheduler/Schedule.h"

namespace {

class ScheduleTest : public TamiroTest {
 protected:
  std::string SchedulePath() const { return ProgramDir() + "tamiro.ini"; }
  void WriteOldSchedule() {
    std::ofstream(SchedulePath(), std::ios::binary) << "[9]\r\nFDatetime=old\r\n";
  }
  bool Has(const std::string& message) {
    for (const auto& line : LogMessages())
      if (line == message) return true;
    return false;
  }
};

TEST_F(ScheduleTest, StartWritesTheTickedRowsAndStopDeletesThem) {
  StartAt("2026-03-02 08:15:30");
  const std::string song = ProgramDir() + "铃声/起床号.mp3";
  AddRow("06:00:00", "每天都响", "起床", "/a.mp3");
  AddRow("07:30:00", "每天都响", "", song, true);
  AddRow("22:00:00", "周末", "睡觉", "/c.mp3");
  AddRow("2026-03-03 09:00:00", "只响一次", "去上班", "", true);
  WriteOldSchedule();

  F().Btn_Start->UserClick();
  EXPECT_EQ(ScheduleFilePath(), ProgramDir() + "/tamiro.ini");
  EXPECT_EQ(FileBytes(SchedulePath()),
            Gbk("[1]\r\nFDatetime=07:30:00\r\nFNxfs=每天都响\r\nFShijian=\r\nFNzls=" + song + "\r\n"
                "[3]\r\nFDatetime=2026-03-03 09:00:00\r\nFNxfs=只响一次\r\nFShijian=去上班\r\nFNzls=\r\n"));
  EXPECT_EQ(ActiveCount, 2);
  EXPECT_EQ(AlarmState, "Start");
  EXPECT_EQ(F().Time_Nz->Interval(), 1000);
  EXPECT_EQ(LogMessages().back(), "闹钟已经启动．");

  // The armed records are tested every second; none is due, nothing happens.
  Advance(3000);
  EXPECT_TRUE(Ui().Boxes.empty());

  F().Btn_Stop->UserClick();
  EXPECT_FALSE(std::filesystem::exists(SchedulePath()));
  EXPECT_EQ(AlarmState, "Stop");
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_EQ(ActiveCount, 2) << "Stop leaves the count of the last Start";
  EXPECT_EQ(LogMessages().back(), "闹钟已经终止．");
  EXPECT_TRUE(F().List_Tamiro->Item(1)->Checked());
  EXPECT_TRUE(F().List_Tamiro->Item(3)->Checked());

  // A second Start with the same ticks writes the same file again.
  std::string first = Gbk("[1]\r\nFDatetime=07:30:00\r\nFNxfs=每天都响\r\nFShijian=\r\nFNzls=" + song +
                          "\r\n[3]\r\nFDatetime=2026-03-03 09:00:00\r\nFNxfs=只响一次\r\nFShijian=去上班\r\nFNzls=\r\n");
  F().Btn_Start->UserClick();
  EXPECT_EQ(FileBytes(SchedulePath()), first);
}

TEST_F(ScheduleTest, StartWithNothingToArmShowsWhyAndStaysStopped) {
  struct Case {
    const char* name;
    int rows;
    std::string text, caption;
    bool oldFileKept;
  };
  const Case cases[] = {
      {"empty list", 0, "列表中没有记录，请先到“设置”里添加！", "无记录", true},
      {"no row ticked", 2, "请至少选中一条记录！", "选择", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    for (int i = 0; i < c.rows; ++i) AddRow("0" + std::to_string(i) + ":00:00", "每天都响");
    WriteOldSchedule();
    std::string old = FileBytes(SchedulePath());
    Ui().AnswerBox(IDOK);
    F().Btn_Start->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    EXPECT_EQ(Ui().Boxes[0].Text, c.text);
    EXPECT_EQ(Ui().Boxes[0].Caption, c.caption);
    EXPECT_EQ(Ui().Boxes[0].Flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(Ui().Boxes[0].Owned);
    EXPECT_EQ(FileBytes(SchedulePath()), c.oldFileKept ? old : "");
    EXPECT_EQ(std::filesystem::exists(SchedulePath()), c.oldFileKept);
    EXPECT_EQ(F().Time_Nz->Interval(), 0);
    EXPECT_EQ(AlarmState, "");
    EXPECT_EQ(ActiveCount, 0);
    EXPECT_TRUE(F().Btn_Start->Enabled());
    EXPECT_FALSE(F().Btn_Stop->Enabled());
    EXPECT_FALSE(Has("闹钟已经启动．"));
  }
}

// The controls Start locks and Stop unlocks; the stopped column is also the state at start-up.
TEST_F(ScheduleTest, StartLocksTheEditorAndStopUnlocksIt) {
  StartAt("2026-03-02 08:15:30");
  AddRow("07:30:00", "每天都响", "", "", true);
  struct Control {
    const char* name;
    std::function<bool(TFrm_Tamiro&)> enabled;
    bool started, stopped;
  };
  const Control controls[] = {
      {"Btn_Start", [](TFrm_Tamiro& f) { return f.Btn_Start->Enabled(); }, false, true},
      {"Btn_Stop", [](TFrm_Tamiro& f) { return f.Btn_Stop->Enabled(); }, true, false},
      {"numqd", [](TFrm_Tamiro& f) { return f.numqd->Enabled(); }, false, true},
      {"numzz", [](TFrm_Tamiro& f) { return f.numzz->Enabled(); }, true, false},
      {"Btn_Add", [](TFrm_Tamiro& f) { return f.Btn_Add->Enabled(); }, false, true},
      {"Btn_del", [](TFrm_Tamiro& f) { return f.Btn_del->Enabled(); }, false, true},
      {"Chk_Qx", [](TFrm_Tamiro& f) { return f.Chk_Qx->Enabled(); }, false, true},
      {"Btn_Clear", [](TFrm_Tamiro& f) { return f.Btn_Clear->Enabled(); }, false, true},
      {"Btn_List_Open", [](TFrm_Tamiro& f) { return f.Btn_List_Open->Enabled(); }, false, true},
      // not switched
      {"Btn_Cancel", [](TFrm_Tamiro& f) { return f.Btn_Cancel->Enabled(); }, true, true},
      {"Btn_List_Save", [](TFrm_Tamiro& f) { return f.Btn_List_Save->Enabled(); }, true, true},
      {"List_Tamiro", [](TFrm_Tamiro& f) { return f.List_Tamiro->Enabled(); }, true, true},
  };
  auto expectAll = [&](const char* stage, bool started) {
    for (const Control& c : controls)
      EXPECT_EQ(c.enabled(F()), started ? c.started : c.stopped) << stage << ": " << c.name;
  };
  expectAll("at start-up", false);
  F().Btn_Start->UserClick();
  expectAll("after Start", true);
  // A locked button ignores the user.
  F().Btn_Add->UserClick();
  EXPECT_EQ(F().List_Tamiro->Count(), 1);
  F().Btn_Stop->UserClick();
  expectAll("after Stop", false);
}

// A program folder that cannot hold the file: the write error is reported and nothing is switched.
TEST_F(ScheduleTest, UnwritableProgramFolderReportsTheWriteError) {
  StartAt("2026-03-02 08:15:30");
  std::ofstream(Root() + "/blocker") << "a file, not a folder";
  Application->ProgramDir = Root() + "/blocker/prog/";
  AddRow("07:30:00", "每天都响", "", "", true);
  Ui().AnswerBox(IDOK);
  F().Btn_Start->UserClick();
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  ExpectErrorReport(Ui().Boxes[0], "Unable to write to " + Root() + "/blocker/prog//tamiro.ini");
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_EQ(AlarmState, "");
  EXPECT_TRUE(F().Btn_Start->Enabled());
  EXPECT_FALSE(F().Btn_Stop->Enabled());
  EXPECT_TRUE(F().numqd->Enabled());
  EXPECT_FALSE(F().numzz->Enabled());
  EXPECT_TRUE(F().Btn_Add->Enabled());
  EXPECT_FALSE(Has("闹钟已经启动．"));
}

TEST_F(ScheduleTest, ClosingWhileStartedAsksFirst) {
  enum Stage { BeforeStart, Started, AfterStop };
  struct Case {
    const char* name;
    Stage stage;
    int answer;  // 0: no question expected
    bool closes;
  };
  const Case cases[] = {
      {"before Start", BeforeStart, 0, true},
      {"started, No", Started, IDNO, false},
      {"started, Yes", Started, IDYES, true},
      {"after Stop", AfterStop, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    AddRow("07:30:00", "每天都响", "", "", true);
    if (c.stage != BeforeStart) F().Btn_Start->UserClick();
    if (c.stage == AfterStop) F().Btn_Stop->UserClick();
    if (c.answer) Ui().AnswerBox(c.answer);
    EXPECT_EQ(F().Close(), c.closes);
    EXPECT_EQ(F().Closed(), c.closes);
    EXPECT_EQ(Ui().QuitRequested, c.closes);
    if (!c.answer) {
      EXPECT_TRUE(Ui().Boxes.empty());
      continue;
    }
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    EXPECT_EQ(Ui().Boxes[0].Text, "现在闹钟为启动状态，确定要退出吗？");
    EXPECT_EQ(Ui().Boxes[0].Caption, "确定退出");
    EXPECT_EQ(Ui().Boxes[0].Flags, MB_YESNO | MB_ICONINFORMATION);
    EXPECT_TRUE(Ui().Boxes[0].Owned);
    // Either way the schedule goes on running until the window is gone, and its file stays behind.
    EXPECT_EQ(AlarmState, "Start");
    EXPECT_EQ(F().Time_Nz->Interval(), 1000);
    Quit();
    EXPECT_TRUE(std::filesystem::exists(SchedulePath()));
  }
}

// Stopped from the tray menu while one record's reminder is open, the tick that opened it
// rings nothing more: the records after it went with the file.
TEST_F(ScheduleTest, StopWhileAReminderIsOpenEndsThatTicksWalk) {
  StartAt("2026-03-02 08:15:30");
  AddRow("08:15:35", "每天都响", "喝水", "", true);
  AddRow("08:15:35", "每天都响", "", "", true);
  F().Btn_Start->UserClick();
  int reminders = 0;
  Ui().OnUnscriptedBox = [&](const HeadlessBackend::Box& box) {
    ASSERT_EQ(box.Text, "时间到了,该【喝水】了");
    ++reminders;
    F().numzz->UserClick();
  };
  Advance(6000);
  EXPECT_EQ(reminders, 1);
  EXPECT_EQ(AlarmState, "Stop");
  EXPECT_FALSE(std::filesystem::exists(SchedulePath()));
  EXPECT_FALSE(Has("闹钟响了，没有设定提醒事件．")) << "the second record was not read from the deleted file";
  EXPECT_TRUE(Has("闹钟响了，该喝水了．"));
}

}  // namespace
