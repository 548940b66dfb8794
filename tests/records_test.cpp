// The record editor: adding records, the once-only and reminder checks, delete,
// clear, select all, reset and the ring-mode choice.
#include "TamiroFixture.h"

#include <algorithm>

namespace {

class RecordsTest : public TamiroTest {
 protected:
  // The editor's pickers as the user sets them.
  void PickDate(const std::string& day) { F().DateTime_Date->UserSetDateTime(Moment(day + " 00:00:00")); }
  void PickTime(const std::string& time) {
    F().DateTime_Time->UserSetDateTime(TimeOf(Moment("2000-01-01 " + time)));
  }
  // Ticks "到预定时间是否提醒要做什么事" on its page and types the event.
  void Remind(const std::string& event) {
    F().xz->UserSelectPage(2);
    if (!F().tx->Checked()) F().tx->UserToggle();
    F().shijian->UserEdit(event);
    F().xz->UserSelectPage(0);
  }
  void NoReminder() {
    F().xz->UserSelectPage(2);
    if (F().tx->Checked()) F().tx->UserToggle();
    F().xz->UserSelectPage(0);
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (int i = 0; i < F().List_Tamiro->Count(); ++i) captions.push_back(F().List_Tamiro->Item(i)->Caption());
    return captions;
  }
  long Count(const std::string& message) {
    auto messages = LogMessages();
    return std::count(messages.begin(), messages.end(), message);
  }
};

// Each ring mode in turn, the editor keeping its values between adds.
TEST_F(RecordsTest, AddComposesTheRowForEachRingMode) {
  StartAt("2026-03-02 08:15:30");
  PickDate("2026-03-05");
  PickTime("07:00:05");
  struct Case {
    TRadioButton* TFrm_Tamiro::*radio;
    std::string mode, event, sound, caption;
    bool dateEnabled;
  };
  const std::string song = ProgramDir() + "铃声/起床号.mp3";
  const Case cases[] = {
      {&TFrm_Tamiro::sRadioButton1, "每天都响", "", ProgramDir() + "nl.mp3", "07:00:05", false},
      {&TFrm_Tamiro::sRadioButton2, "只响一次", "起床", song, "2026-03-05 07:00:05", true},
      {&TFrm_Tamiro::sRadioButton3, "周一到五", "去上班", song, "07:00:05", false},
      {&TFrm_Tamiro::sRadioButton4, "周末", "", song, "07:00:05", false},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    (F().*c.radio)->UserClick();
    EXPECT_EQ(F().DateTime_Date->Enabled(), c.dateEnabled);
    if (c.event.empty()) NoReminder(); else Remind(c.event);
    F().nzls->SetText(c.sound);
    F().Btn_Add->UserClick();
    ASSERT_EQ(F().List_Tamiro->Count(), row + 1);
    EXPECT_EQ(RowCells(row), (std::vector<std::string>{c.caption, c.mode, c.event, c.sound}));
    EXPECT_FALSE(F().List_Tamiro->Item(row)->Checked());
    EXPECT_EQ(NewRingMode, c.mode);
    EXPECT_EQ(NewAlarmTime, c.caption);
    ++row;
    EXPECT_EQ(RecordCount, row);
  }
  EXPECT_EQ(Count("添加了一条记录至列表．"), 4);
  EXPECT_TRUE(Ui().Boxes.empty());
}

// The once-only time is compared to the current second as text: the same
// second is still in time, the milliseconds of now do not count.
TEST_F(RecordsTest, OnceOnlyTimeInThePastIsRefusedAndThePickersJumpToNow) {
  struct Case {
    std::string date, time;
    bool accepted;
  };
  const Case cases[] = {
      {"2026-03-02", "08:15:30", true},   // this very second
      {"2026-03-02", "08:15:29", false},  // one second ago
      {"2026-03-01", "23:59:59", false},  // yesterday, later in the day
      {"2026-03-03", "00:00:00", true},   // tomorrow, earlier in the day
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date + " " + c.time);
    RestartAt("2026-03-02 08:15:30.900");
    PickDate(c.date);
    PickTime(c.time);
    if (!c.accepted) Ui().AnswerBox(IDOK);
    F().Btn_Add->UserClick();
    if (c.accepted) {
      EXPECT_TRUE(Ui().Boxes.empty());
      ASSERT_EQ(F().List_Tamiro->Count(), 1);
      EXPECT_EQ(F().List_Tamiro->Item(0)->Caption(), c.date + " " + c.time);
      EXPECT_EQ(RecordCount, 1);
      continue;
    }
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectBox(0, "你设置的时间已经过去了，请重新设置！", "错误", MB_OK | MB_ICONERROR);
    EXPECT_EQ(F().List_Tamiro->Count(), 0);
    EXPECT_EQ(RecordCount, 0);
    EXPECT_EQ(Count("添加了一条记录至列表．"), 0);
    EXPECT_EQ(F().DateTime_Date->Date(), Moment("2026-03-02 00:00:00"));
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", F().DateTime_Time->Time()), "08:15:30.000");
  }
}

