// Window timers: fire every Interval milliseconds on the user-interface thread while Interval > 0,
// or, when clock-aligned, once in each second of the wall clock.
#pragma once

#include "platform/vcl/Component.h"

class TTimer : public TComponent {
 public:
  TTimer(TComponent* owner, std::string name, int interval = 0);
  ~TTimer() override;
  int Interval() const { return interval_; }
  // 0 stops it; a new interval restarts the period, the same interval keeps it.
  void SetInterval(int interval);

  // A clock-aligned timer keeps to the wall clock's whole seconds rather than counting its
  // interval: it fires once in each second, just after the second begins, never skipping a
  // second or hitting one twice while the program keeps up. When the clock is set forward or
  // back it follows by the next second and keeps to the whole seconds of the new time (a second
  // the clock is set back over comes again). Its interval only starts (above 0) and stops (0)
  // it: whatever the interval, it fires each second, so give it 1000 to read true.
  bool ClockAligned() const { return clockAligned_; }
  // A running timer starts anew, as with a new interval.
  void SetClockAligned(bool aligned);

  TNotifyEvent OnTimer;
  // Called by the backend when the period has passed. Errors are reported.
  void Fire();

 private:
  void Changed();
  int interval_ = 0;
  bool clockAligned_ = false;
};
