// State shared by the subsystems, living as long as the process.
#pragma once

#include <string>

#include "platform/rtl/DateTime.h"

// Activity log: the line composed last, and the day the next day change is tested against.
extern std::string LogLine;
extern TDateTime LogDay;

// Record list: the row count (also the index of the next row), and the record being added.
extern int RecordCount;
extern std::string NewRingMode;
extern std::string NewAlarmTime;

// Schedule: "" before the first Start, then "Start" or "Stop"; records armed by the last Start.
extern std::string AlarmState;
extern int ActiveCount;

// Ringing (sound/Ringing.cpp): whose sound is in the player, which picks the stop action
// the watcher runs; watcher hits; the last position and length the player reported, as hh:mm:ss.
extern std::string RingSource;
extern int EndHitCount;
extern std::string PlayPositionText;
extern std::string StreamDurationText;
// RingSource's values: an alarm or the alarm sound's preview; the hourly chime or the chime sound's preview.
inline const std::string kRingSourceAlarm = "Nzls";
inline const std::string kRingSourceChime = "Zdls";

// Back to the values of a fresh process (each test starts as one).
void ResetUnitVar();
