// Text helpers. Text in memory is UTF-8; every file is GBK, converted here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Throws EConvertError naming the first character that GBK cannot hold.
std::string Utf8ToGbk(std::string_view utf8);
// Throws EConvertError on a byte sequence that is not GBK.
std::string GbkToUtf8(std::string_view gbk);
// Length in bytes of the text once written as GBK (the tray hint is limited by
// it); a character GBK cannot hold counts as one byte, the "?" standing for it.
std::size_t GbkByteLength(std::string_view utf8);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string IntToStr(long long value);
// Whole number or nothing; blanks around it are not allowed.
bool TryStrToInt(std::string_view text, long long& value);

// Where the character at a position from the end (1 = the last) begins, in
// bytes; characters are code points. Nothing when the text is shorter.
std::optional<std::size_t> CharStartFromEnd(std::string_view utf8, int position);

// Blanks and control characters at both ends removed.
std::string Trim(std::string_view text);
// Compares ASCII letters without regard to case.
bool SameText(std::string_view a, std::string_view b);

// Splits at LF, dropping one CR before it; a final line end gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);
