// Text helpers: the GBK boundary, Format, whole numbers, trimming and lines.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Text.h"

namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned v : values) out += static_cast<char>(v);
  return out;
}

struct GbkCase {
  const char* utf8;
  std::string gbk;
};

TEST(GbkTest, KnownCodesAndRoundTrip) {
  const GbkCase cases[] = {
      {"【", Bytes({0xA1, 0xBE})},
      {"】", Bytes({0xA1, 0xBF})},
      {"＂", Bytes({0xA3, 0xA2})},
      {"．", Bytes({0xA3, 0xAE})},
      {"，", Bytes({0xA3, 0xAC})},
      {"！", Bytes({0xA3, 0xA1})},
      {"━", Bytes({0xA9, 0xA5})},
      {"闹钟", Bytes({0xC4, 0xD6, 0xD6, 0xD3})},
      {"[2006-01-18 21:15:00] ", "[2006-01-18 21:15:00] "},
      {"a\r\nb", "a\r\nb"},
      {"", ""},
  };
  for (const GbkCase& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
    EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
    EXPECT_EQ(GbkByteLength(c.utf8), c.gbk.size());
  }
}

TEST(GbkTest, WholeLogLineRoundTrips) {
  const std::string line = "【2006-1-18】日志已保存，路径＂C:\\a\\x.Log＂ 闹钟已经启动． ━━";
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(line)), line);
}

TEST(GbkTest, UnrepresentableCharacterIsNamed) {
  try {
    Utf8ToGbk("提醒😀文本");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    std::string message = e.what();
    EXPECT_NE(message.find("😀"), std::string::npos) << message;
    EXPECT_NE(message.find("U+1F600"), std::string::npos) << message;
  }
}

TEST(GbkTest, BrokenInputIsRejected) {
  EXPECT_THROW(Utf8ToGbk("ab\xE4\xB8"), EConvertError);  // UTF-8 cut short
  EXPECT_THROW(Utf8ToGbk("\xFF"), EConvertError);
  EXPECT_THROW(GbkToUtf8(Bytes({'a', 0xA1})), EConvertError);  // lead byte alone at the end
  EXPECT_THROW(GbkToUtf8(Bytes({0xFF, 0xFF})), EConvertError);
}

TEST(GbkTest, ByteLengthCountsUnrepresentableAsOne) {
  EXPECT_EQ(GbkByteLength("a😀【"), 1u + 1u + 2u);
}

TEST(FormatTest, GrowsBeyondSmallBuffer) {
  EXPECT_EQ(Format("%s=%d", "FNxfs", 3), "FNxfs=3");
  std::string longText(1000, 'x');
  EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
}

TEST(TryStrToIntTest, Table) {
  struct Case {
    const char* text;
    bool ok;
    long long value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"+7", true, 7},
      {"-15", true, -15},
      {"007", true, 7},
      {"9223372036854775807", true, LLONG_MAX},
      {"-9223372036854775808", true, LLONG_MIN},
      {"9223372036854775808", false, 0},
      {"-9223372036854775809", false, 0},
      {"99999999999999999999", false, 0},
      {"", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1a", false, 0},
      {"0x10", false, 0},
      {"$10", false, 0},
      {"1.5", false, 0},
      {"--1", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    long long value = -123;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok);
    EXPECT_EQ(value, c.ok ? c.value : -123) << "a failure must leave the value alone";
  }
}

TEST(TrimTest, BlanksAndControlsOnly) {
  EXPECT_EQ(Trim(" \t\r\n 周一到五 \x01"), "周一到五");
  EXPECT_EQ(Trim("a b"), "a b");
  EXPECT_EQ(Trim("   "), "");
}

TEST(SameTextTest, AsciiCaseOnly) {
  EXPECT_TRUE(SameText("FNxfs", "fnXFS"));
  EXPECT_FALSE(SameText("FNxfs", "FNxf"));
  EXPECT_TRUE(SameText("闹钟", "闹钟"));
  EXPECT_FALSE(SameText("[", "{"));  // 0x5B and 0x7B differ by 32 but are no letters
}

TEST(SplitLinesTest, Table) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"\r\n", {""}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\r\r\n", {"a\r"}},
      {"a\rb", {"a\rb"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    EXPECT_EQ(SplitLines(c.text), c.lines);
  }
}

}  // namespace
