// Reads and writes the "REGEDIT4" text form of a store: keys in brackets, typed value lines.
#include "platform/os/RegistryFile.h"

#include <cstdio>
#include <unordered_map>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Text.h"

namespace regfile {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A name as the lookups compare it: ASCII letters in lower case, as SameText does.
std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hex number of 1 to maxDigits digits filling all of s.
bool ParseHex(std::string_view s, unsigned maxDigits, unsigned long& out) {
  if (s.empty() || s.size() > maxDigits) return false;
  out = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    out = out * 16 + static_cast<unsigned long>(d);
  }
  return true;
}

// Takes a quoted text off the front of s: backslash makes the next character literal.
bool TakeQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      out += s[++i];
    } else if (s[i] == '"') {
      s.remove_prefix(i + 1);
      return true;
    } else {
      out += s[i];
    }
  }
  return false;
}

bool ParseHexList(std::string_view s, std::vector<unsigned char>& out) {
  out.clear();
  s = TrimBlanks(s);
  while (!s.empty()) {
    std::size_t comma = s.find(',');
    std::string_view item = TrimBlanks(s.substr(0, comma));
    unsigned long byte = 0;
    if (!ParseHex(item, 2, byte)) return false;
    out.push_back(static_cast<unsigned char>(byte));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
    if (TrimBlanks(s).empty()) break;  // a trailing comma, as left by a wrapped list
  }
  return true;
}

// Text kept as GBK bytes ending in 00 (hex(1), hex(2)).
bool BytesToText(const std::vector<unsigned char>& bytes, std::string& out) {
  std::string gbk(bytes.begin(), bytes.end());
  if (!gbk.empty() && gbk.back() == '\0') gbk.pop_back();
  try {
    out = GbkToUtf8(gbk);
  } catch (const EConvertError&) {
    return false;
  }
  return true;
}

// The data after "=": a quoted text, dword:, hex: or hex(n):.
std::optional<std::string> ParseData(std::string_view s, Value& value) {
  if (!s.empty() && s.front() == '"') {
    if (!TakeQuoted(s, value.text)) return "未结束的引号";
    if (!TrimBlanks(s).empty()) return "引号后有多余的内容";
    value.kind = kString;
    return std::nullopt;
  }
  if (StartsWithNoCase(s, "dword:")) {
    unsigned long number = 0;
    if (!ParseHex(TrimBlanks(s.substr(6)), 8, number)) return "dword: 后应为 1 到 8 位十六进制数";
    value.kind = kDword;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<unsigned char>(number >> (8 * i)));
    return std::nullopt;
  }
  if (!StartsWithNoCase(s, "hex")) return "无法识别的数据类型";
  s.remove_prefix(3);
  unsigned long kind = kBinary;
  if (!s.empty() && s.front() == '(') {
    std::size_t close = s.find(')');
    if (close == std::string_view::npos || !ParseHex(s.substr(1, close - 1), 8, kind))
      return "hex(…) 中的类型号无效";
    s.remove_prefix(close + 1);
  }
  if (s.empty() || s.front() != ':') return "hex 后缺少冒号";
  if (!ParseHexList(s.substr(1), value.data)) return "十六进制字节列表无效";
  value.kind = static_cast<unsigned>(kind);
  if (value.kind == kString || value.kind == kExpandString) {
    if (!BytesToText(value.data, value.text)) return "文本不是 GBK 编码";
    value.data.clear();
  }
  return std::nullopt;
}

std::optional<std::string> ParseValueLine(std::string_view s, Value& value) {
  if (s.front() == '@') {
    value.name.clear();
    s.remove_prefix(1);
  } else if (!TakeQuoted(s, value.name)) {
    return "值名称的引号未结束";
  }
  SkipBlanks(s);
  if (s.empty() || s.front() != '=') return "值名称后缺少等号";
  s.remove_prefix(1);
  SkipBlanks(s);
  return ParseData(s, value);
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string HexList(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i) out += ',';
    out += buf;
  }
  return out;
}

