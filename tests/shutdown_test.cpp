// The timed power-off: starting at a moment or after a duration, its questions
// and errors, the countdown in the spin edits, disarming and cancelling.
#include <cmath>
#include <filesystem>
#include <vector>

#include "TamiroFixture.h"

namespace {

namespace fs = std::filesystem;
using enum TFrm_Tamiro::TShutdownMode;

constexpr const char* kIdle = "定时关机尚未启动";
constexpr const char* kStarted = "启动了定时关机．";
constexpr const char* kStopped = "终止了定时关机．";
constexpr const char* kNowQuestion = "现在设置为立刻关闭计算机，是否继续？";
constexpr const char* kZeroQuestion = "按现在设置将立刻关闭计算机，是否继续？";
constexpr const char* kPastError = "你设置的时间已经过去了，请重新设置！";

struct ExpectedBox {
  std::string text, caption;
  int flags;
};

class ShutdownTest : public TamiroTest {
 protected:
  // Timer_Gj then ticks that long after each whole second.
  void Start(const std::string& moment, int tickLateMs = 0) {
    StartAt(moment);
    Ui().SetAlignedTickLateness(tickLateMs);
    tickPhaseMs_ = tickLateMs;
    F().Btn_Sz->UserClick();
    F().xz->UserSelectPage(3);  // "定时关机"
  }

  // Moves the clock as a change of the system clock would, by whole seconds, so that
  // the next tick is the first one to fall within that second.
  void SkipToTickIn(const std::string& second) {
    int64_t next = tickPhaseMs_ + ((Ui().NowMs() - tickPhaseMs_) / 1000 + 1) * 1000;
    int64_t wanted = Ms(second) + (next % 1000 + 1000) % 1000;
    ASSERT_GE(wanted, next) << "that second has passed";
    Ui().SetNow((Ui().NowMs() + wanted - next) / kMsPerDay);
  }
  // Lets that many ticks run; the seconds of the ticks that asked to power off.
  std::vector<std::string> PowerOffTicks(int ticks) {
    std::vector<std::string> seconds;
    for (int i = 0; i < ticks; ++i) {
      int before = Ui().PowerOffRequests;
      Advance(1000);
      for (int n = before; n < Ui().PowerOffRequests; ++n)
        seconds.push_back(F().sBar->Panels(0)->Text().substr(std::string("现在时间：").size()));
    }
    return seconds;
  }
  void SetPickers(const std::string& date, const std::string& time) {
    F().DateTime_Date_Gj->UserSetDateTime(Moment(date + " 00:00:00"));
    F().DateTime_Time_Gj->UserSetDateTime(Moment("1899-12-30 " + time));
  }
  std::string Pickers() {
    return FormatDateTime("yyyy-mm-dd", F().DateTime_Date_Gj->Date()) + " " +
           FormatDateTime("HH:NN:SS", F().DateTime_Time_Gj->Time());
  }
  void ExpectBoxes(const std::vector<ExpectedBox>& expected) {
    ASSERT_EQ(Ui().Boxes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(Ui().Boxes[i].Text, expected[i].text);
      EXPECT_EQ(Ui().Boxes[i].Caption, expected[i].caption);
      EXPECT_EQ(Ui().Boxes[i].Flags, expected[i].flags);
      EXPECT_TRUE(Ui().Boxes[i].Owned);
    }
  }
  // The button, panel 1 and the log after a start (or its refusal at the moment `at`).
  void ExpectStarted(bool started, const std::string& panel, const std::string& at) {
    EXPECT_EQ(F().Btn_Gj->Tag, started ? 1 : 0);
    EXPECT_EQ(F().Btn_Gj->Caption(), started ? "取消计时" : "开始记时");
    EXPECT_EQ(F().Btn_Gj->FontColor(), started ? clRed : clWindowText);
    EXPECT_EQ(F().sBar->Panels(1)->Text(), panel);
    bool logged = !LogMessages().empty() && LogMessages().back() == kStarted;
    EXPECT_EQ(logged, started);
    EXPECT_EQ(LogBytes().ends_with(Gbk("[" + at + "] " + kStarted + "\r\n")), started);
  }

