// Window timers as chains of precise single-shot Qt timers.
#include "platform/qt/QtTimers.h"

#include <QDateTime>
#include <QTimer>

#include "platform/vcl/Timer.h"

namespace {
// A shot this much before its second is early (timer slack), not a clock set back.
constexpr qint64 kEarlyToleranceMs = 200;

qint64 WallMs() { return QDateTime::currentMSecsSinceEpoch(); }
}  // namespace

QtTimers::~QtTimers() {
  for (auto& [timer, entry] : entries_) Disarm(entry);
}

void QtTimers::Changed(TTimer& timer) {
  if (timer.Interval() <= 0) {
    Destroyed(timer);
    return;
  }
  Entry& entry = entries_[&timer];
  Disarm(entry);
  Arm(&timer, entry);
}

void QtTimers::Destroyed(TTimer& timer) {
  auto it = entries_.find(&timer);
  if (it == entries_.end()) return;
  Disarm(it->second);
  entries_.erase(it);
}

void QtTimers::Disarm(Entry& entry) {
  // Never the shot whose signal is running: that one was taken out in Fired.
  delete entry.armed;
  entry.armed = nullptr;
}

void QtTimers::Arm(TTimer* timer, Entry& entry) {
  if (!timer->ClockAligned()) {
    ArmIn(timer, entry, timer->Interval());
    return;
  }
  qint64 now = WallMs();
  entry.dueWallMs = (now / 1000 + 1) * 1000 + kSecondOffsetMs;
  ArmIn(timer, entry, static_cast<int>(entry.dueWallMs - now));
}

void QtTimers::ArmIn(TTimer* timer, Entry& entry, int delayMs) {
  auto* shot = new QTimer(&owner_);
  shot->setSingleShot(true);
  shot->setTimerType(Qt::PreciseTimer);
  QObject::connect(shot, &QTimer::timeout, &owner_, [this, timer, shot] { Fired(timer, shot); });
  entry.armed = shot;
  shot->start(delayMs);
}

void QtTimers::Fired(TTimer* timer, QTimer* shot) {
  shot->deleteLater();
  auto it = entries_.find(timer);
  if (it == entries_.end() || it->second.armed != shot) return;  // stopped or destroyed meanwhile
  Entry& entry = it->second;
  entry.armed = nullptr;
  if (timer->ClockAligned()) {
    qint64 early = entry.dueWallMs - WallMs();
    if (early > 0 && early <= kEarlyToleranceMs) {  // not yet in the second aimed at
      ArmIn(timer, entry, static_cast<int>(early));
      return;
    }
  }
  // The next period is armed before the handler runs: the handler may open a modal box.
  Arm(timer, entry);
  timer->Fire();
}
