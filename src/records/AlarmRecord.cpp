// Reading and writing a record: its row in the list, its record-list file section, its schedule section.
#include "records/AlarmRecord.h"

#include "platform/rtl/IniFile.h"
#include "platform/rtl/Text.h"
#include "platform/vcl/ListView.h"

AlarmRecord AlarmRecord::FromRow(const TListItem& row) {
  auto sub = [&](int index) { return index < row.SubItems.Count() ? row.SubItems[index] : std::string(); };
  return AlarmRecord{row.Caption(), sub(0), sub(1), sub(2), row.Checked()};
}

void AlarmRecord::ToRow(TListItem& row) const {
  row.SetCaption(AlarmTime);
  row.SubItems.Add(Mode);
  row.SubItems.Add(Event);
  row.SubItems.Add(Sound);
  row.SetChecked(Checked);
}

AlarmRecord AlarmRecord::FromListSection(const TIniFile& file, const std::string& section) {
  AlarmRecord record;
  record.AlarmTime = file.ReadString(section, RecordKey::kTimeRead);
  record.Mode = file.ReadString(section, RecordKey::kMode);
  record.Event = file.ReadString(section, RecordKey::kEvent);
  record.Sound = file.ReadString(section, RecordKey::kSound);
  record.Checked = file.ReadString(section, RecordKey::kChecked) == "true";
  return record;
}

void AlarmRecord::AddListLines(std::vector<std::string>& lines, int index) const {
  lines.push_back("[" + IntToStr(index) + "]");
  for (const Field& field : Fields()) lines.push_back(field.Key + "=" + field.Value);
  lines.push_back(RecordKey::kChecked + (Checked ? "=true" : "=false"));
}

void AlarmRecord::WriteScheduleSection(TIniFile& file, const std::string& section) const {
  for (const Field& field : Fields()) file.WriteString(section, field.Key, field.Value);
}
