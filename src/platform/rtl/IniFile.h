// Ini text file: "[name]" opens a section, key=value lines follow. GBK, CR LF.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Reads go to the file every time (a change from outside shows at the next
// read), but a parsed copy is kept and reused while a stat shows the same
// file (device, inode, size, modification and change times), so reading many
// keys costs one parse and a stat per key. A copy read just after a change is
// checked against the bytes once more, as file times move in coarse steps.
class TIniFile {
 public:
  explicit TIniFile(std::string fileName);
  const std::string& FileName() const { return fileName_; }

  // Section names in file order; a missing file has none.
  std::vector<std::string> ReadSections() const;
  // The first section of the name and the key, both without regard to case;
  // the value trimmed and one pair of enclosing quotes removed; missing is Default.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& Default = "") const;
  // Replaces the key's value, else adds the line at the end of its section,
  // else adds the section at the end of the file. Reaches the file at once.
  // Throws EIniFileException "Unable to write to %s".
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

 private:
  struct Snapshot;
  const Snapshot& Load() const;
  std::string fileName_;
  mutable std::shared_ptr<Snapshot> cache_;
};
