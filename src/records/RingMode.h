// The ring modes, stored and compared as their literal texts.
#pragma once

#include <string>

class TListItem;

namespace RingMode {
inline const std::string kOnce = "只响一次";
inline const std::string kEveryDay = "每天都响";
inline const std::string kWeekdays = "周一到五";
inline const std::string kWeekend = "周末";
}  // namespace RingMode

// One row of the record list, as the schedule and the list files read it.
struct AlarmRecord {
  std::string AlarmTime;  // "yyyy-mm-dd HH:NN:SS" once only, else "HH:NN:SS"
  std::string Mode;       // a RingMode literal
  std::string Event;      // reminder text, empty for none
  std::string Sound;      // path of the alarm sound
  bool Checked = false;   // armed at the next Start

  static AlarmRecord FromRow(const TListItem& row);
};
