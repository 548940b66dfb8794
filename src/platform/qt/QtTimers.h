// The window timers on Qt: one fresh single-shot per period, so a handler that waits in a
// modal box sees its own timer fire again inside the box.
//
// A clock-aligned timer aims each shot a little after the system clock's next whole second.
// A shot that comes a little early (timer slack) waits out the rest; any other fires and aims
// at the second after the clock's present reading, which is how a clock set forward or back
// is followed. Other timers simply re-arm at their interval.
#pragma once

#include <QObject>
#include <QtGlobal>
#include <unordered_map>

class QTimer;
class TTimer;

class QtTimers {
 public:
  // How far past the whole second a clock-aligned timer aims: room for the system's timer slack.
  static constexpr int kSecondOffsetMs = 25;

  QtTimers() = default;
  ~QtTimers();
  QtTimers(const QtTimers&) = delete;
  QtTimers& operator=(const QtTimers&) = delete;

  // Starts at the timer's interval (a new period), or stops at 0.
  void Changed(TTimer& timer);
  // Forgets the timer: nothing of it fires any more.
  void Destroyed(TTimer& timer);

 private:
  struct Entry {
    QTimer* armed = nullptr;  // the single-shot that is waiting, if any
    qint64 dueWallMs = 0;     // for a clock-aligned timer: the moment aimed at
  };
  void Arm(TTimer* timer, Entry& entry);
  void ArmIn(TTimer* timer, Entry& entry, int delayMs);
  void Disarm(Entry& entry);
  void Fired(TTimer* timer, QTimer* shot);

  std::unordered_map<TTimer*, Entry> entries_;
  QObject owner_;
};
