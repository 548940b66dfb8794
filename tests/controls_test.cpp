// The rules every control keeps: change events only from the user, clicks from
// code run even when disabled, list-view changes from anywhere, radio siblings,
// timers that go on inside an open box, and the default exception report.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// A backend that notes what the list tells it, row by row.
struct RowRecordingBackend : HeadlessBackend {
  using HeadlessBackend::HeadlessBackend;
  std::vector<std::pair<TListRowChange, int>> rows;
  void ListRowChanged(TListView&, TListRowChange change, int row) override { rows.emplace_back(change, row); }
};

class ListRowsTest : public ::testing::Test {
 protected:
  RowRecordingBackend ui{EncodeDate(2026, 3, 2) + EncodeTime(8, 0, 0)};
  TApplication app{ui};
  TForm form{"Form1", "TForm1"};
  TListView* list = new TListView(&form, "List", &form);
  // Every OnChange as "row:kind", the row being the item's index when the event came.
  std::vector<std::string> events;
  void SetUp() override {
    app.MainForm = &form;
    list->OnChange = [this](TObject*, TListItem* item, TItemChange change) {
      events.push_back((item ? std::to_string(item->Index()) : "-") + (change == TItemChange::ctText ? ":text" : ":state"));
    };
  }
  int CountTicks() const {
    int ticked = 0;
    for (int i = 0; i < list->Count(); ++i) ticked += list->Item(i)->Checked();
    return ticked;
  }
};

