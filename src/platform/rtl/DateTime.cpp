// Date-time values: encoding, decoding, formatting and reading back.
#include "platform/rtl/DateTime.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Text.h"

namespace {

constexpr long long kMsPerDayInt = 86400000;
// TDateTime of 1970-01-01, the day the civil-calendar arithmetic counts from.
constexpr long long kUnixEpochDay = 25569;

// Whole days and milliseconds of the day. The milliseconds are rounded, and a
// fraction that rounds up to a whole day moves to the next day, so the date
// and the time of one value always agree.
struct DayAndMs {
  long long day;
  long long ms;
};

DayAndMs Split(TDateTime value) {
  double day = std::floor(value);
  long long ms = std::llround((value - day) * kMsPerDay);
  auto whole = static_cast<long long>(day);
  if (ms >= kMsPerDayInt) {
    ++whole;
    ms -= kMsPerDayInt;
  }
  return {whole, ms};
}

// Proleptic Gregorian calendar, days counted from 1970-01-01.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool ValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Walks a format once the value is decoded; nested formats (c, ddddd, t, tt)
// recurse, to a small depth so a format naming itself cannot loop.
class Formatter {
 public:
  Formatter(const TFormatSettings& settings, TDateTime value) : fs_(settings) {
    DayAndMs parts = Split(value);
    CivilFromDays(parts.day - kUnixEpochDay, year_, month_, day_);
    dayOfWeek_ = DayOfWeek(value);
    hasTime_ = parts.ms != 0;
    long long ms = parts.ms;
    hour_ = static_cast<int>(ms / 3600000);
    minute_ = static_cast<int>(ms / 60000 % 60);
    second_ = static_cast<int>(ms / 1000 % 60);
    millisecond_ = static_cast<int>(ms % 1000);
  }

  void Append(std::string_view format, int depth) {
    if (depth > 3) return;
    char lastToken = 0;
    std::size_t i = 0;
    while (i < format.size()) {
      const char c = format[i];
      if (c == '"' || c == '\'') {
        std::size_t close = format.find(c, i + 1);
        if (close == std::string_view::npos) close = format.size();
        out_.append(format.substr(i + 1, close - i - 1));
        i = close + 1;
        continue;
      }
      if (!IsLetter(c)) {
        out_ += c == '/' ? fs_.DateSeparator : c == ':' ? fs_.TimeSeparator : c;
        ++i;
        continue;
      }
      std::size_t count = 1;
      while (i + count < format.size() && Upper(format[i + count]) == Upper(c)) ++count;
      char token = Upper(c);
      // An hour followed by m means minutes, even across separators.
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
      AppendToken(token, count, format.substr(i, count), depth);
      i += count;
    }
  }

  std::string Result() && { return std::move(out_); }

 private:
  void Number(int value, int digits) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < digits) out_.append(digits - text.size(), '0');
    out_ += text;
  }

  void AppendToken(char token, std::size_t count, std::string_view letters, int depth) {
    switch (token) {
      case 'Y':
        if (count <= 2) Number(year_ % 100, 2);
        else Number(year_, 4);
        break;
      case 'M':
        if (count == 1) Number(month_, 1);
        else if (count == 2) Number(month_, 2);
        else if (count == 3) out_ += fs_.ShortMonthNames[month_ - 1];
        else out_ += fs_.LongMonthNames[month_ - 1];
        break;
      case 'D':
        if (count == 1) Number(day_, 1);
        else if (count == 2) Number(day_, 2);
        else if (count == 3) out_ += fs_.ShortDayNames[dayOfWeek_ - 1];
        else if (count == 4) out_ += fs_.LongDayNames[dayOfWeek_ - 1];
        else if (count == 5) Append(fs_.ShortDateFormat, depth + 1);
        else Append(fs_.LongDateFormat, depth + 1);
        break;
      case 'H': Number(hour_, count == 1 ? 1 : 2); break;
      case 'N': Number(minute_, count == 1 ? 1 : 2); break;
      case 'S': Number(second_, count == 1 ? 1 : 2); break;
      case 'Z': Number(millisecond_, count == 1 ? 1 : 3); break;
      case 'T': Append(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1); break;
      case 'C':
        Append(fs_.ShortDateFormat, depth + 1);
        if (hasTime_) {
          out_ += ' ';
          Append(fs_.LongTimeFormat, depth + 1);
        }
        break;
      default: out_.append(letters); break;
    }
  }

  const TFormatSettings& fs_;
  int year_ = 0, month_ = 0, day_ = 0, dayOfWeek_ = 0;
  int hour_ = 0, minute_ = 0, second_ = 0, millisecond_ = 0;
  bool hasTime_ = false;
  std::string out_;
};

// Reads numbers and separators from a text; every Try leaves the position
// undefined on failure, so callers restart from a saved position.
struct Scanner {
  std::string_view text;
  std::size_t pos = 0;

