// The window timers on Qt: one fresh single-shot per period, so a handler that waits in a
// modal box sees its own timer fire again inside the box.
//
// A 1000 ms timer keeps to the system clock's seconds: it fires a little after each whole
// second, once per second, and follows when the clock is set. Other intervals simply re-arm.
#pragma once

#include <QObject>
#include <QtGlobal>
#include <unordered_map>

class QTimer;
class TTimer;

class QtTimers {
 public:
  // How far past the whole second a 1000 ms timer fires.
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
    qint64 dueWallMs = 0;     // for the clock-bound kind: the moment aimed at
  };
  void Arm(TTimer* timer, Entry& entry);
  void ArmIn(TTimer* timer, Entry& entry, int delayMs);
  void Disarm(Entry& entry);
  void Fired(TTimer* timer, QTimer* shot);

  std::unordered_map<TTimer*, Entry> entries_;
  QObject owner_;
};
