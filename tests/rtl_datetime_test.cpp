// Date-time values: calendar arithmetic, rounding, formatting and reading back.
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Every test starts from, and leaves behind, the desk's own conventions.
class DateTimeTest : public testing::Test {
 protected:
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }

  static TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
  }
};

TEST_F(DateTimeTest, CalendarAnchors) {
  struct Case {
    double value;
    int year, month, day, dayOfWeek;
  };
  const Case cases[] = {
      {0, 1899, 12, 30, 7},   {1, 1899, 12, 31, 1},     {2, 1900, 1, 1, 2},
      {25569, 1970, 1, 1, 5}, {36526, 2000, 1, 1, 7},   {38735, 2006, 1, 18, 4},
      {45351, 2024, 2, 29, 5}, {2958465, 9999, 12, 31, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    int y, m, d;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ(y, c.year);
    EXPECT_EQ(m, c.month);
    EXPECT_EQ(d, c.day);
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.value);
    EXPECT_EQ(DayOfWeek(c.value), c.dayOfWeek);
    EXPECT_EQ(DayOfWeek(c.value + EncodeTime(23, 59, 59, 999)), c.dayOfWeek);
  }
}

TEST_F(DateTimeTest, EncodeRejectsFieldsOutOfRange) {
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2006, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2006, 4, 31), EConvertError);
  EXPECT_THROW(EncodeDate(2006, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2006, 1, 0), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 60), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST_F(DateTimeTest, MillisecondsRoundAndCarryIntoTheDay) {
  const TDateTime day = EncodeDate(2006, 1, 18);
  int h, mi, s, ms, y, mo, d;

  DecodeTime(day + 86399999.4 / kMsPerDay, h, mi, s, ms);
  EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235959999);

  const TDateTime almostMidnight = day + 86399999.5 / kMsPerDay;  // 23:59:59.9995
  DecodeTime(almostMidnight, h, mi, s, ms);
  EXPECT_EQ(h + mi + s + ms, 0);
  DecodeDate(almostMidnight, y, mo, d);
  EXPECT_EQ(d, 19);
  EXPECT_EQ(DayOfWeek(almostMidnight), 5);
  EXPECT_EQ(DateOf(almostMidnight), day + 1);
  EXPECT_EQ(TimeOf(almostMidnight), 0.0);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd HH:NN:SS", almostMidnight), "2006-01-19 00:00:00");
  EXPECT_EQ(DateTimeToStr(almostMidnight), "2006-1-19");

  // A value a hair below a whole millisecond still names that millisecond.
  DecodeTime(EncodeTime(21, 15, 0, 1) - 1e-12, h, mi, s, ms);
  EXPECT_EQ(ms, 1);
}

TEST_F(DateTimeTest, DateOfTimeOfWholeSeconds) {
  const TDateTime v = At(2006, 1, 18, 21, 15, 7, 45);
  EXPECT_EQ(DateOf(v), 38735.0);
  EXPECT_NEAR(TimeOf(v), EncodeTime(21, 15, 7, 45), 1e-12);
  EXPECT_NEAR(WholeSeconds(v), At(2006, 1, 18, 21, 15, 7), 1e-10);
  EXPECT_EQ(FormatDateTime("zzz", WholeSeconds(v)), "000");
}

