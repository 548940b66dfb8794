// The text form of one root key's store: reading and writing the "REGEDIT4" export file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

// The platform's numbers for the kinds of values; other numbers are carried along as they are.
constexpr unsigned kString = 1;
constexpr unsigned kExpandString = 2;
constexpr unsigned kBinary = 3;
constexpr unsigned kDword = 4;

struct Value {
  std::string name;                 // "" is the key's default value, written "@"
  unsigned kind = kString;
  std::string text;                 // kString and kExpandString, UTF-8
  std::vector<unsigned char> data;  // every other kind; a dword as 4 little-endian bytes
};

struct Key {
  std::string path;  // below the root, parts joined by "\", no backslash at either end
  std::vector<Value> values;

  Value* Find(std::string_view name);
  void Set(Value value);  // replaces a value of the same name in place, keeping its spelling
};

struct Store {
  std::vector<Key> keys;  // in file order

  Key* Find(std::string_view path);
  // Written itself, or the parent of a key that was; the root always exists.
  bool Exists(std::string_view path) const;
  // The path with the parts that already exist spelt as they were first written.
  std::string Spelling(std::string_view path) const;
};

// Parts of a key path split at backslashes, empty parts dropped, joined again.
std::string NormalizePath(std::string_view path);
// The path itself or one below it, without regard to case.
bool IsAtOrBelow(std::string_view path, std::string_view ancestor);

struct ParseError {
  int line = 0;  // 1-based, 0 when it concerns the whole file
  std::string reason;
};

// Parses the raw GBK bytes of a store file of the named root ("HKEY_USERS"). Accepts CR LF or
// LF line ends, blanks around the parts, ";" comment lines, and hex lists continued with "\".
std::optional<ParseError> Parse(std::string_view gbk, std::string_view rootName, Store& out);

// The file's bytes: GBK, CR LF. Throws EConvertError for text GBK cannot hold.
std::string Serialize(const Store& store, std::string_view rootName);

}  // namespace regfile
