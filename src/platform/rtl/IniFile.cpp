// Ini text files, read through a parsed copy that a stat of the file keeps honest.
#include "platform/rtl/IniFile.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unordered_map>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileIo.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/Text.h"
#include "platform/rtl/TextFile.h"

namespace {

// What a stat tells about the file; any difference means it has changed.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileIdentity Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  }
  // The same file at the same length: all a file this object alone appended to can be
  // checked by, as its times are not read back after each line.
  bool SameFileAndSize(const FileIdentity& o) const { return device == o.device && inode == o.inode && size == o.size; }
  bool operator==(const FileIdentity& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

long long Nanoseconds(const timespec& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; }

// File times advance in steps of the kernel's coarse clock (whole seconds on
// some file systems), so a file changed twice within one step keeps one time.
// A copy read within that step of the last change cannot be trusted on the
// stat alone: the next read compares the bytes as well.
bool ReadTooSoonAfterChange(const timespec& changed) {
  timespec now{};
  timespec resolution{};
  clock_gettime(CLOCK_REALTIME, &now);
  clock_getres(CLOCK_REALTIME_COARSE, &resolution);
  long long step = changed.tv_nsec == 0 ? 1000000000LL : std::max(Nanoseconds(resolution), 1000000LL);
  long long sinceChange = Nanoseconds(now) - Nanoseconds(changed);
  // A time far in the future cannot collide with a change made now.
  return sinceChange < 2 * step && sinceChange > -1000000000LL;
}

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

void AppendLower(std::string& out, std::string_view text) {
  for (char c : text) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Section and key together, lower-cased; no name read from a line holds a
// line feed, so the pair cannot be mistaken for another.
std::string EntryKey(std::string_view section, std::string_view key) {
  std::string result;
  result.reserve(section.size() + key.size() + 1);
  AppendLower(result, section);
  result += '\n';
  AppendLower(result, key);
  return result;
}

// A value as read: trimmed, one pair of enclosing quotes removed.
std::string_view ValueOf(std::string_view text) {
  std::string_view value = TrimView(text);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

// A name that reads back as itself from a "[name]" or "name=" line.
bool PlainName(std::string_view name) {
  return !name.empty() && TrimView(name) == name && name.find_first_of("[]=\r\n") == std::string_view::npos;
}

std::string LowerName(std::string_view name) {
  std::string result;
  result.reserve(name.size());
  AppendLower(result, name);
  return result;
}

}  // namespace

struct TIniFile::Snapshot {
  struct Section {
    std::string name;
    std::size_t headerLine;
    std::size_t lastKeyLine;  // the header line while the section has no keys
  };
  struct Entry {
    std::string value;
    std::size_t line;
  };

  bool exists = false;
  bool unreadable = false;  // there but not readable: a write must not replace it blindly
  FileIdentity identity;
  bool suspect = false;  // read too soon after a change; see ReadTooSoonAfterChange
  // The copy is what this object itself wrote, and `identity` the file as it left it (after
  // an appended line, its length counted rather than read back). A write may trust it on
  // device, inode and length even while `suspect`: the bytes are known, and re-reading the
  // file before each key would make writing n keys cost n² (a read still checks the bytes,
  // as a change from outside may share the time of ours).
  bool ownWrite = false;
  std::string bytes;     // the file as read, to tell a real change from a repeated time
  std::vector<Section> sections;
  std::unordered_map<std::string, std::size_t> firstSection;  // lower name → index
  // Keys of the first section of each name only; the first line of a key wins.
  std::unordered_map<std::string, Entry> entries;
  std::size_t lineCount = 0;  // as SplitLines counts them

  void Parse(std::string gbk);
};

void TIniFile::Snapshot::Parse(std::string gbk) {
  bytes = std::move(gbk);
  const std::string text = GbkToUtf8(bytes);
  sections.clear();
  firstSection.clear();
  entries.clear();
  // One entry per line at most; sizing the tables once saves rehashing a big file.
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  entries.reserve(lines);
  firstSection.reserve(lines / 4 + 1);
  // Lines are counted exactly as SplitLines counts them, which WriteString relies on.
  std::size_t lineIndex = 0;
  bool inFirst = false;
  std::string sectionKey;
  for (std::size_t start = 0; start < text.size(); ++lineIndex) {
    std::size_t lf = text.find('\n', start);
    std::size_t end = lf == std::string::npos ? text.size() : lf;
    std::string_view line(text.data() + start, end - start);
    start = lf == std::string::npos ? text.size() : lf + 1;

    std::string_view trimmed = TrimView(line);
    std::size_t close = trimmed.find(']');
    if (!trimmed.empty() && trimmed.front() == '[' && close != std::string_view::npos) {
      std::string name(TrimView(trimmed.substr(1, close - 1)));
      sectionKey = LowerName(name);
      inFirst = firstSection.try_emplace(sectionKey, sections.size()).second;
      sections.push_back({std::move(name), lineIndex, lineIndex});
      continue;
    }
    std::size_t equals = trimmed.find('=');
    if (sections.empty() || equals == std::string_view::npos) continue;
    sections.back().lastKeyLine = lineIndex;
    if (!inFirst) continue;
    std::string_view value = ValueOf(trimmed.substr(equals + 1));
    entries.try_emplace(EntryKey(sectionKey, TrimView(trimmed.substr(0, equals))),
                        Entry{std::string(value), lineIndex});
  }
  lineCount = lineIndex;
}

struct TIniFile::PassState {
  int depth = 0;
  bool checked = false;
  // The program's count of file changes when the copy was last checked or written: a change
  // made since (a delete, a replacement, another reader's write) has the pass look again.
  std::uint64_t seenChanges = 0;
};

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)), pass_(std::make_shared<PassState>()) {}

TIniFile::~TIniFile() { CloseAppend(); }

void ReleaseFreedMemory() { malloc_trim(0); }

void TIniFile::CloseAppend() const {
  if (appendFd_ >= 0) ::close(appendFd_);
  appendFd_ = -1;
}

TIniFile::ReadPass::ReadPass(const TIniFile& file) : state_(file.pass_) {
  ++state_->depth;
  state_->checked = false;
}

TIniFile::ReadPass::~ReadPass() { --state_->depth; }

void TIniFile::Forget() const {
  CloseAppend();
  cache_.reset();
  pass_->checked = false;
}

const TIniFile::Snapshot& TIniFile::Load(Purpose purpose) const {
  if (pass_->depth > 0 && pass_->checked && cache_ && pass_->seenChanges == FileChangeCount()) return *cache_;
  const Snapshot& snapshot = LoadFromFile(purpose);
  pass_->checked = pass_->depth > 0;
  pass_->seenChanges = FileChangeCount();
  return snapshot;
}

// This object's own write leaves its copy true: a pass that trusted it before goes on trusting it.
void TIniFile::WroteOwnChange() const {
  NoteFileChanged();
  if (pass_->checked) pass_->seenChanges = FileChangeCount();
}

const TIniFile::Snapshot& TIniFile::LoadFromFile(Purpose purpose) const {
  struct stat st {};
  if (::stat(fileName_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    cache_ = std::make_shared<Snapshot>();
    return *cache_;
  }
  if (cache_ && cache_->exists) {
    const FileIdentity now = FileIdentity::Of(st);
    if (purpose == Purpose::Write && cache_->ownWrite && cache_->identity.SameFileAndSize(now)) return *cache_;
    if (!cache_->suspect && cache_->identity == now) return *cache_;
  }

  int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
  // A file that vanished or cannot be read reads as missing, as it would elsewhere.
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const bool vanished = fd < 0 && errno == ENOENT;
    if (fd >= 0) ::close(fd);
    cache_ = std::make_shared<Snapshot>();
    cache_->unreadable = !vanished;
    return *cache_;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  const bool readFailed = !ReadAll(fd, bytes);
  ::close(fd);
  if (readFailed) {
    cache_ = std::make_shared<Snapshot>();
    cache_->unreadable = true;
    return *cache_;
  }

  if (!(cache_ && cache_->exists && cache_->bytes == bytes)) {
    auto fresh = std::make_shared<Snapshot>();
    try {
      fresh->Parse(std::move(bytes));
    } catch (const EConvertError& error) {
      throw EConvertError(std::string(error.what()) + " in file \"" + fileName_ + "\"");  // which file, for the user
    }
    fresh->exists = true;
    cache_ = std::move(fresh);
  }
  cache_->identity = FileIdentity::Of(st);
  cache_->suspect = ReadTooSoonAfterChange(st.st_ctim);
  cache_->ownWrite = false;
  return *cache_;
}

std::vector<std::string> TIniFile::ReadSections() const {
  const Snapshot& snapshot = Load(Purpose::Read);
  std::vector<std::string> names;
  names.reserve(snapshot.sections.size());
  for (const Snapshot::Section& section : snapshot.sections) names.push_back(section.name);
  return names;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& Default) const {
  const Snapshot& snapshot = Load(Purpose::Read);
  auto it = snapshot.entries.find(EntryKey(section, key));
  return it == snapshot.entries.end() ? Default : it->second.value;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  const Snapshot& snapshot = Load(Purpose::Write);
  if (snapshot.unreadable) throw EIniFileException("Unable to write to " + fileName_);
  if (TryAppend(section, key, value)) {
    WroteOwnChange();
    return;
  }
  std::vector<std::string> lines;
  if (snapshot.exists) lines = SplitLines(GbkToUtf8(snapshot.bytes));
  std::string line = key + "=" + value;

  auto sectionIt = snapshot.firstSection.find(LowerName(section));
  if (sectionIt == snapshot.firstSection.end()) {
    lines.push_back("[" + section + "]");
    lines.push_back(std::move(line));
  } else if (auto entry = snapshot.entries.find(EntryKey(section, key));
             entry != snapshot.entries.end()) {
    lines[entry->second.line] = std::move(line);
  } else {
    std::size_t after = snapshot.sections[sectionIt->second].lastKeyLine;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(line));
  }

  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  std::string bytes = Utf8ToGbk(text);
  CloseAppend();  // the file is replaced by another
  try {
    ReplaceFileBytes(fileName_, bytes, SyncMode::LeaveToSystem);
  } catch (const EFCreateError&) {
    throw EIniFileException("Unable to write to " + fileName_);
  }

  // What was written is what the next read would parse; keep it.
  auto fresh = std::make_shared<Snapshot>();
  fresh->Parse(std::move(bytes));
  struct stat st {};
  fresh->exists = ::stat(fileName_.c_str(), &st) == 0;
  fresh->identity = FileIdentity::Of(st);
  fresh->suspect = ReadTooSoonAfterChange(st.st_ctim);
  fresh->ownWrite = fresh->exists;
  cache_ = std::move(fresh);
  WroteOwnChange();
}

// Writing the schedule adds key after key at the end of the file; rewriting the
// whole file for each would make arming many records slow in the square of
// their number. Such a line is appended instead, and the copy grows with it.
bool TIniFile::TryAppend(const std::string& section, const std::string& key, const std::string& value) {
  Snapshot& snapshot = *cache_;
  if (!PlainName(section) || !PlainName(key) || value.find_first_of("\r\n") != std::string::npos) return false;
  if (!snapshot.bytes.empty() && snapshot.bytes.back() != '\n') return false;
  auto sectionIt = snapshot.firstSection.find(LowerName(section));
  const bool newSection = sectionIt == snapshot.firstSection.end();
  if (!newSection) {
    if (sectionIt->second + 1 != snapshot.sections.size()) return false;  // not the last section
    if (snapshot.sections.back().lastKeyLine + 1 != snapshot.lineCount) return false;  // lines after its keys
    if (snapshot.entries.count(EntryKey(section, key))) return false;  // a replacement
  }
  std::string text = (newSection ? "[" + section + "]\r\n" : std::string()) + key + "=" + value + "\r\n";
  std::string bytes = Utf8ToGbk(text);

  // The kept descriptor serves while it is open on the file the copy was checked against.
  const bool kept = appendFd_ >= 0 && snapshot.exists && snapshot.identity.device == appendDevice_ &&
                    snapshot.identity.inode == appendInode_;
  if (!kept) {
    CloseAppend();
    appendFd_ = ::open(fileName_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat opened {};
    if (appendFd_ >= 0 && ::fstat(appendFd_, &opened) != 0) CloseAppend();
    if (appendFd_ < 0) throw EIniFileException("Unable to write to " + fileName_);
    appendDevice_ = opened.st_dev;
    appendInode_ = opened.st_ino;
    snapshot.identity = FileIdentity::Of(opened);
    // The length the copy knows: should another writer have added to the file meanwhile,
    // the next write finds another length and reads the file again.
    snapshot.identity.size = static_cast<off_t>(snapshot.bytes.size());
  }
  if (!WriteAll(appendFd_, bytes)) {
    CloseAppend();
    throw EIniFileException("Unable to write to " + fileName_);
  }

  snapshot.exists = true;
  snapshot.bytes += bytes;
  if (newSection) {
    snapshot.firstSection.emplace(LowerName(section), snapshot.sections.size());
    snapshot.sections.push_back({section, snapshot.lineCount, snapshot.lineCount});
    ++snapshot.lineCount;
  }
  snapshot.sections.back().lastKeyLine = snapshot.lineCount;
  snapshot.entries.emplace(EntryKey(section, key), Snapshot::Entry{std::string(ValueOf(value)), snapshot.lineCount});
  ++snapshot.lineCount;
  // The times of the file are not read back: a read checks the bytes once more.
  snapshot.identity.size += static_cast<off_t>(bytes.size());
  snapshot.suspect = true;
  snapshot.ownWrite = true;
  return true;
}