TEST_F(DateTimeTest, FormatTable) {
  struct Case {
    const char* format;
    const char* expected;
  };
  const TDateTime v = At(2006, 1, 18, 21, 5, 9, 45);
  const Case cases[] = {
      {"yyyy-mm-dd", "2006-01-18"},
      {"HH:NN:SS", "21:05:09"},
      {"yyyy-mm-dd HH:NN:SS", "2006-01-18 21:05:09"},
      {"dddd", "星期三"},
      {"ddd", "周三"},
      {"HH", "21"},
      {"hh", "21"},
      {"yyyy/mm/dd HH:mm:ss", "2006-01-18 21:05:09"},
      {"hh:mm", "21:05"},
      {"hh mm", "21 05"},
      {"mm", "01"},
      {"ss:mm", "09:01"},  // only an hour turns m into minutes
      {"yyyy-M-d", "2006-1-18"},
      {"H:mm:ss", "21:05:09"},
      {"h:n:s", "21:5:9"},
      {"z", "45"},
      {"zzz", "045"},
      {"yy", "06"},
      {"d dd", "18 18"},
      {"mmm mmmm", "一月 一月"},
      {"'hh'\"mm\"yyyy", "hhmm2006"},
      {"yyyy'年'M'月'd'日'", "2006年1月18日"},
      {"ddddd", "2006-1-18"},
      {"dddddd", "2006年1月18日"},
      {"t", "21:05"},
      {"tt", "21:05:09"},
      {"c", "2006-1-18 21:05:09"},
      {"", "2006-1-18 21:05:09"},
      {"【ddddd】", "【2006-1-18】"},
      {"x", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(FormatDateTime(c.format, v), c.expected);
  }
  const TDateTime morning = At(2006, 2, 3, 9, 5);
  EXPECT_EQ(FormatDateTime("HH:NN:SS", morning), "09:05:00");
  EXPECT_EQ(FormatDateTime("H d M", morning), "9 3 2");
  EXPECT_EQ(FormatDateTime("hh:nn", 0.0), "00:00");
}

TEST_F(DateTimeTest, DefaultTexts) {
  EXPECT_EQ(DateToStr(At(2006, 1, 18, 21, 15)), "2006-1-18");
  EXPECT_EQ(TimeToStr(At(2006, 1, 18, 9, 5, 7)), "9:05:07");
  EXPECT_EQ(DateTimeToStr(At(2006, 1, 18, 21, 15)), "2006-1-18 21:15:00");
  EXPECT_EQ(DateTimeToStr(At(2006, 1, 18)), "2006-1-18");
  EXPECT_EQ(DateTimeToStr(At(2006, 1, 18, 0, 0, 0, 1)), "2006-1-18 0:00:00");
}

TEST_F(DateTimeTest, ReadTable) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const double day = 38735;
  const Case cases[] = {
      {"2006-01-18 21:15:00", true, day + EncodeTime(21, 15, 0)},
      {"2006-1-18", true, day},
      {"21:15:00", true, EncodeTime(21, 15, 0)},
      {"9:05", true, EncodeTime(9, 5, 0)},
      {"0:00", true, 0},
      {"  2006-1-18   9:05:07  ", true, day + EncodeTime(9, 5, 7)},
      {"2004-2-29 23:59:59", true, EncodeDate(2004, 2, 29) + EncodeTime(23, 59, 59)},
      {"", false, 0},
      {"   ", false, 0},
      {"abc", false, 0},
      {"2006-13-01", false, 0},
      {"2006-02-30", false, 0},
      {"1900-2-29", false, 0},
      {"0000-01-01", false, 0},
      {"25:00:00", false, 0},
      {"24:00", false, 0},
      {"21:60", false, 0},
      {"21:15:60", false, 0},
      {"12:00:00 junk", false, 0},
      {"2006-01-18 junk", false, 0},
      {"2006-01-18T21:15", false, 0},
      {"2006-01-1821:15", false, 0},
      {"2006-001-18", false, 0},
      {"20061-1-18", false, 0},
      {"06-01-18", false, 0},
      {"2006/01/18", false, 0},
      {"2006-01", false, 0},
      {"21", false, 0},
      {"21:", false, 0},
      {"21:15:", false, 0},
      {"-1:00", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.ok) {
      EXPECT_NEAR(StrToDateTime(c.text), c.value, 1e-9);
    } else {
      EXPECT_THROW(StrToDateTime(c.text), EConvertError);
    }
  }
}

