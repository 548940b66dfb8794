// The window's start-up, folding, About links, close question and farewell.
#include "TamiroFixture.h"

#include "platform/rtl/Text.h"

namespace {

class StartupTest : public TamiroTest {};

TEST_F(StartupTest, OpensFoldedCentredAndCaptionedWithTheVersion) {
  StartAt("2026-03-02 08:15:30");
  EXPECT_EQ(F().Caption(), "Velora  V 1.2.0.105 正式版");
  EXPECT_EQ(F().Label3->Caption(), "V 1.2.0.105 正式版");
  EXPECT_EQ(F().Height(), 292);
  EXPECT_EQ(F().ClientWidth(), 534);
  EXPECT_EQ(F().Left(), (1920 - F().Width()) / 2);
  EXPECT_EQ(F().Top(), 200);
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:30");
  EXPECT_EQ(F().DateTime_Date->Date(), Moment("2026-03-02 00:00:00"));
  EXPECT_EQ(FormatDateTime("HH:NN:SS", F().DateTime_Time->Time()), "08:15:30");
  EXPECT_EQ(F().nzls->Text(), ProgramDir() + "nl.mp3");
  EXPECT_EQ(F().zdls->Text(), ProgramDir() + "zd.mp3");
  EXPECT_FALSE(F().numzz->Enabled());
  EXPECT_TRUE(F().numqd->Enabled());
  EXPECT_EQ(F().ShutdownMode, TFrm_Tamiro::smNone);
}

TEST_F(StartupTest, CentresEvenOnAScreenNarrowerThanTheWindow) {
  struct Case {
    int screen, left;
  } cases[] = {{1920, (1920 - 542) / 2}, {1023, 240}, {541, 0}, {539, -1}, {100, -221}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screen);
    SetScreenWidth(c.screen);
    RestartAt("2026-03-02 08:00:00");
    EXPECT_EQ(F().Left(), c.left) << "rounded toward zero";
  }
}

TEST_F(StartupTest, SettingsButtonUnfoldsThenFoldsAndResetsTheEditor) {
  StartAt("2026-03-02 08:00:00");
  F().sRadioButton1->UserClick();
  F().Btn_Sz->UserClick();
  EXPECT_EQ(F().Height(), 443);
  EXPECT_EQ(F().ClientHeight(), 407);
  EXPECT_TRUE(F().sRadioButton1->Checked()) << "unfolding leaves the editor untouched";
  F().Btn_Sz->UserClick();
  EXPECT_EQ(F().Height(), 292);
  EXPECT_TRUE(F().sRadioButton2->Checked()) << "folding resets the editor";

  F().SetHeight(300);
  F().Btn_Sz->UserClick();
  EXPECT_EQ(F().Height(), 292) << "any other height counts as unfolded";
}

TEST_F(StartupTest, ClosingAsksOnlyWhileTheAlarmRuns) {
  StartAt("2026-03-02 08:00:00");
  struct Case {
    const char* state;
    int answer;  // 0: no question expected
    bool closes;
  } cases[] = {{"", 0, true}, {"Stop", 0, true}, {"Start", IDNO, false}, {"Start", IDYES, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.state) + " " + std::to_string(c.answer));
    AlarmState = c.state;
    Ui().Boxes.clear();
    if (c.answer) Ui().AnswerBox(c.answer);
    EXPECT_EQ(F().Close(), c.closes);
    if (c.answer) {
      ASSERT_EQ(Ui().Boxes.size(), 1u);
      EXPECT_EQ(Ui().Boxes[0].Text, "现在闹钟为启动状态，确定要退出吗？");
      EXPECT_EQ(Ui().Boxes[0].Caption, "确定退出");
      EXPECT_EQ(Ui().Boxes[0].Flags, MB_YESNO | MB_ICONINFORMATION);
    } else {
      EXPECT_TRUE(Ui().Boxes.empty());
    }
  }
}

TEST_F(StartupTest, TypingIntoTheInformationMemosChangesNothing) {
  StartAt("2026-03-02 08:00:00");
  F().xz->UserSelectPage(5);
  for (TMemo* memo : {F().Memo_Log, F().Memo_Update}) {
    SCOPED_TRACE(memo->Name());
    for (char32_t key : {U'a', U'闹', U'\b', U'\r', U'\x16' /* Ctrl+V */}) EXPECT_FALSE(memo->UserKeyPress(key));
  }
}

TEST_F(StartupTest, AboutLinksOpenTheirAddresses) {
  StartAt("2026-03-02 08:00:00");
  F().xz->UserSelectPage(6);
  for (TLabel* link : {F().sWebLabel1, F().sWebLabel2, F().sWebLabel3, F().sWebLabel4}) link->UserClick();
  EXPECT_EQ(Ui().ShellOpens, (std::vector<std::string>{
                                 "http://www.example.com",
                                 "mailto:hw@example.com",
                                 "mailto:velora@example.org",
                                 "http://wpa.example.net/msgrd?V=1&Uin=10001&Site=Harwen&Menu=yes",
                             }));
}

TEST_F(StartupTest, WelcomeAndFarewellReachTheLogFile) {
  StartAt("2026-03-02 08:00:00");
  Advance(5000);
  Quit();
  std::string log = LogBytes();
  EXPECT_NE(log.find(Gbk("[2026-03-02 08:00:00] (程序运行)欢迎使用Velora！\r\n")), std::string::npos);
  EXPECT_NE(log.find(Gbk("[2026-03-02 08:00:05] (程序退出)谢谢使用Velora！\r\n")), std::string::npos);
}

}  // namespace
