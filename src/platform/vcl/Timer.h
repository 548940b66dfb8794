// Window timers: fire every Interval milliseconds on the user-interface thread while Interval > 0.
#pragma once

#include "platform/vcl/Component.h"

class TTimer : public TComponent {
 public:
  TTimer(TComponent* owner, std::string name, int interval = 0);
  ~TTimer() override;
  int Interval() const { return interval_; }
  // 0 stops it; a new interval restarts the period, the same interval keeps it.
  void SetInterval(int interval);
  TNotifyEvent OnTimer;
  // Called by the backend when the period has passed. Errors are reported.
  void Fire();

 private:
  int interval_ = 0;
};
