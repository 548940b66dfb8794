// Ini text file: "[name]" opens a section, key=value lines follow. GBK, CR LF.
#pragma once

#include <sys/types.h>

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
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;
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
  // the first read or write, and the others trust that copy (writes keep it up
  // to date and still reach the file each at once). A pass started inside
  // another checks afresh, and so does the next read after the program changed
  // any file through its own file functions (DeleteFile, ReplaceFileBytes,
  // AppendLine, another TIniFile): a pass never reads a file the program itself
  // has removed or rewritten. It may outlive the file object.
  class ReadPass {
   public:
    explicit ReadPass(const TIniFile& file);
    ~ReadPass();
    ReadPass(const ReadPass&) = delete;
    ReadPass& operator=(const ReadPass&) = delete;

   private:
    std::shared_ptr<PassState> state_;
  };
  // Drops the copy, so the next read goes to the file: for a file changed by other means
  // than the program's file functions while a pass trusts its copy.
  void Forget() const;

  // Writing many keys at the end of the file (the schedule, key after key) appends each
  // line through one descriptor kept open between such writes: a stat and a write per key.

 private:
  struct Snapshot;
  enum class Purpose { Read, Write };
  const Snapshot& Load(Purpose purpose) const;
  const Snapshot& LoadFromFile(Purpose purpose) const;
  bool TryAppend(const std::string& section, const std::string& key, const std::string& value);
  std::string fileName_;
  mutable std::shared_ptr<Snapshot> cache_;
  std::shared_ptr<PassState> pass_;
  mutable int appendFd_ = -1;  // open on the file the copy describes (device and inode below)
  mutable dev_t appendDevice_ = 0;
  mutable ino_t appendInode_ = 0;
  void CloseAppend() const;
  void WroteOwnChange() const;
};

// The parsed copy of a big file (a record list of many thousand records) takes several times
// the file's size in small blocks, which the allocator keeps after they are freed. Called when
// such a reader has gone, this gives their pages back to the system, so loading a long list
// once does not leave the program that much bigger for the rest of its run.
void ReleaseFreedMemory();
