// The rules every control keeps: change events only from the user, clicks from
// code run even when disabled, list-view changes from anywhere, radio siblings,
// timers that go on inside an open box, and the default exception report.
#include <gtest/gtest.h>

#include "platform/headless/HeadlessBackend.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ListView.h"
#include "platform/vcl/Timer.h"

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  HeadlessBackend ui{EncodeDate(2026, 3, 2) + EncodeTime(8, 0, 0)};
  TApplication app{ui};
  TForm form{"Form1", "TForm1"};
  int events = 0;
  TNotifyEvent count = [this](TObject*) { ++events; };
  void SetUp() override {
    app.Title = "Test";
    app.MainForm = &form;
    ui.OnUnscriptedBox = [](const HeadlessBackend::Box& box) { ADD_FAILURE() << "unexpected box " << box.Text; };
  }
};

TEST_F(ControlsTest, CodeSetStateRaisesNoChangeEventsButTheUserDoes) {
  auto* check = new TCheckBox(&form, "Check", &form);
  auto* radio = new TRadioButton(&form, "Radio", &form);
  check->OnChange = count;
  radio->OnChange = count;
  check->SetChecked(true);
  check->SetChecked(false);
  radio->SetChecked(true);
  EXPECT_EQ(events, 0) << "none of these should send events";

  check->UserToggle();
  EXPECT_TRUE(check->Checked());
  radio->UserClick();  // already checked: the event comes all the same
  EXPECT_EQ(events, 2);

  check->SetEnabled(false);
  check->UserToggle();
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(events, 2) << "a disabled box ignores the user";
}

TEST_F(ControlsTest, ClickFromCodeRunsWhenDisabledAndTheUsersDoesNot) {
  auto* button = new TButton(&form, "Button", &form);
  button->OnClick = count;
  button->SetEnabled(false);
  button->UserClick();
  EXPECT_EQ(events, 0);
  button->Click();
  EXPECT_EQ(events, 1);
  button->SetEnabled(true);
  button->SetVisible(false);
  button->UserClick();
  EXPECT_EQ(events, 1) << "a hidden button cannot be clicked by the user";
}

TEST_F(ControlsTest, ListViewReportsEveryRowChangeFromCodeAndUser) {
  auto* list = new TListView(&form, "List", &form);
  std::vector<TItemChange> changes;
  list->OnChange = [&](TObject*, TListItem*, TItemChange change) { changes.push_back(change); };
  TListItem* row = list->Add();
  row->SetCaption("08:00:00");
  row->SubItems.Add("每天都响");
  row->SetChecked(true);
  row->SetChecked(true);  // no change, no event
  list->UserSelect(0);
  list->UserCheck(0, false);
  EXPECT_EQ(changes, (std::vector<TItemChange>{TItemChange::ctText, TItemChange::ctText, TItemChange::ctState,
                                               TItemChange::ctState, TItemChange::ctState}));
  EXPECT_EQ(list->Selected(), row);
  EXPECT_FALSE(row->Checked());
}

TEST_F(ControlsTest, CheckingARadioButtonUnchecksItsSiblingsOnly) {
  auto* groupA = new TGroupBox(&form, "GroupA", &form);
  auto* groupB = new TGroupBox(&form, "GroupB", &form);
  auto* a1 = new TRadioButton(&form, "A1", groupA);
  auto* a2 = new TRadioButton(&form, "A2", groupA);
  auto* b1 = new TRadioButton(&form, "B1", groupB);
  a1->SetChecked(true);
  b1->SetChecked(true);
  a2->UserClick();
  EXPECT_FALSE(a1->Checked());
  EXPECT_TRUE(a2->Checked());
  EXPECT_TRUE(b1->Checked()) << "another parent's radio button keeps its state";
}

TEST_F(ControlsTest, TimersFireInOrderAndStopAtIntervalZero) {
  std::vector<std::string> fired;
  TTimer fast(&form, "Fast", 300), slow(&form, "Slow", 1000);
  fast.OnTimer = [&](TObject*) { fired.push_back("fast"); };
  slow.OnTimer = [&](TObject*) {
    fired.push_back("slow");
    fast.SetInterval(0);
  };
  ui.Advance(1500);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast", "fast", "fast", "slow"}));
}

// A box keeps the message loop running: the timer whose handler opened it fires inside it.
TEST_F(ControlsTest, TimerFiresWhileItsOwnHandlerWaitsInABox) {
  TTimer timer(&form, "Timer", 1000);
  std::vector<std::pair<int, int64_t>> fires;  // depth, time
  int depth = 0;
  timer.OnTimer = [&](TObject*) {
    ++depth;
    fires.push_back({depth, ui.NowMs()});
    if (fires.size() == 1) app.MessageBox(&form, "wait", "box", MB_OK);
    --depth;
  };
  int64_t start = ui.NowMs();
  ui.AnswerBox(IDOK, 2500);
  ui.Advance(4000);
  ASSERT_EQ(fires.size(), 4u);
  EXPECT_EQ(fires[0], std::make_pair(1, start + 1000));
  EXPECT_EQ(fires[1], std::make_pair(2, start + 2000));
  EXPECT_EQ(fires[2], std::make_pair(2, start + 3000));
  EXPECT_EQ(fires[3], std::make_pair(1, start + 4000));
}

TEST_F(ControlsTest, AnUncaughtErrorEndsTheHandlerAndIsReported) {
  auto* button = new TButton(&form, "Button", &form);
  bool after = false;
  button->OnClick = [&](TObject*) {
    throw EInOutError("File not found", 2);
    after = true;
  };
  ui.AnswerBox(IDOK);
  button->UserClick();
  EXPECT_FALSE(after);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "File not found");
  EXPECT_EQ(ui.Boxes[0].Caption, "Test");
  EXPECT_EQ(ui.Boxes[0].Flags, MB_OK | MB_ICONERROR);
}

TEST_F(ControlsTest, SpinEditKeepsItsTextAsTyped) {
  auto* spin = new TSpinEdit(&form, "Spin", &form);
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"", 0}, {"00", 0}, {"-3", -3}, {"75", 75}, {"1.5", 0}, {"+4", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    spin->UserEdit(c.text);
    EXPECT_EQ(spin->Text(), c.text);
    EXPECT_EQ(spin->Value(), c.value);
  }
  spin->UserEdit("-1");
  spin->UserStep(-1);
  EXPECT_EQ(spin->Text(), "-2");
}

TEST_F(ControlsTest, FocusFailsOnAPageThatIsNotShowing) {
  auto* pages = new TPageControl(&form, "Pages", &form);
  auto* first = new TTabSheet(&form, "First", pages);
  auto* second = new TTabSheet(&form, "Second", pages);
  auto* edit = new TEdit(&form, "Edit", second);
  (void)first;
  EXPECT_THROW(edit->SetFocus(), EInvalidOperation);
  pages->UserSelectPage(1);
  EXPECT_NO_THROW(edit->SetFocus());
  EXPECT_EQ(ui.Focused, edit);
}

TEST_F(ControlsTest, FormHeightIsTheOuterFrames) {
  form.SetClientSize(534, 407);
  EXPECT_EQ(form.Height(), 443);
  form.SetHeight(292);
  EXPECT_EQ(form.ClientHeight(), 256);
}

}  // namespace