TEST_F(DateTimeTest, DateAndTimeAloneAreStrict) {
  EXPECT_EQ(StrToDate("2006-1-18"), 38735.0);
  EXPECT_THROW(StrToDate("2006-1-18 21:15"), EConvertError);
  EXPECT_THROW(StrToDate("21:15:00"), EConvertError);
  EXPECT_NEAR(StrToTime("21:15:00"), EncodeTime(21, 15, 0), 1e-12);
  EXPECT_THROW(StrToTime("2006-1-18"), EConvertError);
  EXPECT_THROW(StrToTime("2006-1-18 21:15"), EConvertError);
}

TEST_F(DateTimeTest, ErrorMessagesQuoteTheText) {
  auto messageOf = [](auto read, const char* text) {
    try {
      read(text);
    } catch (const EConvertError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf(StrToDateTime, "abc"), "'abc' is not a valid date and time");
  EXPECT_EQ(messageOf(StrToDate, "2006-13-01"), "'2006-13-01' is not a valid date");
  EXPECT_EQ(messageOf(StrToTime, "25:00:00"), "'25:00:00' is not a valid time");
}

TEST_F(DateTimeTest, StampReadsBackAsTheWholeSecond) {
  for (TDateTime v : {At(2006, 1, 18, 21, 15, 0, 999), At(1999, 12, 31, 23, 59, 59, 500),
                      At(2024, 2, 29, 0, 0, 1)}) {
    SCOPED_TRACE(v);
    std::string stamp = FormatDateTime("yyyy-mm-dd HH:NN:SS", v);
    EXPECT_NEAR(StrToDateTime(stamp), WholeSeconds(v), 1e-9) << stamp;
    EXPECT_EQ(StrToDate(DateToStr(v)), DateOf(v));
  }
}

TEST_F(DateTimeTest, OtherConventions) {
  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "M/d/yyyy";
  fs.DateSeparator = '/';
  const TDateTime v = At(2006, 1, 18, 21, 15);

  EXPECT_THROW(StrToDateTime("2006-01-18"), EConvertError);
  EXPECT_THROW(StrToDate("18/1/2006"), EConvertError);
  EXPECT_EQ(StrToDate("1/18/2006"), 38735.0);
  EXPECT_NEAR(StrToDateTime("01/18/2006 21:15"), v, 1e-9);
  EXPECT_EQ(DateTimeToStr(v), "1/18/2006 21:15:00");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", v), "2006/01/18");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd", v), "2006-01-18");  // a hyphen stays a hyphen

  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.DateSeparator = '.';
  fs.TimeSeparator = '.';
  EXPECT_EQ(DateTimeToStr(v), "18.01.2006 21.15.00");
  EXPECT_EQ(FormatDateTime("HH:NN:SS", v), "21.15.00");
  EXPECT_NEAR(StrToDateTime("18.1.2006 21.15"), v, 1e-9);
  EXPECT_THROW(StrToDateTime("18.1.2006 21:15"), EConvertError);
}

}  // namespace

// The wall clock as local time follows the zone, and a change of zone shows within about a
// second (the zone is looked up again at most once a second). Only the offset between two
// readings of the same clock is compared, never a particular date.
TEST(SystemClockTest, LocalTimeFollowsTheZoneAndItsChange) {
  auto offsetHours = [] {
    const double utc = 25569.0 + static_cast<double>(time(nullptr)) / 86400.0;
    return std::lround((SystemClockNow() - utc) * 24.0);
  };
  {
    ScopedEnv utcZone("TZ", "UTC0");
    tzset();
    bool utcSeen = false;
    for (int i = 0; i < 30 && !utcSeen; ++i) {
      utcSeen = offsetHours() == 0;
      if (!utcSeen) usleep(100000);
    }
    EXPECT_TRUE(utcSeen);
    ScopedEnv eastZone("TZ", "CST-8");  // eight hours east, no summer time
    long seen = 0;
    for (int i = 0; i < 30 && seen != 8; ++i) {
      seen = offsetHours();
      if (seen != 8) usleep(100000);
    }
    EXPECT_EQ(seen, 8) << "the new zone within three seconds";
  }
  tzset();  // the zone the process had
}