  void SkipBlanks() {
    while (pos < text.size() && text[pos] == ' ') ++pos;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos == text.size();
  }
  bool Char(char c) {
    if (pos < text.size() && text[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  bool Number(std::size_t minDigits, std::size_t maxDigits, int& value) {
    std::size_t start = pos;
    value = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
      value = value * 10 + (text[pos++] - '0');
    std::size_t digits = pos - start;
    // A longer run of digits than the field allows is no match either.
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') return false;
    return digits >= minDigits;
  }
};

// The order of year, month and day in the short date format ("YMD", "MDY" ...).
std::string DateOrder(const std::string& shortDateFormat) {
  std::string order;
  bool quoted = false;
  char quote = 0;
  for (char c : shortDateFormat) {
    if (quoted) {
      quoted = c != quote;
      continue;
    }
    if (c == '"' || c == '\'') {
      quoted = true;
      quote = c;
      continue;
    }
    char u = Upper(c);
    if ((u == 'Y' || u == 'M' || u == 'D') && order.find(u) == std::string::npos) order += u;
  }
  for (char u : {'Y', 'M', 'D'})
    if (order.find(u) == std::string::npos) order += u;
  return order;
}

bool TryScanDate(Scanner& s, TDateTime& value) {
  const TFormatSettings& fs = FormatSettings();
  std::string order = DateOrder(fs.ShortDateFormat);
  int year = 0, month = 0, day = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && !s.Char(fs.DateSeparator)) return false;
    bool ok = order[i] == 'Y'   ? s.Number(4, 4, year)
              : order[i] == 'M' ? s.Number(1, 2, month)
                                : s.Number(1, 2, day);
    if (!ok) return false;
  }
  if (!ValidDate(year, month, day)) return false;
  value = EncodeDate(year, month, day);
  return true;
}

bool TryScanTime(Scanner& s, TDateTime& value) {
  const char separator = FormatSettings().TimeSeparator;
  int hour = 0, minute = 0, second = 0;
  if (!s.Number(1, 2, hour) || !s.Char(separator) || !s.Number(1, 2, minute)) return false;
  if (s.Char(separator) && !s.Number(1, 2, second)) return false;
  if (!ValidTime(hour, minute, second, 0)) return false;
  value = EncodeTime(hour, minute, second);
  return true;
}

[[noreturn]] void Invalid(std::string_view text, const char* what) {
  throw EConvertError("'" + std::string(text) + "' is not a valid " + what);
}

}  // namespace

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

void ResetFormatSettings() { FormatSettings() = TFormatSettings(); }

TDateTime EncodeDate(int year, int month, int day) {
  if (!ValidDate(year, month, day)) throw EConvertError("Invalid argument to date encode");
  return static_cast<TDateTime>(DaysFromCivil(year, static_cast<unsigned>(month),
                                              static_cast<unsigned>(day)) +
                                kUnixEpochDay);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (!ValidTime(hour, minute, second, millisecond))
    throw EConvertError("Invalid argument to time encode");
  long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(ms) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  CivilFromDays(Split(value).day - kUnixEpochDay, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  long long ms = Split(value).ms;
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime value) {
  // Day 0, 30 December 1899, was a Saturday.
  long long day = Split(value).day;
  return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
}

TDateTime DateOf(TDateTime value) { return static_cast<TDateTime>(Split(value).day); }

TDateTime TimeOf(TDateTime value) { return static_cast<double>(Split(value).ms) / kMsPerDay; }

TDateTime WholeSeconds(TDateTime value) {
  DayAndMs parts = Split(value);
  return static_cast<TDateTime>(parts.day) + static_cast<double>(parts.ms / 1000 * 1000) / kMsPerDay;
}

std::string FormatDateTime(std::string_view format, TDateTime value) {
  Formatter formatter(FormatSettings(), value);
  formatter.Append(format.empty() ? std::string_view("c") : format, 0);
  return std::move(formatter).Result();
}

std::string DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
std::string TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }
std::string TimeStamp(TDateTime value) { return FormatDateTime("yyyy-mm-dd HH:NN:SS", value); }

TDateTime StrToDate(std::string_view text) {
  Scanner s{text};
  TDateTime value = 0;
  s.SkipBlanks();
  if (!TryScanDate(s, value) || !s.AtEnd()) Invalid(text, "date");
  return value;
}

TDateTime StrToTime(std::string_view text) {
  Scanner s{text};
  TDateTime value = 0;
  s.SkipBlanks();
  if (!TryScanTime(s, value) || !s.AtEnd()) Invalid(text, "time");
  return value;
}

TDateTime StrToDateTime(std::string_view text) {
  Scanner s{text};
  s.SkipBlanks();
  const std::size_t start = s.pos;
  TDateTime date = 0;
  if (TryScanDate(s, date)) {
    const std::size_t afterDate = s.pos;
    if (s.AtEnd()) return date;
    // The time must stand apart from the date by at least one blank.
    TDateTime time = 0;
    if (s.pos > afterDate && TryScanTime(s, time) && s.AtEnd()) return date + time;
    Invalid(text, "date and time");
  }
  s.pos = start;
  TDateTime time = 0;
  if (TryScanTime(s, time) && s.AtEnd()) return time;
  Invalid(text, "date and time");
}

TDateTime SystemClockNow() {
  timespec wall{}, steady{};
  clock_gettime(CLOCK_REALTIME, &wall);
  clock_gettime(CLOCK_MONOTONIC, &steady);
  // localtime_r keeps the rules it has; tzset() checks the zone file (or TZ) for a change.
  // The steady clock paces that check, so setting the wall clock cannot stall it.
  const long long steadyMs = steady.tv_sec * 1000LL + steady.tv_nsec / 1000000;
  thread_local long long zoneCheckedAtMs = 0;
  thread_local bool zoneChecked = false;
  if (!zoneChecked || steadyMs - zoneCheckedAtMs >= 1000 || steadyMs < zoneCheckedAtMs) {
    tzset();
    zoneChecked = true;
    zoneCheckedAtMs = steadyMs;
  }
  tm local{};
  if (!localtime_r(&wall.tv_sec, &local)) return kUnixEpochDay + static_cast<double>(wall.tv_sec) / 86400.0;
  // A leap second shows as the last second of its minute.
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(wall.tv_nsec / 1000000));
}