// With the reminder ticked but no text the add stops at the message; the focus
// goes to the text box only when its page is showing, and a failure is silent.
TEST_F(RecordsTest, ReminderWithoutTextAddsNothing) {
  struct Case {
    const char* name;
    int page;
    bool focused;
  };
  const Case cases[] = {{"page 事件 showing", 2, true}, {"page 闹钟设置 showing", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    PickTime("09:00:00");
    F().xz->UserSelectPage(2);
    F().tx->UserToggle();
    EXPECT_TRUE(F().shijian->Visible());
    EXPECT_TRUE(F().sLabel1->Visible());
    F().xz->UserSelectPage(c.page);
    Ui().Focused = nullptr;
    Ui().AnswerBox(IDOK);
    F().Btn_Add->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);  // no error report after the message
    ExpectBox(0, "请输入或选择到时间要做的事,方便提醒", "事件", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(Ui().Focused, c.focused ? F().shijian : nullptr);
    EXPECT_EQ(F().List_Tamiro->Count(), 0);
    EXPECT_EQ(RecordCount, 0);
    EXPECT_EQ(Count("添加了一条记录至列表．"), 0);
  }
}

// Rows that came from elsewhere (a list file) count; the new row gets its own
// cells and the loaded rows gain none. An empty sound path stays empty.
TEST_F(RecordsTest, AddAfterLoadedRowsFillsTheNewRow) {
  StartAt("2026-03-02 08:15:30");
  AddRow("06:00:00", "每天都响", "起床", "/a.mp3");
  AddRow("2026-04-01 12:00:00", "只响一次", "", "/b.mp3");
  F().sRadioButton4->UserClick();
  PickTime("10:30:00");
  F().nzls->SetText("");
  F().Btn_Add->UserClick();
  ASSERT_EQ(F().List_Tamiro->Count(), 3);
  EXPECT_EQ(RowCells(0), (std::vector<std::string>{"06:00:00", "每天都响", "起床", "/a.mp3"}));
  EXPECT_EQ(RowCells(1), (std::vector<std::string>{"2026-04-01 12:00:00", "只响一次", "", "/b.mp3"}));
  EXPECT_EQ(RowCells(2), (std::vector<std::string>{"10:30:00", "周末", "", ""}));
  EXPECT_EQ(RecordCount, 3);
  EXPECT_EQ(LogMessages().back(), "添加了一条记录至列表．");
}

TEST_F(RecordsTest, DeleteAndClearExplainWhyNothingHappened) {
  struct Case {
    const char* name;
    int rows;
    TButton* TFrm_Tamiro::*button;
    std::string text, caption;
    bool qxAfter;
  };
  const Case cases[] = {
      {"delete, empty list", 0, &TFrm_Tamiro::Btn_del, "列表中没有记录！", "无记录", false},
      {"clear, empty list", 0, &TFrm_Tamiro::Btn_Clear, "列表中没有记录！", "无记录", true},
      {"delete, nothing selected", 2, &TFrm_Tamiro::Btn_del, "请选中要删除的记录！", "选择", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RestartAt("2026-03-02 08:15:30");
    for (int i = 0; i < c.rows; ++i) AddRow("0" + std::to_string(i) + ":00:00", "每天都响", "", "", true);
    F().Chk_Qx->SetChecked(true);  // only the empty delete unticks it
    auto before = LogMessages();
    Ui().AnswerBox(IDOK);
    (F().*c.button)->UserClick();
    ASSERT_EQ(Ui().Boxes.size(), 1u);
    ExpectBox(0, c.text, c.caption, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(F().List_Tamiro->Count(), c.rows);
    EXPECT_EQ(RecordCount, c.rows);
    EXPECT_EQ(F().Chk_Qx->Checked(), c.qxAfter);
    EXPECT_EQ(LogMessages(), before);
  }
}

TEST_F(RecordsTest, DeleteRemovesTheSelectedRowAndClearEmptiesTheList) {
  StartAt("2026-03-02 08:15:30");
  AddRow("06:00:00", "每天都响");
  AddRow("07:00:00", "周末");
  AddRow("08:00:00", "周一到五");
  F().List_Tamiro->UserSelect(1);
  F().Btn_del->UserClick();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"06:00:00", "08:00:00"}));
  EXPECT_EQ(RecordCount, 2);
  EXPECT_EQ(LogMessages().back(), "删除了列表中的一条记录．");

  // The next add takes the freed index at the end.
  F().sRadioButton1->UserClick();
  PickTime("09:00:00");
  F().Btn_Add->UserClick();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"06:00:00", "08:00:00", "09:00:00"}));
  EXPECT_EQ(RowCells(2)[1], "每天都响");

  F().Chk_Qx->UserToggle();
  ASSERT_TRUE(F().Chk_Qx->Checked());
  F().Btn_Clear->UserClick();
  EXPECT_EQ(F().List_Tamiro->Count(), 0);
  EXPECT_FALSE(F().Chk_Qx->Checked());
  EXPECT_EQ(RecordCount, 0);
  EXPECT_EQ(LogMessages().back(), "已清空了列表．");
  F().Btn_Add->UserClick();
  ASSERT_EQ(F().List_Tamiro->Count(), 1);
  EXPECT_EQ(RowCells(0), (std::vector<std::string>{"09:00:00", "每天都响", "", ProgramDir() + "nl.mp3"}));
  EXPECT_TRUE(Ui().Boxes.empty());
}

