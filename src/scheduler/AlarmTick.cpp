// The alarm tick: every second the schedule file is read back and each armed
// record whose second has come rings by its ring mode.
#include <cmath>
#include <filesystem>

#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "platform/rtl/Text.h"
#include "records/AlarmRecord.h"

namespace {

bool IsOneOf(const std::string& text, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (text == name) return true;
  return false;
}

// Whether the record's mode lets it ring today. Unknown modes never ring.
bool ModeAllowsToday(const std::string& mode) {
  if (mode == RingMode::kOnce || mode == RingMode::kEveryDay) return true;
  std::string day = FormatDateTime("dddd", Date());
  if (mode == RingMode::kWeekdays) return IsOneOf(day, {"星期一", "星期二", "星期三", "星期四", "星期五"});
  if (mode == RingMode::kWeekend) return IsOneOf(day, {"星期六", "星期日"});
  return false;
}

long long WholeSecondsOf(TDateTime value) { return std::llround(value * 86400.0); }

// The file as it stands: any write changes its size or its time.
std::string FileMark(const std::string& path) {
  std::error_code error;
  auto size = std::filesystem::file_size(path, error);
  auto time = std::filesystem::last_write_time(path, error).time_since_epoch().count();
  return std::to_string(size) + "|" + std::to_string(time) + "|";
}

}  // namespace

void TFrm_Tamiro::Time_NzTimer(TObject*) {
  if (!ScheduleIni) return;
  // The file is checked once per tick; changes from outside show at the next one.
  TIniFile::ReadPass pass(*ScheduleIni);
  std::vector<std::string> sections;
  try {
    sections = ScheduleIni->ReadSections();
  } catch (const EConvertError& error) {
    // Reported once, before the box opens (the ticks inside it find it reported), and
    // again only when the file has changed and is still bad.
    std::string mark = FileMark(ScheduleIni->FileName()) + error.what();
    if (mark != reportedBadSchedule_) {
      reportedBadSchedule_ = std::move(mark);
      Application->ShowException(error);
    }
    return;
  }
  reportedBadSchedule_.clear();  // readable: should it break again, that is news
  List_Box->Items.Assign(std::move(sections));
  const int count = List_Box->Items.Count();
  for (int i = 0; i < count; ++i) {
    // A tick nested inside a reminder box may have re-read a shorter list.
    if (i >= List_Box->Items.Count()) break;
    const std::string section = List_Box->Items[i];
    const std::string mode = ScheduleIni->ReadString(section, RecordKey::kMode);
    if (!ModeAllowsToday(mode)) continue;
    const bool once = mode == RingMode::kOnce;

    TDateTime now = Now();
    TDateTime current = StrToDateTime(once ? TimeStamp(now) : FormatDateTime("HH:NN:SS", now));
    const std::string timeText = ScheduleIni->ReadString(section, RecordKey::kTimeRead);
    TDateTime alarm;
    try {
      alarm = StrToDateTime(timeText);
    } catch (const EConvertError& error) {
      // Reported once per text; the other records go on ringing.
      auto [it, fresh] = reportedBadTimes_.try_emplace(section, timeText);
      if (fresh || it->second != timeText) {
        it->second = timeText;
        Application->ShowException(error);
      }
      continue;
    }
    if (!reportedBadTimes_.empty()) reportedBadTimes_.erase(section);  // mended: report it again should it break
    if (WholeSecondsOf(alarm) != WholeSecondsOf(current)) continue;
    // Read only for the record that rings.
    const std::string event = ScheduleIni->ReadString(section, RecordKey::kEvent);
    const std::string sound = ScheduleIni->ReadString(section, RecordKey::kSound);

    StartRinging(sound, kRingSourceAlarm);
    if (once) {
      long long row = -1;
      if (TryStrToInt(section, row) && row >= 0 && row < List_Tamiro->Count())
        List_Tamiro->Item(static_cast<int>(row))->SetChecked(false);
      --ActiveCount;
    }
    if (!event.empty()) {
      Application->MessageBox(this, "时间到了,该【" + event + "】了", "闹铃", MB_OK | MB_ICONINFORMATION);
      AppendLogLine("闹钟响了，该" + event + "了．", LogVariant::AppendOnly);
    } else {
      AppendLogLine("闹钟响了，没有设定提醒事件．", LogVariant::AppendOnly);
    }
    if (once && ActiveCount == 0) {
      Btn_Stop->Click();
      AppendLogLine("列表中选中的记录已经提醒完毕（您设置的全是只响一次），闹钟终止．", LogVariant::AppendOnly);
    }
  }
}
