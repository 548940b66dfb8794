// Window timers: the backend measures the period, the timer runs the handler.
#include "platform/vcl/Timer.h"

#include "platform/vcl/Forms.h"

TTimer::TTimer(TComponent* owner, std::string name, int interval) : TComponent(owner, std::move(name)) {
  SetInterval(interval);
}

TTimer::~TTimer() {
  if (Application) Application->GetBackend().TimerDestroyed(*this);
}

void TTimer::SetInterval(int interval) {
  if (interval < 0) interval = 0;
  if (interval == interval_) return;
  interval_ = interval;
  Changed();
}

void TTimer::SetClockAligned(bool aligned) {
  if (aligned == clockAligned_) return;
  clockAligned_ = aligned;
  Changed();
}

void TTimer::Changed() {
  if (Application) Application->GetBackend().TimerChanged(*this);
}

void TTimer::Fire() {
  if (interval_ <= 0 || !OnTimer) return;
  Application->Guard([this] { OnTimer(this); });
}
