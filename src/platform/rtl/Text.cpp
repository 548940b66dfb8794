// Text helpers: the GBK boundary, printf-style formatting, numbers and lines.
#include "platform/rtl/Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <memory>

#include "platform/rtl/Exceptions.h"

namespace {

// Both spellings name the same table in glibc; "GBK" is the canonical one.
constexpr const char* kGbk = "GBK";

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

// One converter per direction and thread, reset before each use; opening one
// per call would cost more than converting a typical line.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw EConvertError(Format("No converter from %s to %s", from, to));
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of input; on a bad sequence returns false with badOffset set.
  // out holds nothing useful then.
  bool Run(std::string_view input, std::string& out, std::size_t& badOffset) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t written = 0;
    while (inLeft > 0) {
      char* dst = out.data() + written;
      std::size_t outLeft = out.size() - written;
      std::size_t rc = iconv(cd_, &in, &inLeft, &dst, &outLeft);
      written = out.size() - outLeft;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      badOffset = input.size() - inLeft;  // EILSEQ or EINVAL (cut short at the end)
      return false;
    }
    out.resize(written);
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& ToGbk() {
  thread_local Converter converter(kGbk, "UTF-8");
  return converter;
}

Converter& FromGbk() {
  thread_local Converter converter("UTF-8", kGbk);
  return converter;
}

// Length of the UTF-8 sequence that starts with lead (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Names the character at offset for an error message: the character itself and
// its code point, or the raw bytes when the UTF-8 there is broken.
std::string DescribeCharacter(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  std::size_t length = Utf8SequenceLength(lead);
  bool valid = length > 1 && offset + length <= text.size();
  char32_t code = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  for (std::size_t i = 1; valid && i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[offset + i]);
    valid = (c & 0xC0) == 0x80;
    code = (code << 6) | (c & 0x3F);
  }
  if (!valid) return Format("byte 0x%02X", lead);
  return Format("'%s' (U+%04X)", std::string(text.substr(offset, length)).c_str(),
                static_cast<unsigned>(code));
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t bad = 0;
  if (!ToGbk().Run(utf8, out, bad))
    throw EConvertError("No mapping for the character " + DescribeCharacter(utf8, bad) +
                        " in the GBK code page");
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  std::string out;
  std::size_t bad = 0;
  if (!FromGbk().Run(gbk, out, bad))
    throw EConvertError(Format("Invalid GBK byte 0x%02X at offset %zu",
                               static_cast<unsigned char>(gbk[bad]), bad));
  return out;
}

std::size_t GbkByteLength(std::string_view utf8) {
  if (IsAscii(utf8)) return utf8.size();
  // A character GBK cannot hold counts as the one "?" that would stand for it,
  // so a hint can be measured before anything decides to reject it.
  std::size_t total = 0;
  std::string out;
  while (!utf8.empty()) {
    std::size_t bad = 0;
    if (ToGbk().Run(utf8, out, bad)) return total + out.size();
    ToGbk().Run(utf8.substr(0, bad), out, bad);
    total += out.size() + 1;
    std::size_t skip = Utf8SequenceLength(static_cast<unsigned char>(utf8[bad]));
    utf8.remove_prefix(std::min(utf8.size(), bad + skip));
  }
  return total;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string result;
  if (needed < 0) {
    va_end(copy);
    return result;
  }
  if (static_cast<std::size_t>(needed) < sizeof small) {
    result.assign(small, static_cast<std::size_t>(needed));
  } else {
    result.resize(static_cast<std::size_t>(needed));
    std::vsnprintf(result.data(), result.size() + 1, format, copy);
  }
  va_end(copy);
  return result;
}

std::string IntToStr(long long value) { return std::to_string(value); }

bool TryStrToInt(std::string_view text, long long& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  // Accumulate towards the negative side, which holds one more value.
  constexpr long long kMin = std::numeric_limits<long long>::min();
  long long result = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    int digit = c - '0';
    if (result < (kMin + digit) / 10) return false;
    result = result * 10 - digit;
  }
  if (!negative) {
    if (result == kMin) return false;
    result = -result;
  }
  value = result;
  return true;
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    if (lf != std::string_view::npos && end > start && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

std::optional<std::size_t> CharStartFromEnd(std::string_view utf8, int position) {
  for (std::size_t i = utf8.size(); i-- > 0;)
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && --position == 0) return i;
  return std::nullopt;
}
