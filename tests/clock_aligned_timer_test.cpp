// Timers on the virtual clock: a clock-aligned timer fires at each whole second and follows
// the clock when it is set; any other timer counts elapsed time, whatever the clock says.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/headless/HeadlessBackend.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Timer.h"

namespace {

// A moment as milliseconds of the virtual clock: 2026-03-02 (plus days) at that time of day.
int64_t Ms(int hour, int minute, int second, int ms = 0, int days = 0) {
  return std::llround((EncodeDate(2026, 3, 2 + days) + EncodeTime(hour, minute, second, ms)) * kMsPerDay);
}
TDateTime Moment(int64_t ms) { return static_cast<double>(ms) / kMsPerDay; }

class ClockAlignedTimerTest : public ::testing::Test {
 protected:
  HeadlessBackend ui{Moment(Ms(8, 0, 0))};
  TApplication app{ui};
  TForm form{"Form1", "TForm1"};
  void SetUp() override { app.MainForm = &form; }

  // A timer that notes the clock at each of its fires.
  TTimer* Recording(const char* name, std::vector<int64_t>& fires) {
    auto* timer = new TTimer(&form, name);
    timer->OnTimer = [this, &fires](TObject*) { fires.push_back(ui.NowMs()); };
    return timer;
  }
  static std::vector<int64_t> Every(int64_t first, int64_t step, int count) {
    std::vector<int64_t> moments;
    for (int i = 0; i < count; ++i) moments.push_back(first + i * step);
    return moments;
  }
};

// Whatever moment of a second it starts in, and whatever its interval, an aligned timer
// fires at the start of each second: an hour of them, none skipped, none twice.
TEST_F(ClockAlignedTimerTest, FiresAtEveryWholeSecondFromAnyStart) {
  struct Case {
    const char* name;
    int startMs;  // into the second 08:00:00
    int interval;
  } cases[] = {
      {"started on a whole second", 0, 1000}, {"started just after one", 1, 1000},
      {"started mid-second", 250, 1000},      {"started just before the next", 999, 1000},
      {"a shorter interval", 400, 300},       {"a longer interval", 600, 2500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.SetNow(Moment(Ms(8, 0, 0, c.startMs)));
    std::vector<int64_t> fires;
    TTimer* timer = Recording("Aligned", fires);
    timer->SetClockAligned(true);
    timer->SetInterval(c.interval);
    ui.Advance(3600 * 1000);
    EXPECT_EQ(fires, Every(Ms(8, 0, 1), 1000, 3600));
    delete timer;
  }
}

// Made aligned while running, a timer aims at the next second at once; made plain again, it
// counts a whole interval from that moment.
TEST_F(ClockAlignedTimerTest, ChangingTheKindWhileRunningStartsAnew) {
  ui.SetNow(Moment(Ms(8, 0, 0, 250)));
  std::vector<int64_t> fires;
  TTimer* timer = Recording("Timer", fires);
  timer->SetInterval(1000);
  ui.Advance(500);
  timer->SetClockAligned(true);
  ui.Advance(2000);  // to 08:00:02.750
  EXPECT_EQ(fires, (std::vector<int64_t>{Ms(8, 0, 1), Ms(8, 0, 2)}));
  fires.clear();
  timer->SetClockAligned(false);
  ui.Advance(2000);
  EXPECT_EQ(fires, (std::vector<int64_t>{Ms(8, 0, 3, 750), Ms(8, 0, 4, 750)}));
}

// A clock set forward or back: the aligned timer fires at the next whole second of the new
// time (not at the moment of the change), the plain one keeps what it had left of its period.
TEST_F(ClockAlignedTimerTest, AClockSetForwardOrBackIsFollowedAtTheNextSecond) {
  struct Case {
    const char* name;
    int64_t setTo;
    int64_t firstAligned;
  } cases[] = {
      {"forward within the day", Ms(9, 30, 10, 600), Ms(9, 30, 11)},
      {"forward to a whole second", Ms(0, 0, 0, 0, 1), Ms(0, 0, 1, 0, 1)},
      {"back by minutes", Ms(7, 59, 40, 100), Ms(7, 59, 41)},
      {"back within the second just fired", Ms(8, 0, 1, 100), Ms(8, 0, 2)},
      {"back into the second before", Ms(8, 0, 0, 999), Ms(8, 0, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.SetNow(Moment(Ms(8, 0, 0, 250)));
    std::vector<int64_t> aligned, plain;
    TTimer* second = Recording("Second", aligned);
    second->SetClockAligned(true);
    second->SetInterval(1000);
    TTimer* period = Recording("Period", plain);
    period->SetInterval(700);
    ui.Advance(1000);  // to 08:00:01.250: fired at 08:00:01 and 08:00:00.950, 400 ms left of the period
    ASSERT_EQ(aligned, std::vector<int64_t>{Ms(8, 0, 1)});
    ASSERT_EQ(plain, std::vector<int64_t>{Ms(8, 0, 0, 950)});
    aligned.clear(), plain.clear();

    ui.SetNow(Moment(c.setTo));
    ui.Advance(3000);
    EXPECT_EQ(aligned, Every(c.firstAligned, 1000, 3));
    EXPECT_EQ(plain, Every(c.setTo + 400, 700, 4));
    delete second;
    delete period;
  }
}

}  // namespace