// Each change reaches the handler in order and the backend as that one row; the kept count
// of ticks and each row's index stay true through every kind of change.
TEST_F(ListRowsTest, EveryRowChangeArrivesInOrderAndAloneAndTheCountsStayTrue) {
  using C = TListRowChange;
  using Rows = std::vector<std::pair<C, int>>;
  const struct {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> events;
    Rows rows;
  } steps[] = {
      {"rows added and filled",
       [&] {
         for (int i = 0; i < 3; ++i) {
           TListItem* row = list->Add();
           row->SetCaption("0" + std::to_string(i) + ":00:00");
           row->SubItems.Add("每天都响");
           row->SetChecked(i != 1);
         }
       },
       {"0:text", "0:text", "0:state", "1:text", "1:text", "2:text", "2:text", "2:state"},
       {{C::Inserted, 0}, {C::Changed, 0}, {C::Changed, 0}, {C::Changed, 0}, {C::Inserted, 1}, {C::Changed, 1},
        {C::Changed, 1}, {C::Inserted, 2}, {C::Changed, 2}, {C::Changed, 2}, {C::Changed, 2}}},
      {"every row ticked", [&] { for (int i = 0; i < list->Count(); ++i) list->Item(i)->SetChecked(true); },
       {"1:state"}, {{C::Changed, 1}}},
      {"the selection moves", [&] { list->UserSelect(0); list->UserSelect(2); },
       {"0:state", "0:state", "2:state"}, {{C::Changed, 0}, {C::Changed, 0}, {C::Changed, 2}}},
      {"the selected row is deleted", [&] { list->Delete(2); }, {"1:state"}, {{C::Removed, 2}}},
      {"a row in the middle is deleted", [&] { list->Delete(0); }, {"0:state"}, {{C::Removed, 0}}},
      {"an unticked row is added", [&] { list->Add()->SetCaption("09:00:00"); }, {"1:text"},
       {{C::Inserted, 1}, {C::Changed, 1}}},
      {"the user unticks", [&] { list->UserCheck(0, false); }, {"0:state"}, {{C::Changed, 0}}},
      {"cleared", [&] { list->Clear(); }, {}, {{C::Cleared, 0}}},
      {"cleared again", [&] { list->Clear(); }, {}, {}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    events.clear();
    ui.rows.clear();
    step.change();
    EXPECT_EQ(events, step.events);
    EXPECT_EQ(ui.rows, step.rows);
    EXPECT_EQ(list->CheckedCount(), CountTicks());
    for (int i = 0; i < list->Count(); ++i) EXPECT_EQ(list->Item(i)->Index(), i);
  }
  EXPECT_EQ(list->Selected(), nullptr) << "the selected row went with the deletion";
}

// A cell shows at most a few hundred characters, cut between characters; the row keeps all.
TEST_F(ListRowsTest, ALongCellIsShownCutAndKeptWhole) {
  const std::string ascii(kShownCellCharacters, 'a');
  std::string chinese;
  for (int i = 0; i < kShownCellCharacters + 1; ++i) chinese += "响";
  const std::string shownChinese = chinese.substr(0, chinese.size() - std::string("响").size()) + "…";
  const struct {
    const char* what;
    std::string text, shown;
  } cases[] = {
      {"empty", "", ""},
      {"short", "起床", "起床"},
      {"exactly the limit", ascii, ascii},
      {"one more", ascii + "b", ascii + "…"},
      {"wide characters", chinese, shownChinese},
      {"more bytes than the limit, fewer characters", chinese.substr(0, 200 * 3), chinese.substr(0, 200 * 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ShownCellText(c.text), c.shown);
  }

  std::string huge(50 * 1024 * 1024, 'x');
  TListItem* row = list->Add();
  row->SubItems.Add(huge);
  EXPECT_EQ(ShownCellText(row->SubItems[0]), std::string(kShownCellCharacters, 'x') + "…");
  EXPECT_EQ(row->SubItems[0].size(), huge.size());
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

// Types the text one character at a time, each as an edit that appends it.
void TypeInto(TSpinEdit& spin, const std::string& typed) {
  for (size_t i = 0; i < typed.size();) {
    size_t length = 1;
    while (i + length < typed.size() && (static_cast<unsigned char>(typed[i + length]) & 0xC0) == 0x80) ++length;
    spin.UserEdit(spin.Text() + typed.substr(i, length));
    i += length;
  }
}

TEST_F(ControlsTest, SpinEditTakesDigitsSignsAndThePointAndBeepsAtAnyOtherKey) {
  auto* spin = new TSpinEdit(&form, "Spin", &form);
  const struct {
    const char* typed;
    const char* text;
    int beeps;
  } cases[] = {
      {"0123456789", "0123456789", 0}, {"+-.", "+-.", 0},  {"1a2", "12", 1}, {"1 2", "12", 1},
      {"x,y", "", 3},                  {"9e5", "95", 1},   {"９", "", 1},    {"\t1\n", "1", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    spin->SetText("");
    int before = ui.Beeps;
    TypeInto(*spin, c.typed);
    EXPECT_EQ(spin->Text(), c.text);
    EXPECT_EQ(ui.Beeps - before, c.beeps);
  }

  // A paste or an assistive tool's text is one edit: one character it cannot hold refuses all.
  spin->SetText("5");
  int before = ui.Beeps;
  EXPECT_FALSE(spin->UserMayEdit("512x"));
  spin->UserEdit("512x");
  EXPECT_EQ(spin->Text(), "5");
  EXPECT_EQ(ui.Beeps - before, 2);
  EXPECT_TRUE(spin->UserMayEdit("-7"));
  spin->UserEdit("-7");
  EXPECT_EQ(spin->Text(), "-7");
  EXPECT_EQ(ui.Beeps - before, 2);

  // Code sets any text; a control the user cannot reach takes nothing from the user, silently.
  spin->SetText("abc");
  EXPECT_EQ(spin->Text(), "abc");
  spin->SetEnabled(false);
  spin->UserEdit("1");
  spin->UserEdit("x");
  EXPECT_EQ(spin->Text(), "abc");
  EXPECT_EQ(ui.Beeps - before, 2);
}

TEST_F(ControlsTest, BottomAlignedControlsKeepToTheBottomEdgeAtTheClientWidth) {
  form.SetClientSize(534, 407);
  auto* bar = new TStatusBar(&form, "Bar", &form);
  bar->SetBounds(0, 386, 534, 21);
  auto* strip = new TButton(&form, "Strip", &form);
  strip->SetBounds(5, 5, 50, 25);
  auto* plain = new TButton(&form, "Plain", &form);
  plain->SetBounds(40, 200, 65, 25);
  bar->SetAlign(TAlign::alBottom);
  strip->SetAlign(TAlign::alBottom);  // stacked on the bar, which was aligned first

  struct Bounds {
    int left, top, width, height;
    bool operator==(const Bounds&) const = default;
  };
  auto bounds = [](const TControl* c) { return Bounds{c->Left(), c->Top(), c->Width(), c->Height()}; };
  const struct {
    const char* step;
    std::function<void()> act;
    Bounds bar, strip;
  } steps[] = {
      {"aligned", [] {}, {0, 386, 534, 21}, {0, 361, 534, 25}},
      {"folded", [&] { form.SetHeight(292); }, {0, 235, 534, 21}, {0, 210, 534, 25}},
      {"wider", [&] { form.SetClientSize(600, 256); }, {0, 235, 600, 21}, {0, 210, 600, 25}},
      {"a new frame keeps the client width", [&] { form.SetFrameWidth(12); }, {0, 235, 600, 21}, {0, 210, 600, 25}},
      {"the bar hidden", [&] { bar->SetVisible(false); }, {0, 235, 600, 21}, {0, 231, 600, 25}},
      {"shown again", [&] { bar->SetVisible(true); }, {0, 235, 600, 21}, {0, 210, 600, 25}},
      {"moved from code", [&] { bar->SetBounds(10, 10, 100, 30); }, {0, 226, 600, 30}, {0, 201, 600, 25}},
      {"unfolded", [&] { form.SetHeight(443); }, {0, 377, 600, 30}, {0, 352, 600, 25}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.act();
    EXPECT_TRUE(bounds(bar) == s.bar);
    EXPECT_TRUE(bounds(strip) == s.strip);
    EXPECT_TRUE((bounds(plain) == Bounds{40, 200, 65, 25})) << "an unaligned control stays put";
  }
  EXPECT_TRUE(form.InView(*plain));
  plain->SetTop(360);
  EXPECT_FALSE(form.InView(*plain)) << "under what is docked to the bottom";

  // Any container lays out its own aligned children.
  auto* group = new TGroupBox(&form, "Group", &form);
  group->SetBounds(0, 0, 200, 100);
  auto* inner = new TStatusBar(&form, "Inner", group);
  inner->SetBounds(0, 0, 10, 20);
  inner->SetAlign(TAlign::alBottom);
  group->SetBounds(0, 0, 300, 150);
  EXPECT_TRUE((bounds(inner) == Bounds{0, 130, 300, 20}));
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
