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
 private:
  struct PassState;

 public:
  explicit TIniFile(std::string fileName);
  const std::string& FileName() const { return fileName_; }

  // Section names in file order; a missing file has none. Every read throws
  // EConvertError, naming the file, while the file holds bytes that are no GBK.
  std::vector<std::string> ReadSections() const;
  // The first section of the name and the key, both without regard to case;
  // the value trimmed and one pair of enclosing quotes removed; missing is Default.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& Default = "") const;
  // Replaces the key's value, else adds the line at the end of its section,
  // else adds the section at the end of the file. Reaches the file at once.
  // Throws EIniFileException "Unable to write to %s".
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

  // One pass over many keys: while a pass lives, the file is checked once, at
  // the first read, and the other reads trust that copy. A pass started inside
  // another checks afresh. It may outlive the file object.
  class ReadPass {
   public:
    explicit ReadPass(const TIniFile& file);
    ~ReadPass();
    ReadPass(const ReadPass&) = delete;
    ReadPass& operator=(const ReadPass&) = delete;

   private:
    std::shared_ptr<PassState> state_;
  };
  // Drops the copy, so the next read goes to the file (after deleting it, say).
  void Forget() const;

 private:
  struct Snapshot;
  const Snapshot& Load() const;
  const Snapshot& LoadFromFile() const;
  bool TryAppend(const std::string& section, const std::string& key, const std::string& value);
  std::string fileName_;
  mutable std::shared_ptr<Snapshot> cache_;
  std::shared_ptr<PassState> pass_;
};
