// An alarm on the real window and the real clock: while the first record's
// reminder box is open, the alarm timer goes on and rings the next record.
#include <QMessageBox>
#include <QTimer>

#include "QtFixture.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"

namespace {

class QtAlarmTest : public QtTest {};

bool Logged(TFrm_Tamiro& f, const std::string& message) {
  for (const std::string& line : f.Memo_Log->Lines.Items())
    if (line.size() > message.size() && line.compare(line.size() - message.size(), message.size(), message) == 0)
      return true;
  return false;
}

TEST_F(QtAlarmTest, ANestedTickRingsWhileTheReminderBoxIsOpen) {
  TFrm_Tamiro& f = StartMainWindow();
  TDateTime now = Now();
  auto addDaily = [&](int inSeconds, const char* event) {
    TListItem* row = f.List_Tamiro->Add();
    row->SetCaption(FormatDateTime("HH:NN:SS", now + inSeconds / 86400.0));
    row->SubItems.Assign({"每天都响", event, ""});
    row->SetChecked(true);
    ++RecordCount;
  };
  addDaily(2, "起床");
  addDaily(3, "");
  f.Btn_Start->Click();
  ASSERT_EQ(AlarmState, "Start");

  // The box waits in a loop of its own; this watcher runs inside it, looks, then answers it.
  std::string boxText, boxCaption;
  bool nestedRang = false, outerLoggedEarly = true;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QMessageBox* box = OpenBox();
    if (!box) return;
    boxText = box->text().toStdString();
    boxCaption = box->windowTitle().toStdString();
    if (!Logged(f, "闹钟响了，没有设定提醒事件．")) return;
    nestedRang = true;
    outerLoggedEarly = Logged(f, "闹钟响了，该起床了．");
    box->done(QMessageBox::Ok);
  });
  watcher.start(50);
  EXPECT_TRUE(RunUntil([&] { return Logged(f, "闹钟响了，该起床了．"); }, 6000));
  watcher.stop();
  EXPECT_EQ(boxText, "时间到了,该【起床】了");
  EXPECT_EQ(boxCaption, "闹铃");
  EXPECT_TRUE(nestedRang) << "the second record rings inside the open box";
  EXPECT_FALSE(outerLoggedEarly) << "the first record logs only when its box is closed";
  EXPECT_TRUE(f.Btn_StopNl->Enabled());
  EXPECT_EQ(f.TrayIcon1->Icons(), f.iglIcons);
  EXPECT_EQ(AlarmState, "Start") << "daily records keep the schedule running";
  f.Btn_Stop->Click();
}

// Ten thousand armed records on the real window and the real clock: the one due a few
// seconds from now rings in its own second, which the log line's stamp shows.
TEST_F(QtAlarmTest, ARecordAmongTenThousandRingsAtItsSecond) {
  TFrm_Tamiro& f = StartMainWindow();
  const TDateTime now = Now();
  const std::string quiet = FormatDateTime("HH:NN:SS", now + 0.5);
  const std::string due = FormatDateTime("HH:NN:SS", now + 3 / 86400.0);
  for (int i = 0; i < 10000; ++i) {
    TListItem* row = f.List_Tamiro->Add();
    row->SetCaption(i == 7000 ? due : quiet);
    row->SubItems.Assign({"每天都响", "", ""});
    row->SetChecked(true);
    ++RecordCount;
  }
  f.Btn_Start->Click();
  ASSERT_EQ(ActiveCount, 10000);
  const std::string rang = "闹钟响了，没有设定提醒事件．";
  ASSERT_TRUE(RunUntil([&] { return Logged(f, rang); }, 8000));
  std::string line;
  for (const std::string& l : f.Memo_Log->Lines.Items())
    if (l.find(rang) != std::string::npos) line = l;
  EXPECT_NE(line.find(" " + due + "] "), std::string::npos) << line << " should carry " << due;
  f.Btn_Stop->Click();
}

}  // namespace