// Deleting the one unticked row leaves every remaining row ticked, and "全选" says so.
TEST_F(RecordsTest, DeletingTheLastUntickedRowTicksSelectAll) {
  StartAt("2026-03-02 08:15:30");
  AddRow("06:00:00", "每天都响", "", "", true);
  AddRow("07:00:00", "每天都响", "", "", false);
  AddRow("08:00:00", "每天都响", "", "", true);
  ASSERT_FALSE(F().Chk_Qx->Checked());
  F().List_Tamiro->UserSelect(1);
  F().Btn_del->UserClick();
  EXPECT_TRUE(F().Chk_Qx->Checked());
}

// "全选" follows the rows, and setting it from the rows never ticks or unticks rows.
TEST_F(RecordsTest, SelectAllFollowsTheRows) {
  StartAt("2026-03-02 08:15:30");
  F().Chk_Qx->UserToggle();
  EXPECT_FALSE(F().Chk_Qx->Checked()) << "an empty list cannot be all ticked";

  for (int i = 0; i < 3; ++i) AddRow("0" + std::to_string(i) + ":00:00", "每天都响");
  auto ticks = [&] {
    std::vector<bool> t;
    for (int i = 0; i < F().List_Tamiro->Count(); ++i) t.push_back(F().List_Tamiro->Item(i)->Checked());
    return t;
  };
  for (int i = 0; i < 3; ++i) {
    F().List_Tamiro->UserCheck(i, true);
    EXPECT_EQ(F().Chk_Qx->Checked(), i == 2) << "after ticking row " << i;
  }
  F().List_Tamiro->UserCheck(1, false);
  EXPECT_FALSE(F().Chk_Qx->Checked());
  EXPECT_EQ(ticks(), (std::vector<bool>{true, false, true}));

  F().Chk_Qx->UserToggle();
  EXPECT_EQ(ticks(), (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(F().Chk_Qx->Checked());
  F().Chk_Qx->UserToggle();
  EXPECT_EQ(ticks(), (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(F().Chk_Qx->Checked());
}

TEST_F(RecordsTest, ResetRestoresTheEditorAndLeavesTheRows) {
  StartAt("2026-03-02 08:15:30.400");
  AddRow("06:00:00", "每天都响", "起床", "/a.mp3", true);
  F().sRadioButton3->UserClick();
  EXPECT_FALSE(F().DateTime_Date->Enabled());
  PickDate("2026-05-01");
  PickTime("21:00:00");
  F().nzls->SetText("/x/alarm.mp3");
  F().zdls->SetText("/x/chime.mp3");
  Remind("睡觉");
  Advance(2000);
  auto logBefore = LogMessages();

  F().Btn_Cancel->UserClick();
  EXPECT_EQ(F().DateTime_Date->Date(), Moment("2026-03-02 00:00:00"));
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", F().DateTime_Time->Time()), "08:15:32.000");
  EXPECT_TRUE(F().sRadioButton2->Checked());
  EXPECT_FALSE(F().sRadioButton3->Checked());
  EXPECT_TRUE(F().DateTime_Date->Enabled());
  EXPECT_EQ(F().nzls->Text(), ProgramDir() + "nl.mp3");
  EXPECT_EQ(F().zdls->Text(), ProgramDir() + "zd.mp3");
  EXPECT_FALSE(F().tx->Checked());
  EXPECT_FALSE(F().sLabel1->Visible());
  EXPECT_FALSE(F().shijian->Visible());
  EXPECT_EQ(F().shijian->Text(), "");
  ASSERT_EQ(F().List_Tamiro->Count(), 1);
  EXPECT_EQ(RowCells(0), (std::vector<std::string>{"06:00:00", "每天都响", "起床", "/a.mp3"}));
  EXPECT_TRUE(F().List_Tamiro->Item(0)->Checked());
  EXPECT_EQ(LogMessages(), logBefore);
  EXPECT_TRUE(Ui().Boxes.empty());

  // Only "只响一次" uses the date: the other modes disable it, it keeps its value.
  F().sRadioButton4->UserClick();
  EXPECT_FALSE(F().DateTime_Date->Enabled());
  F().sRadioButton2->UserClick();
  EXPECT_TRUE(F().DateTime_Date->Enabled());
  EXPECT_EQ(F().DateTime_Date->Date(), Moment("2026-03-02 00:00:00"));
}

}  // namespace
