// A small registry of keys and typed values, kept as one plain-text export file per root key.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/os/RegistryFile.h"

enum class RootKey { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS };
enum class OpenMode { ExistingOnly, CreateIfMissing };
enum class RegDataType {
  Unknown,       // any other stored kind (hex(n) lines we only carry along)
  String,        // "Name"="text"
  ExpandString,  // "Name"=hex(2):…  GBK bytes and a terminating 00
  Integer,       // "Name"=dword:0000002a
  Binary,        // "Name"=hex:01,02
};

// The folder holding the store: $XDG_CONFIG_HOME/tamiro, else $HOME/.config/tamiro.
// Read from the environment at every call.
std::string RegistryFolder();

// The store of one root key lives in RegistryFolder()/"<root name>.reg": "REGEDIT4", a blank
// line, then per key "[ROOT\path]" and its value lines, a blank line after each key; GBK, CR LF.
//
// One key is open at a time. Key paths always start at the root, whatever key is open (a
// leading backslash is allowed and changes nothing), so opening the same path twice on one
// object never nests it. Key paths and value names compare without regard to case and keep
// the case they were first written in.
//
// The file is read again at every open, so changes made by another process or by hand show
// up; every change re-reads it too, applies itself and replaces the whole file atomically.
// A file that cannot be understood is renamed aside (".corrupt-<n>"), reported once through
// OnStoreProblem, and the store then behaves as if it had never been written.
class TRegistry {
 public:
  explicit TRegistry(RootKey root = RootKey::HKEY_CURRENT_USER);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  RootKey Root;

  // Opens for reading and writing. False when the key is missing (ExistingOnly), cannot be
  // created, or the store's folder or file cannot be written. Closes any key open before.
  bool OpenKey(const std::string& key, OpenMode mode);
  // Opens for reading only; false when the key is missing. Writes then fail.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // The current path of the open key (root-relative, no leading backslash); empty when none.
  const std::string& CurrentPath() const { return currentPath_; }

  // A key exists when it was created or when any key below it was.
  bool KeyExists(const std::string& key);
  // Removes the key and everything below it; false when there was nothing to remove or the
  // file could not be written.
  bool DeleteKey(const std::string& key);

  bool ValueExists(const std::string& name);
  // Unknown for a missing value or when no key is open.
  RegDataType GetDataType(const std::string& name);

  // Missing value → "". Another kind than String/ExpandString → ERegistryException
  // "Invalid data type for '<name>'".
  std::string ReadString(const std::string& name);
  // Missing value → ERegistryException "Failed to get data for '<name>'"; another kind than
  // Integer → "Invalid data type for '<name>'".
  int ReadInteger(const std::string& name);
  // Missing value → empty; another kind than Binary/Unknown → "Invalid data type for '<name>'".
  std::vector<unsigned char> ReadBinaryData(const std::string& name);

  // Each throws ERegistryException "Failed to set data for '<name>'" on any failure: no key
  // open, opened read-only, the key was removed meanwhile, text GBK cannot hold, or the
  // file cannot be written. A failed write leaves both the file and this object unchanged.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int value);
  void WriteBinaryData(const std::string& name, const std::vector<unsigned char>& value);

  // Told once about each store file that could not be read and was set aside. Default:
  // the message goes to stderr.
  static std::function<void(const std::string& message)> OnStoreProblem;
  // Told after OnStoreProblem when a store file was set aside: where it was and the name it
  // is kept under now. Default: nothing.
  static std::function<void(const std::string& path, const std::string& keptAs)> OnStoreSetAside;

 private:
  bool Open(const std::string& key, OpenMode mode, bool readOnly);
  const regfile::Value* Find(const std::string& name) const;
  void Write(regfile::Value value);

  bool open_ = false;
  bool readOnly_ = false;
  std::string currentPath_;
  std::vector<regfile::Value> values_;  // the open key's values as last read or written
};
