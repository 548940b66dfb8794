// Reading a record out of its row.
#include "records/RingMode.h"

#include "platform/vcl/ListView.h"

AlarmRecord AlarmRecord::FromRow(const TListItem& row) {
  auto sub = [&](int index) { return index < row.SubItems.Count() ? row.SubItems[index] : std::string(); };
  return AlarmRecord{row.Caption(), sub(0), sub(1), sub(2), row.Checked()};
}
