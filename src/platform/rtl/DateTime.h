// The date-time value (days since 30 December 1899, the time of day as the
// fraction) and its formatting and parsing under the process's conventions.
#pragma once

#include <array>
#include <string>
#include <string_view>

using TDateTime = double;

// The date and time conventions of the desk. Fixed on Linux to what a Chinese
// desk has; tests change them to try other conventions.
struct TFormatSettings {
  std::string ShortDateFormat = "yyyy-M-d";
  std::string LongTimeFormat = "H:mm:ss";
  std::string ShortTimeFormat = "H:mm";
  std::string LongDateFormat = "yyyy'年'M'月'd'日'";
  char DateSeparator = '-';
  char TimeSeparator = ':';
  // Sunday first.
  std::array<std::string, 7> LongDayNames{"星期日", "星期一", "星期二", "星期三",
                                          "星期四", "星期五", "星期六"};
  std::array<std::string, 7> ShortDayNames{"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  // January first.
  std::array<std::string, 12> ShortMonthNames{"一月", "二月", "三月", "四月", "五月", "六月",
                                              "七月", "八月", "九月", "十月", "十一月", "十二月"};
  std::array<std::string, 12> LongMonthNames = ShortMonthNames;
};

TFormatSettings& FormatSettings();
void ResetFormatSettings();

constexpr double kMsPerDay = 86400000.0;

// Throw EConvertError for fields out of range. Decoding (and everything built
// on it) rounds to the nearest millisecond, carrying into the day, so
// 23:59:59.9995 is read as the next midnight.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// 1 = Sunday … 7 = Saturday.
int DayOfWeek(TDateTime value);
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// Drops the milliseconds.
TDateTime WholeSeconds(TDateTime value);

// The system's wall clock as local time, to the millisecond: for a backend's Now() only, as
// the program reads time through the backend. The clock itself is read at every call; the
// time-zone rules are looked up again at most once a second (not at every reading), so a
// change of zone shows within a second and a reading costs no check of the zone file.
TDateTime SystemClockNow();

// Format specifiers, letters in any case: yyyy yy m mm mmm mmmm d dd ddd dddd
// h hh n nn s ss z zzz, c (date and time), ddddd (short date), dddddd (long
// date), t (short time), tt (long time); other letters are copied; "m"/"mm" right after an hour means minutes; "/" is the
// date separator, ":" the time separator; text in quotes is copied.
std::string FormatDateTime(std::string_view format, TDateTime value);
std::string DateToStr(TDateTime value);      // short date format
std::string TimeToStr(TDateTime value);      // long time format
// The default date-time text: short date, a blank, long time; the date alone at midnight.
std::string DateTimeToStr(TDateTime value);
// The program's stamp "yyyy-mm-dd HH:NN:SS" (":" the conventions' time separator): log lines,
// the status-bar clock, the power-off moment. Stamps order by time when compared byte by byte.
std::string TimeStamp(TDateTime value);

// Read with the conventions: the date's fields in the order of the short date
// format, split by the date separator; the time as hours, minutes and optional
// seconds split by the time separator. Throw EConvertError "'%s' is not a valid date" (time, date and time).
TDateTime StrToDate(std::string_view text);
TDateTime StrToTime(std::string_view text);
// A date, a date and a time, or a time alone (day 0).
TDateTime StrToDateTime(std::string_view text);
