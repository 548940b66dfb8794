// The tray icon: its picture and blinking, hint, show/hide, minimizing, and the pop-up menu.
#include "TamiroFixture.h"

#include <string>

namespace {

class TrayTest : public TamiroTest {
 protected:
  const TBitmap* Clock() { return &F().iglIcons->Image(0); }
  const TBitmap* Transparent() { return &F().iglIcons->Image(1); }
  const TBitmap* SteadyClock() { return &F().iglIcons1->Image(0); }
  void ExpectShown(bool window, bool taskbar) {
    EXPECT_EQ(Ui().WindowShown, window);
    EXPECT_EQ(Ui().TaskbarButtonShown, taskbar);
    EXPECT_EQ(Application->Minimized(), !window);
  }
};

TEST_F(TrayTest, ShowsTheSteadyClockWithItsHint) {
  StartAt("2026-03-02 08:15:30");
  EXPECT_TRUE(Ui().TrayShown);
  EXPECT_EQ(Ui().TrayHint, "Harwen（www.example.com）━电子闹钟");
  ASSERT_FALSE(Ui().TrayFrames.empty());
  EXPECT_EQ(Ui().TrayFrames.back().Picture, SteadyClock());
  Ui().TrayFrames.clear();
  Advance(3000);
  ASSERT_EQ(Ui().TrayFrames.size(), 3u);
  for (const auto& frame : Ui().TrayFrames) EXPECT_EQ(frame.Picture, SteadyClock());

  // The tool tip takes fewer than 64 bytes of GBK (a Chinese character is two).
  struct Case {
    std::string hint;
    bool taken;
  };
  const Case cases[] = {
      {std::string(63, 'a'), true},
      {std::string(64, 'a'), false},
      {std::string(1, 'a') + [] { std::string s; for (int i = 0; i < 31; ++i) s += "闹"; return s; }(), true},
      {[] { std::string s; for (int i = 0; i < 32; ++i) s += "钟"; return s; }(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    std::string before = F().TrayIcon1->Hint();
    F().TrayIcon1->SetHint(c.hint);
    EXPECT_EQ(F().TrayIcon1->Hint(), c.taken ? c.hint : before);
    EXPECT_EQ(Ui().TrayHint, c.taken ? c.hint : before);
  }
}

// Ringing switches to the flashing list: the clock blinks, beginning with the
// transparent picture; the steady list brings the clock back at the next step.
TEST_F(TrayTest, FlashingListBlinksFromTheNextStep) {
  StartAt("2026-03-02 08:15:30");
  AddRow("07:30:00", "每天都响", "", "", true);
  F().Btn_Start->UserClick();
  Advance(300);
  Ui().TrayFrames.clear();
  const int64_t switchedAt = Ui().NowMs();
  F().TrayIcon1->SetIcons(F().iglIcons);
  EXPECT_TRUE(Ui().TrayFrames.empty()) << "the switch itself shows nothing new";
  Advance(4000);
  const TBitmap* expected[] = {Transparent(), Clock(), Transparent(), Clock()};
  ASSERT_EQ(Ui().TrayFrames.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Ui().TrayFrames[i].Picture, expected[i]);
    EXPECT_EQ(Ui().TrayFrames[i].AtMs, switchedAt + 700 + 1000 * i);
  }

  Advance(1000);  // now on the transparent picture
  ASSERT_EQ(F().TrayIcon1->ShownPicture(), Transparent());
  Ui().TrayFrames.clear();
  F().TrayIcon1->SetIcons(F().iglIcons1);
  Advance(2000);
  ASSERT_EQ(Ui().TrayFrames.size(), 2u);
  EXPECT_EQ(Ui().TrayFrames[0].Picture, SteadyClock());
  EXPECT_EQ(Ui().TrayFrames[1].Picture, SteadyClock());
  EXPECT_EQ(F().TrayIcon1->IconIndex(), 0);
}

// Hiding to the tray and coming back, by the icon, the menu and the window's minimize button.
TEST_F(TrayTest, ShowHideAndMinimize) {
  struct Case {
    const char* name;
    bool hasTray;
    bool byMinimizeButton;  // else by a left click on the icon
    bool taskbarWhileHidden;
  };
  const Case cases[] = {
      {"icon click", true, false, false},
      {"minimize button", true, true, false},
      {"minimize button, no tray", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    Ui().HasTray = c.hasTray;
    ExpectShown(true, true);
    if (c.byMinimizeButton)
      Application->UserMinimized();
    else
      F().TrayIcon1->UserMouseUp(MouseButton::Left, 10, 10);
    ExpectShown(false, c.taskbarWhileHidden);

    int fronts = Ui().BroughtToFront;
    F().TrayIcon1->UserMouseUp(MouseButton::Left, 10, 10);
    ExpectShown(true, true);
    EXPECT_EQ(Ui().BroughtToFront, fronts + 1);

    // The menu item does the same, and a double click is two clicks.
    F().mnuShowHide->UserClick();
    ExpectShown(false, c.taskbarWhileHidden);
    F().TrayIcon1->UserMouseUp(MouseButton::Left, 10, 10);
    F().TrayIcon1->UserMouseUp(MouseButton::Left, 10, 10);
    ExpectShown(false, c.taskbarWhileHidden);
    F().mnuShowHide->UserClick();
    ExpectShown(true, true);
    EXPECT_TRUE(Ui().Boxes.empty());
  }
}

TEST_F(TrayTest, RightButtonOpensTheMenu) {
  StartAt("2026-03-02 08:15:30");
  F().TrayIcon1->UserMouseUp(MouseButton::Middle, 100, 200);
  EXPECT_EQ(Ui().OpenedMenu, nullptr);
  int fronts = Ui().BroughtToFront;
  F().TrayIcon1->UserMouseUp(MouseButton::Right, 100, 200);
  EXPECT_EQ(Ui().BroughtToFront, fronts + 1);
  EXPECT_EQ(Ui().OpenedMenu, F().PopupMenu1);
  ExpectShown(true, true);

  struct Item {
    TMenuItem* TFrm_Tamiro::*item;
    std::string caption;
  };
  const Item items[] = {
      {&TFrm_Tamiro::mnuShowHide, "显示/隐藏(&G)"}, {&TFrm_Tamiro::N3, "-"},
      {&TFrm_Tamiro::numqd, "启动闹钟(&S)"},       {&TFrm_Tamiro::numzz, "终止闹钟(&Z)"},
      {&TFrm_Tamiro::N2, "-"},                     {&TFrm_Tamiro::numupdate, "在线升级(&U)"},
      {&TFrm_Tamiro::N1, "-"},                     {&TFrm_Tamiro::Animate1, "退出程序(&E)"},
  };
  const auto& menu = F().PopupMenu1->Items;
  ASSERT_EQ(menu.size(), std::size(items));
  for (size_t i = 0; i < menu.size(); ++i) {
    SCOPED_TRACE(items[i].caption);
    EXPECT_EQ(menu[i], F().*items[i].item);
    EXPECT_EQ(menu[i]->Caption(), items[i].caption);
  }
}

// Start and stop from the menu; the two items are never enabled together,
// and a click from code runs even on a disabled item.
TEST_F(TrayTest, MenuStartsAndStopsTheSchedule) {
  StartAt("2026-03-02 08:15:30");
  AddRow("07:30:00", "每天都响", "", "", true);
  AddRow("08:30:00", "每天都响", "", "", false);
  auto expectItems = [&](bool started) {
    EXPECT_EQ(F().numqd->Enabled(), !started);
    EXPECT_EQ(F().numzz->Enabled(), started);
  };
  expectItems(false);
  F().numzz->UserClick();  // disabled: the user cannot pick it
  EXPECT_EQ(AlarmState, "");

  F().numqd->UserClick();
  expectItems(true);
  EXPECT_EQ(AlarmState, "Start");
  EXPECT_FALSE(F().Btn_Start->Enabled());
  const std::string path = ProgramDir() + "tamiro.ini";
  EXPECT_EQ(FileBytes(path), Gbk("[0]\r\nFDatetime=07:30:00\r\nFNxfs=每天都响\r\nFShijian=\r\nFNzls=\r\n"));

  F().numqd->UserClick();  // disabled now
  F().List_Tamiro->UserCheck(1, true);
  EXPECT_EQ(ActiveCount, 1);
  F().numqd->Click();  // from code: runs the disabled start button's click
  EXPECT_EQ(ActiveCount, 2);
  EXPECT_NE(FileBytes(path).find("[1]"), std::string::npos);
  expectItems(true);

  F().numzz->UserClick();
  expectItems(false);
  EXPECT_EQ(AlarmState, "Stop");
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_EQ(FileBytes(path), "");
  EXPECT_TRUE(Ui().Boxes.empty());
}

// "退出程序(&E)" closes through the close question; the icon goes with the window.
TEST_F(TrayTest, ExitAsksWhileStartedAndTheIconGoesWithTheWindow) {
  StartAt("2026-03-02 08:15:30");
  AddRow("07:30:00", "每天都响", "", "", true);
  F().numqd->UserClick();
  Ui().AnswerBox(IDNO);
  F().Animate1->UserClick();
  ASSERT_EQ(Ui().Boxes.size(), 1u);
  EXPECT_EQ(Ui().Boxes[0].Text, "现在闹钟为启动状态，确定要退出吗？");
  EXPECT_FALSE(F().Closed());
  EXPECT_TRUE(Ui().TrayShown);
  EXPECT_EQ(F().Time_Nz->Interval(), 1000);

  Ui().AnswerBox(IDYES);
  F().Animate1->UserClick();
  EXPECT_EQ(Ui().Boxes.size(), 2u);
  EXPECT_TRUE(F().Closed());
  EXPECT_TRUE(Ui().QuitRequested);
  Quit();
  EXPECT_FALSE(Ui().TrayShown);
  EXPECT_FALSE(Ui().WindowShown);
}

}  // namespace
