// Window timers on the Qt message loop: they go on firing inside a modal box, the handler
// that opened the box included, and a clock-aligned timer keeps to the clock's seconds.
#include <QAbstractButton>
#include <QDateTime>
#include <QMessageBox>
#include <QTimer>
#include <thread>

#include "QtFixture.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Timer.h"

namespace {

struct TimerForm : TForm {
  TimerForm() : TForm("Frm_Timers", "TFrm_Timers") { SetClientSize(200, 100); }
};

}  // namespace

class QtTimersTest : public QtTest {};

TEST_F(QtTimersTest, TimersFireInsideABoxOpenedByTheirOwnHandler) {
  TimerForm& form = Show(new TimerForm());
  auto* own = new TTimer(&form, "own");
  auto* other = new TTimer(&form, "other");
  int ownFires = 0, otherFires = 0, ownDuringBox = -1, otherDuringBox = -1;
  bool boxOpen = false;
  own->OnTimer = [&](TObject*) {
    if (++ownFires != 1) return;
    // The box is closed from outside, as a user would, after a while.
    QTimer::singleShot(300, [] {
      if (QMessageBox* box = OpenBox()) box->button(QMessageBox::Ok)->click();
    });
    boxOpen = true;
    int fromOwn = ownFires, fromOther = otherFires;
    EXPECT_EQ(Application->MessageBox(&form, "提醒", "闹钟", MB_OK | MB_ICONINFORMATION), IDOK);
    boxOpen = false;
    ownDuringBox = ownFires - fromOwn;
    otherDuringBox = otherFires - fromOther;
  };
  other->OnTimer = [&](TObject*) { ++otherFires; };
  own->SetInterval(50);
  other->SetInterval(70);
  ASSERT_TRUE(RunUntil([&] { return ownDuringBox >= 0; }, 5000)) << "the box was never closed";
  EXPECT_FALSE(boxOpen);
  EXPECT_GE(ownDuringBox, 3) << "about six periods of 50 ms pass while the box is open";
  EXPECT_GE(otherDuringBox, 2);

  // Stopped and destroyed timers fire no more.
  own->SetInterval(0);
  int ownAfterStop = ownFires;
  delete other;
  int otherAfterDelete = otherFires;
  RunFor(200);
  EXPECT_EQ(ownFires, ownAfterStop);
  EXPECT_EQ(otherFires, otherAfterDelete);
}

// A busy machine can hold the loop up past a second, so a late fire is not a
// fault here; hitting one second twice, or never aiming at the start, is.
TEST_F(QtTimersTest, AClockAlignedTimerFiresEarlyInEveryWallClockSecond) {
  TimerForm& form = Show(new TimerForm());
  auto* clock = new TTimer(&form, "clock");
  std::vector<qint64> fires;
  clock->OnTimer = [&](TObject*) { fires.push_back(QDateTime::currentMSecsSinceEpoch()); };
  clock->SetClockAligned(true);
  clock->SetInterval(1000);
  RunUntil([&] { return fires.size() >= 4; }, 10000);
  clock->SetInterval(0);
  ASSERT_GE(fires.size(), 3u);
  int early = 0;
  for (size_t i = 0; i < fires.size(); ++i) {
    SCOPED_TRACE(i);
    early += fires[i] % 1000 < 100;
    if (i > 0) {
      EXPECT_GT(fires[i] / 1000, fires[i - 1] / 1000) << "a second hit twice";
    }
  }
  EXPECT_GE(early, 1) << "fires aim at the start of a second";
}

TEST_F(QtTimersTest, WorkPostedFromAnotherThreadRunsLaterOnTheInterfaceThread) {
  std::thread::id ranOn;
  bool done = false;
  std::thread poster([&] { Ui().Post([&] { ranOn = std::this_thread::get_id(), done = true; }); });
  poster.join();
  EXPECT_FALSE(done) << "not inside Post";
  ASSERT_TRUE(RunUntil([&] { return done; }, 2000));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}