std::string DataText(const Value& v) {
  char buf[32];
  switch (v.kind) {
    case kString:
      // A line end or NUL inside would break the line form; the hex form keeps them.
      if (v.text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos)
        return Quote(v.text);
      return "hex(1):" + HexList(Utf8ToGbk(v.text) + '\0');
    case kExpandString:
      return "hex(2):" + HexList(Utf8ToGbk(v.text) + '\0');
    case kDword:
      if (v.data.size() == 4) {
        unsigned long number = 0;
        for (int i = 3; i >= 0; --i) number = number * 256 + v.data[i];
        std::snprintf(buf, sizeof buf, "dword:%08lx", number);
        return buf;
      }
      break;
    case kBinary:
      return "hex:" + HexList(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
  }
  std::snprintf(buf, sizeof buf, "hex(%x):", v.kind);
  return buf + HexList(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
}

}  // namespace

Value* Key::Find(std::string_view name) {
  for (auto& v : values)
    if (SameText(v.name, name)) return &v;
  return nullptr;
}

void Key::Set(Value value) {
  if (Value* old = Find(value.name)) {
    value.name = old->name;
    *old = std::move(value);
  } else {
    values.push_back(std::move(value));
  }
}

Key* Store::Find(std::string_view path) {
  for (auto& k : keys)
    if (SameText(k.path, path)) return &k;
  return nullptr;
}

bool Store::Exists(std::string_view path) const {
  if (path.empty()) return true;
  for (const auto& k : keys)
    if (IsAtOrBelow(k.path, path)) return true;
  return false;
}

std::string Store::Spelling(std::string_view path) const {
  // The longest leading part that some key already has decides; the rest stays as given.
  std::size_t length = path.size();
  while (length > 0) {
    std::string_view prefix = path.substr(0, length);
    for (const auto& k : keys)
      if (IsAtOrBelow(k.path, prefix)) return k.path.substr(0, length) + std::string(path.substr(length));
    std::size_t slash = prefix.rfind('\\');
    if (slash == std::string_view::npos) break;
    length = slash;
  }
  return std::string(path);
}

std::string NormalizePath(std::string_view path) {
  std::string out;
  while (!path.empty()) {
    std::size_t slash = path.find('\\');
    std::string_view part = path.substr(0, slash);
    if (!part.empty()) {
      if (!out.empty()) out += '\\';
      out += part;
    }
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return out;
}

bool IsAtOrBelow(std::string_view path, std::string_view ancestor) {
  if (ancestor.empty()) return true;
  if (path.size() < ancestor.size() || !SameText(path.substr(0, ancestor.size()), ancestor)) return false;
  return path.size() == ancestor.size() || path[ancestor.size()] == '\\';
}

std::optional<ParseError> Parse(std::string_view gbk, std::string_view rootName, Store& out) {
  out.keys.clear();
  // GBK trail bytes never take the value of LF, so converting the whole file and then
  // splitting it gives the lines each converted alone would (a backslash byte can be a trail
  // byte, so nothing is read before the conversion). Only a file that does not convert is
  // gone through line by line, to name the line at fault.
  std::string text;
  try {
    text = GbkToUtf8(gbk);
  } catch (const EConvertError&) {
    int number = 0;
    for (std::string_view rest = gbk; !rest.empty();) {
      std::size_t lf = rest.find('\n');
      ++number;
      try {
        GbkToUtf8(rest.substr(0, lf));
      } catch (const EConvertError&) {
        return ParseError{number, "不是 GBK 编码的文本"};
      }
      if (lf == std::string_view::npos) break;
      rest.remove_prefix(lf + 1);
    }
    return ParseError{0, "不是 GBK 编码的文本"};
  }
  std::vector<std::string_view> lines;
  for (std::string_view rest = text; !rest.empty();) {
    std::size_t lf = rest.find('\n');
    lines.push_back(rest.substr(0, lf));
    if (lf == std::string_view::npos) break;
    rest.remove_prefix(lf + 1);
  }
  if (lines.empty() || TrimBlanks(lines[0]) != "REGEDIT4") return ParseError{1, "第一行应为 REGEDIT4"};

  // Keys by folded path and the current key's values by folded name, so a big file costs a
  // hash look-up per line instead of a walk over everything read so far.
  std::unordered_map<std::string, std::size_t> keyIndex;
  std::unordered_map<std::string, std::size_t> valueIndex;
  keyIndex.reserve(lines.size() / 2);
  Key* current = nullptr;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int lineNo = static_cast<int>(i + 1);
    std::string_view line = TrimBlanks(lines[i]);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return ParseError{lineNo, "键名缺少右方括号"};
      std::string_view name = line.substr(1, line.size() - 2);
      if (!IsAtOrBelow(name, rootName)) return ParseError{lineNo, "键不属于 " + std::string(rootName)};
      std::string path = NormalizePath(name.substr(rootName.size()));
      auto [at, fresh] = keyIndex.try_emplace(Folded(path), out.keys.size());
      if (fresh) out.keys.push_back(Key{path, {}});
      current = &out.keys[at->second];
      if (!valueIndex.empty()) valueIndex = {};  // a big key's table is not kept for the small ones after it
      for (std::size_t v = 0; v < current->values.size(); ++v) valueIndex.try_emplace(Folded(current->values[v].name), v);
      continue;
    }
    if (line.front() != '"' && line.front() != '@') return ParseError{lineNo, "无法识别的行"};
    if (!current) return ParseError{lineNo, "值出现在任何键之前"};
    // Long hex lists go on over several lines, each but the last ending in a backslash.
    std::string joined(line);
    while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
      joined.pop_back();
      joined += TrimBlanks(lines[++i]);
    }
    Value value;
    if (auto reason = ParseValueLine(joined, value)) return ParseError{lineNo, *reason};
    // A repeated name replaces the value in place, keeping its first spelling, as Key::Set does.
    auto [at, fresh] = valueIndex.try_emplace(Folded(value.name), current->values.size());
    if (fresh) {
      current->values.push_back(std::move(value));
    } else {
      Value& old = current->values[at->second];
      value.name = old.name;
      old = std::move(value);
    }
  }
  return std::nullopt;
}

std::string Serialize(const Store& store, std::string_view rootName) {
  std::string text = "REGEDIT4\r\n\r\n";
  for (const auto& key : store.keys) {
    if (key.path.empty() && key.values.empty()) continue;  // the root exists anyway
    text += "[" + std::string(rootName) + (key.path.empty() ? "" : "\\" + key.path) + "]\r\n";
    for (const auto& v : key.values)
      text += (v.name.empty() ? std::string("@") : Quote(v.name)) + "=" + DataText(v) + "\r\n";
    text += "\r\n";
  }
  return Utf8ToGbk(text);
}

}  // namespace regfile