  int64_t tickPhaseMs_ = 0;
};

// At a date and time: the time-of-day question, the past-time error, panel 1,
// and the one tick within the chosen second that powers off.
TEST_F(ShutdownTest, StartAtAMomentPowersOffOnlyInTheTickWithinThatSecond) {
  struct Case {
    const char* name;
    const char* processStart;
    int waitMs;                // before the pickers are set and the button clicked
    const char* date;
    const char* time;
    int answer;        // to the time-of-day question; 0: none expected
    int64_t answerMs;  // how long that question stays open
    bool removeLog;    // the log file is gone before the watch
    TFrm_Tamiro::TShutdownMode mode;  // after the click
    const char* panel;
    const char* pickersAfter;
    const char* watchFrom;  // the watch starts with the tick in this second
    std::vector<std::string> powerOffs;
    bool pastError;
    int tickLateMs = 0;  // as a desktop's timer slack: 25 ms past the second on the real one
  };
  const Case cases[] = {
      {"future moment", "2026-03-02 08:15:30.500", 0, "2026-03-02", "21:15:00", 0, 0, false, smAtMoment,
       "计算机将于 2026-3-2 21:15:00 自动关机", "2026-03-02 21:15:00", "2026-03-02 21:14:57",
       {"2026-03-02 21:15:00"}, false},
      {"midnight shows the date alone", "2026-03-02 08:15:30", 0, "2026-03-03", "00:00:00", 0, 0, false, smAtMoment,
       "计算机将于 2026-3-3 自动关机", "2026-03-03 00:00:00", "2026-03-02 23:59:58",
       {"2026-03-03 00:00:00"}, false},
      {"midnight without a log file: the failed day header skips the test", "2026-03-02 08:15:30", 0,
       "2026-03-03", "00:00:00", 0, 0, true, smAtMoment, "计算机将于 2026-3-3 自动关机", "2026-03-03 00:00:00",
       "2026-03-02 23:59:58", {}, false},
      {"the current second, a tick still to come", "2026-03-02 08:15:30.500", 510, "2026-03-02", "08:15:31",
       IDYES, 0, false, smAtMoment, "计算机将于 2026-3-2 8:15:31 自动关机", "2026-03-02 08:15:31",
       "2026-03-02 08:15:31", {"2026-03-02 08:15:31"}, false, 25},
      {"the current second, no tick left in it", "2026-03-02 08:15:30", 0, "2026-03-02", "08:15:30", IDYES, 0,
       false, smAtMoment, "计算机将于 2026-3-2 8:15:30 自动关机", "2026-03-02 08:15:30", "2026-03-02 08:15:31", {},
       false},
      {"the current time of day, answered No", "2026-03-02 08:15:30", 0, "2026-03-02", "08:15:30", IDNO, 0,
       false, smNone, kIdle, "2026-03-02 08:15:30", "2026-03-02 08:15:31", {}, false},
      {"a Yes given a second later is too late", "2026-03-02 08:15:30", 0, "2026-03-02", "08:15:30", IDYES,
       1500, false, smNone, kIdle, "2026-03-02 08:15:31", "2026-03-02 08:15:32", {}, true},
      {"a later date at the current time of day asks too", "2026-03-02 08:15:30", 0, "2026-03-05", "08:15:30",
       IDYES, 0, false, smAtMoment, "计算机将于 2026-3-5 8:15:30 自动关机", "2026-03-05 08:15:30",
       "2026-03-05 08:15:28", {"2026-03-05 08:15:30"}, false},
      {"a past date with a later time", "2026-03-02 08:15:30", 0, "2026-03-01", "21:00:00", 0, 0, false, smNone,
       kIdle, "2026-03-02 08:15:30", "2026-03-02 08:15:31", {}, true},
      {"one second ago", "2026-03-02 08:15:30", 0, "2026-03-02", "08:15:29", 0, 0, false, smNone, kIdle,
       "2026-03-02 08:15:30", "2026-03-02 08:15:31", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.processStart, c.tickLateMs);
    Advance(c.waitMs);
    SetPickers(c.date, c.time);
    if (c.answer) Ui().AnswerBox(c.answer, c.answerMs);
    if (c.pastError) Ui().AnswerBox(IDOK);
    std::string clickedAt = TimeStamp(Now());
    F().Btn_Gj->UserClick();

    std::vector<ExpectedBox> boxes;
    if (c.answer) boxes.push_back({kNowQuestion, "是否关机", MB_YESNO | MB_ICONINFORMATION});
    if (c.pastError) boxes.push_back({kPastError, "错误", MB_OK | MB_ICONERROR});
    ExpectBoxes(boxes);
    EXPECT_EQ(F().ShutdownMode, c.mode);
    if (c.mode != smNone) {
      EXPECT_EQ(TimeStamp(F().ShutdownAt), std::string(c.date) + " " + c.time);
    }
    EXPECT_EQ(Pickers(), c.pickersAfter);
    ExpectStarted(c.mode != smNone, c.panel, clickedAt);

    if (c.removeLog) {
      fs::remove(WorkDir() + "/Tamiro.Log");
      Ui().AnswerBox(IDOK);
    }
    SkipToTickIn(c.watchFrom);
    EXPECT_EQ(PowerOffTicks(6), c.powerOffs);
    if (c.removeLog) {
      ASSERT_EQ(Ui().Boxes.size(), boxes.size() + 1) << "reported once";
      ExpectErrorReport(Ui().Boxes.back(), "File not found");
    }
    EXPECT_EQ(F().ShutdownMode, c.mode) << "reaching the moment changes no state";
  }
}

// After a duration: the all-"0" question, the countdown shown in the spin edits
// tick by tick, and the power-off by the moment or by the run-out countdown,
// repeated every tick once run out.
TEST_F(ShutdownTest, StartAfterADurationCountsDownInTheSpinEdits) {
  struct Fields {
    std::string h, m, s;
    bool operator==(const Fields&) const = default;
  };
  struct Case {
    const char* name;
    Fields entered;
    int answer;  // to the all-"0" question; 0: none expected
    bool armed;
    const char* panel;
    std::vector<Fields> afterTicks;  // the fields after each of the first ticks
    const char* editSecondsAfterFirstTick;
    int ticks;
    std::vector<std::string> powerOffs;
  };
  const Case cases[] = {
      {"0 h 0 min 0 s, answered No", {"0", "0", "0"}, IDNO, false, kIdle, {{"0", "0", "0"}}, nullptr, 3, {}},
      {"0 h 0 min 0 s, answered Yes",
       {"0", "0", "0"},
       IDYES,
       true,
       "计算机将于 2026-3-2 8:15:30 自动关机",
       {{"0", "0", "-1"}, {"0", "0", "-2"}, {"0", "0", "-3"}},
       nullptr,
       3,
       {"2026-03-02 08:15:31", "2026-03-02 08:15:32", "2026-03-02 08:15:33"}},
      {"empty seconds: no question",
       {"0", "0", ""},
       0,
       true,
       "计算机将于 2026-3-2 8:15:30 自动关机",
       {{"0", "0", "-1"}},
       nullptr,
       2,
       {"2026-03-02 08:15:31", "2026-03-02 08:15:32"}},
      {"\"00\" seconds: no question",
       {"0", "0", "00"},
       0,
       true,
       "计算机将于 2026-3-2 8:15:30 自动关机",
       {{"0", "0", "-1"}},
       nullptr,
       1,
       {"2026-03-02 08:15:31"}},
      {"0 h 1 min 0 s: the moment first, then the countdown",
       {"0", "1", "0"},
       0,
       true,
       "计算机将于 2026-3-2 8:16:30 自动关机",
       {{"0", "0", "60"}, {"0", "0", "59"}, {"0", "0", "58"}},
       nullptr,
       62,
       {"2026-03-02 08:16:30", "2026-03-02 08:16:31", "2026-03-02 08:16:32"}},
      {"1 h 0 min 0 s: an hour borrowed as 60 minutes",
       {"1", "0", "0"},
       0,
       true,
       "计算机将于 2026-3-2 9:15:30 自动关机",
       {{"0", "60", "-1"}, {"0", "59", "60"}, {"0", "59", "59"}},
       nullptr,
       3603,
       {"2026-03-02 09:15:30", "2026-03-02 09:15:32", "2026-03-02 09:15:33"}},
      {"-1 h: the moment is past, the countdown runs out at once",
       {"-1", "0", "0"},
       0,
       true,
       "计算机将于 2026-3-2 7:15:30 自动关机",
       {{"-1", "0", "-1"}, {"-1", "0", "-2"}},
       nullptr,
       2,
       {"2026-03-02 08:15:31", "2026-03-02 08:15:32"}},
      {"seconds edited during the countdown shorten it, not the moment",
       {"0", "1", "0"},
       0,
       true,
       "计算机将于 2026-3-2 8:16:30 自动关机",
       {{"0", "0", "60"}, {"0", "0", "4"}},
       "5",
       7,
       {"2026-03-02 08:15:36", "2026-03-02 08:15:37"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start("2026-03-02 08:15:30");
    F().RadioButton2->UserClick();
    F().SpinEdit_H_Gj->UserEdit(c.entered.h);
    F().SpinEdit_M_Gj->UserEdit(c.entered.m);
    F().SpinEdit_S_Gj->UserEdit(c.entered.s);
    if (c.answer) Ui().AnswerBox(c.answer);
    F().Btn_Gj->UserClick();

    std::vector<ExpectedBox> boxes;
    if (c.answer) boxes.push_back({kZeroQuestion, "是否关机", MB_YESNO | MB_ICONINFORMATION});
    ExpectBoxes(boxes);
    EXPECT_EQ(F().ShutdownMode, c.armed ? smAfterCountdown : smNone);
    ExpectStarted(c.armed, c.panel, "2026-03-02 08:15:30");
    EXPECT_EQ((Fields{F().SpinEdit_H_Gj->Text(), F().SpinEdit_M_Gj->Text(), F().SpinEdit_S_Gj->Text()}),
              c.entered)
        << "the entered values stay until the first tick";

    std::vector<std::string> powerOffs;
    for (int tick = 0; tick < c.ticks; ++tick) {
      std::vector<std::string> now = PowerOffTicks(1);
      powerOffs.insert(powerOffs.end(), now.begin(), now.end());
      if (tick < static_cast<int>(c.afterTicks.size())) {
        SCOPED_TRACE("after tick " + std::to_string(tick + 1));
        EXPECT_EQ(F().SpinEdit_H_Gj->Text(), c.afterTicks[tick].h);
        EXPECT_EQ(F().SpinEdit_M_Gj->Text(), c.afterTicks[tick].m);
        EXPECT_EQ(F().SpinEdit_S_Gj->Text(), c.afterTicks[tick].s);
      }
      if (tick == 0 && c.editSecondsAfterFirstTick) F().SpinEdit_S_Gj->UserEdit(c.editSecondsAfterFirstTick);
    }
    EXPECT_EQ(powerOffs, c.powerOffs);
    EXPECT_EQ(F().sBar->Panels(1)->Text(), c.panel);
  }
}

// A radio click disarms silently; the next click of the button cancels with a log
// line; "开始记时" shows only until the first cancel.
TEST_F(ShutdownTest, RadioClickDisarmsSilentlyAndCancelRestoresTheButton) {
  struct Case {
    const char* name;
    bool afterDuration;  // else at a moment
    bool clickSecondRadio;
  };
  const Case cases[] = {
      {"moment, RadioButton1 (already checked)", false, false},
      {"moment, RadioButton2", false, true},
      {"duration, RadioButton2 (already checked)", true, true},
      {"duration, RadioButton1", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start("2026-03-02 08:15:30");
    SetPickers("2026-03-02", "08:15:40");
    if (c.afterDuration) {
      F().RadioButton2->UserClick();
      F().SpinEdit_S_Gj->UserEdit("10");
    }
    F().Btn_Gj->UserClick();
    const std::string panel = "计算机将于 2026-3-2 8:15:40 自动关机";
    ASSERT_EQ(F().ShutdownMode, c.afterDuration ? smAfterCountdown : smAtMoment);
    EXPECT_TRUE(PowerOffTicks(2).empty());
    size_t logLines = LogMessages().size();

    (c.clickSecondRadio ? F().RadioButton2 : F().RadioButton1)->UserClick();
    EXPECT_EQ(F().ShutdownMode, smNone);
    EXPECT_EQ(F().Btn_Gj->Tag, 1);
    EXPECT_EQ(F().Btn_Gj->Caption(), "取消计时");
    EXPECT_EQ(F().Btn_Gj->FontColor(), clRed);
    EXPECT_EQ(F().sBar->Panels(1)->Text(), panel);
    EXPECT_EQ(LogMessages().size(), logLines) << "nothing logged";
    EXPECT_TRUE(PowerOffTicks(20).empty()) << "neither the moment nor the countdown fires";
    if (c.afterDuration) {
      EXPECT_EQ(F().SpinEdit_S_Gj->Text(), "8") << "stopped where it stood";
    }

    const std::string cancelledAt = TimeStamp(Now());
    F().Btn_Gj->UserClick();
    EXPECT_EQ(F().ShutdownMode, smNone);
    EXPECT_EQ(F().Btn_Gj->Tag, 0);
    EXPECT_EQ(F().Btn_Gj->Caption(), "开始计时");
    EXPECT_EQ(F().Btn_Gj->FontColor(), clWindowText);
    EXPECT_EQ(F().sBar->Panels(1)->Text(), kIdle);
    EXPECT_TRUE(F().RadioButton1->Checked());
    EXPECT_FALSE(F().RadioButton2->Checked());
    EXPECT_EQ(LogMessages().back(), kStopped);
    EXPECT_TRUE(LogBytes().ends_with(Gbk("[" + cancelledAt + "] " + kStopped + "\r\n")));
    EXPECT_EQ(TimeStamp(F().ShutdownAt), "2026-03-02 08:15:40") << "the moment is kept";
    EXPECT_EQ(Pickers(), "2026-03-02 08:15:40");
    EXPECT_EQ(F().SpinEdit_S_Gj->Text(), c.afterDuration ? "8" : "0");
    EXPECT_TRUE(Ui().Boxes.empty());

    // A new start is possible, and every later cancel says "开始计时" again.
    SetPickers("2026-03-02", "23:00:00");
    F().Btn_Gj->UserClick();
    EXPECT_EQ(F().ShutdownMode, smAtMoment);
    EXPECT_EQ(F().Btn_Gj->Caption(), "取消计时");
    EXPECT_EQ(F().sBar->Panels(1)->Text(), "计算机将于 2026-3-2 23:00:00 自动关机");
    F().Btn_Gj->UserClick();
    EXPECT_EQ(F().Btn_Gj->Caption(), "开始计时");
    EXPECT_EQ(F().Btn_Gj->FontColor(), clWindowText);
  }
}

}  // namespace
