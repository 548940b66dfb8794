// A record: its four ring modes, its row in the record list, and its keys in the
// record-list files and the schedule file. Every writer and reader of a record goes
// through here, so the row's order and the keys' spelling live in one place.
#pragma once

#include <array>
#include <string>
#include <vector>

class TIniFile;
class TListItem;

// The ring modes, stored and compared as their literal texts.
namespace RingMode {
inline const std::string kOnce = "只响一次";
inline const std::string kEveryDay = "每天都响";
inline const std::string kWeekdays = "周一到五";
inline const std::string kWeekend = "周末";
}  // namespace RingMode

// The keys of a record's section, in both the record-list files and the schedule file.
namespace RecordKey {
// Files written by earlier versions and by us say "FDatetime", the readers ask for "FDateTime";
// look-up ignores case, so both meet, and the bytes written stay as they always were.
inline const std::string kTimeWritten = "FDatetime";
inline const std::string kTimeRead = "FDateTime";
inline const std::string kMode = "FNxfs";
inline const std::string kEvent = "FShijian";
inline const std::string kSound = "FNzls";
inline const std::string kChecked = "FChecked";  // record-list files only: "true" or "false"
}  // namespace RecordKey

struct AlarmRecord {
  std::string AlarmTime;  // "yyyy-mm-dd HH:NN:SS" once only, else "HH:NN:SS"
  std::string Mode;       // a RingMode literal
  std::string Event;      // reminder text, empty for none
  std::string Sound;      // path of the alarm sound
  bool Checked = false;   // armed at the next Start

  // A key and its value, as a section holds them.
  struct Field {
    const std::string& Key;
    const std::string& Value;
  };
  // The four keys every file holds, in the order they are written. The fields refer to this record,
  // so a temporary one has none.
  std::array<Field, 4> Fields() const&& = delete;
  std::array<Field, 4> Fields() const& {
    return {{{RecordKey::kTimeWritten, AlarmTime}, {RecordKey::kMode, Mode}, {RecordKey::kEvent, Event},
             {RecordKey::kSound, Sound}}};
  }

  // The row's caption and its sub-items (ring mode, event, sound); a missing sub-item reads as empty.
  static AlarmRecord FromRow(const TListItem& row);
  // Fills a fresh row: the caption, the three sub-items in order, then the tick.
  void ToRow(TListItem& row) const;

  // A section of a record-list file: a missing key reads as empty, and only "true" ticks the row.
  static AlarmRecord FromListSection(const TIniFile& file, const std::string& section);
  // The six lines of a record-list file's section "[index]": the four keys, then the tick.
  void AddListLines(std::vector<std::string>& lines, int index) const;
  // The four keys into a section of the schedule file, each reaching the file at once.
  void WriteScheduleSection(TIniFile& file, const std::string& section) const;
};
