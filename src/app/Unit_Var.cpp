// The shared globals.
#include "app/Unit_Var.h"

std::string LogLine;
TDateTime LogDay = 0;
int RecordCount = 0;
std::string NewRingMode;
std::string NewAlarmTime;
std::string AlarmState;
int ActiveCount = 0;
std::string RingSource;
int EndHitCount = 0;
std::string PlayPositionText;
std::string StreamDurationText;

void ResetUnitVar() {
  LogLine.clear();
  LogDay = 0;
  RecordCount = 0;
  NewRingMode.clear();
  NewAlarmTime.clear();
  AlarmState.clear();
  ActiveCount = 0;
  RingSource.clear();
  EndHitCount = 0;
  PlayPositionText.clear();
  StreamDurationText.clear();
}
