// The registry stand-in: keys and values kept in one export file per root key, replaced atomically.
#include "platform/os/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/Text.h"

using regfile::Key;
using regfile::Store;
using regfile::Value;

std::function<void(const std::string&)> TRegistry::OnStoreProblem = [](const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
};
std::function<void(const std::string&, const std::string&)> TRegistry::OnStoreSetAside;

std::string RegistryFolder() {
  // A relative XDG_CONFIG_HOME is to be ignored, like an unset one.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/tamiro";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/tamiro";
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
    return std::string(pw->pw_dir) + "/.config/tamiro";
  return "";
}

namespace {

const char* RootName(RootKey root) {
  switch (root) {
    case RootKey::HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case RootKey::HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case RootKey::HKEY_USERS: return "HKEY_USERS";
  }
  return "HKEY_CURRENT_USER";
}

std::string StorePath(const std::string& folder, RootKey root) {
  return folder + "/" + RootName(root) + ".reg";
}

// Each troubled file is reported once; it is known by where it is and what it holds.
void ReportOnce(const std::string& path, const std::string& message) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  struct stat st {};
  std::string identity = path;
  if (stat(path.c_str(), &st) == 0)
    identity += Format("|%ju|%ju|%jd|%ld|%jd", static_cast<uintmax_t>(st.st_dev), static_cast<uintmax_t>(st.st_ino),
                       static_cast<intmax_t>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec, static_cast<intmax_t>(st.st_size));
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!reported.insert(identity).second) return;
  }
  if (auto report = TRegistry::OnStoreProblem) report(message);
}

// Serialises the writers of one folder, across processes too.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

// errno is left set when it fails.
bool ReadWhole(const std::string& path, std::string& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;
    return false;
  }
  out.clear();
  char buf[8192];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int saved = errno;
      close(fd);
      errno = saved;
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  return true;
}

// Moves a file we cannot read out of the way under a name not taken yet, never over another.
bool SetAside(const std::string& path, std::string& aside) {
  for (int n = 1; n < 10000; ++n) {
    aside = path + ".corrupt-" + std::to_string(n);
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: test first, then rename.
    struct stat st {};
    if (lstat(aside.c_str(), &st) == 0) continue;
    return rename(path.c_str(), aside.c_str()) == 0;
  }
  errno = EEXIST;
  return false;
}

enum class LoadResult { Ok, Missing, Unreadable };

LoadResult LoadStore(const std::string& folder, RootKey root, Store& store, bool lockHeld) {
  store.keys.clear();
  if (folder.empty()) return LoadResult::Missing;
  const std::string path = StorePath(folder, root);
  std::string bytes;
  if (!ReadWhole(path, bytes)) {
    if (errno == ENOENT || errno == ENOTDIR) return LoadResult::Missing;
    ReportOnce(path, Format("设置存储文件 %s 无法读取（%s），设置暂时无法保存。", path.c_str(), std::strerror(errno)));
    return LoadResult::Unreadable;
  }
  auto error = regfile::Parse(bytes, RootName(root), store);
  if (!error) return LoadResult::Ok;
  store.keys.clear();
  if (!lockHeld) {
    // A writer may have replaced the file just now; look again while no one can.
    FolderLock lock(folder);
    return LoadStore(folder, root, store, true);
  }
  std::string aside;
  if (SetAside(path, aside)) {
    ReportOnce(aside, Format("设置存储文件 %s 无法解读（第 %d 行：%s），已原样改名为 %s；设置从头开始，如同首次运行。",
                             path.c_str(), error->line, error->reason.c_str(), aside.c_str()));
    if (auto tell = TRegistry::OnStoreSetAside) tell(path, aside);
    return LoadResult::Missing;
  }
  ReportOnce(path, Format("设置存储文件 %s 无法解读（第 %d 行：%s），也无法改名为 %s（%s）；该文件保持原样，设置暂时无法保存。",
                          path.c_str(), error->line, error->reason.c_str(), aside.c_str(), std::strerror(errno)));
  return LoadResult::Unreadable;
}

bool MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

// The folder and, when it exists, the file can be written.
bool StoreWritable(const std::string& folder, RootKey root, bool createFolder) {
  if (folder.empty()) return false;
  if (createFolder && !MakeFolders(folder)) return false;
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || access(folder.c_str(), W_OK | X_OK) != 0)
    return false;
  const std::string path = StorePath(folder, root);
  return access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0;
}

// The new text takes the old one's place in one rename (ReplaceFileWith), reaching the disk
// first, so a crash at any moment leaves either the old file or the new one and no temporary.
bool SaveStore(const std::string& path, RootKey root, const Store& store) {
  std::string bytes;
  try {
    bytes = regfile::Serialize(store, RootName(root));
    return ReplaceFileWith(path, bytes, SyncMode::SyncToDisk, 0600) == 0;
  } catch (...) {
    return false;  // text GBK cannot hold, or a test's stand-in for a crash
  }
}

// Reads the file afresh under the folder lock, lets change edit it and writes it back; false
// when the store cannot be written or change declines.
bool Mutate(RootKey root, const std::function<bool(Store&)>& change) {
  const std::string folder = RegistryFolder();
  if (!StoreWritable(folder, root, false)) return false;
  FolderLock lock(folder);
  if (!lock.Held()) return false;
  Store store;
  if (LoadStore(folder, root, store, true) == LoadResult::Unreadable) return false;
  if (!change(store)) return false;
  return SaveStore(StorePath(folder, root), root, store);
}

}  // namespace

TRegistry::TRegistry(RootKey root) : Root(root) {}

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const std::string& key, OpenMode mode) { return Open(key, mode, false); }

bool TRegistry::OpenKeyReadOnly(const std::string& key) { return Open(key, OpenMode::ExistingOnly, true); }

bool TRegistry::Open(const std::string& key, OpenMode mode, bool readOnly) {
  std::string path = regfile::NormalizePath(key);
  CloseKey();
  const std::string folder = RegistryFolder();
  if (!readOnly && !StoreWritable(folder, Root, mode == OpenMode::CreateIfMissing)) return false;
  Store store;
  if (LoadStore(folder, Root, store, false) == LoadResult::Unreadable && !readOnly) return false;
  std::vector<Value> values;
  if (store.Exists(path)) {
    if (const Key* k = store.Find(path)) values = k->values;
    path = store.Spelling(path);
  } else {
    if (readOnly || mode == OpenMode::ExistingOnly) return false;
    bool created = Mutate(Root, [&](Store& s) {
      if (!s.Exists(path)) s.keys.push_back(Key{s.Spelling(path), {}});
      path = s.Spelling(path);
      if (const Key* k = s.Find(path)) values = k->values;
      return true;
    });
    if (!created) return false;
  }
  open_ = true;
  readOnly_ = readOnly;
  currentPath_ = path;
  values_ = std::move(values);
  return true;
}

void TRegistry::CloseKey() {
  open_ = false;
  readOnly_ = false;
  currentPath_.clear();
  values_.clear();
}

bool TRegistry::KeyExists(const std::string& key) {
  Store store;
  LoadStore(RegistryFolder(), Root, store, false);
  return store.Exists(regfile::NormalizePath(key));
}

bool TRegistry::DeleteKey(const std::string& key) {
  const std::string path = regfile::NormalizePath(key);
  if (path.empty()) return false;  // the root itself stays
  bool removed = false;
  bool written = Mutate(Root, [&](Store& s) {
    removed = std::erase_if(s.keys, [&](const Key& k) { return regfile::IsAtOrBelow(k.path, path); }) > 0;
    return removed;
  });
  return written && removed;
}

const Value* TRegistry::Find(const std::string& name) const {
  if (!open_) return nullptr;
  for (const auto& v : values_)
    if (SameText(v.name, name)) return &v;
  return nullptr;
}

bool TRegistry::ValueExists(const std::string& name) { return Find(name) != nullptr; }

RegDataType TRegistry::GetDataType(const std::string& name) {
  const Value* v = Find(name);
  if (!v) return RegDataType::Unknown;
  switch (v->kind) {
    case regfile::kString: return RegDataType::String;
    case regfile::kExpandString: return RegDataType::ExpandString;
    case regfile::kBinary: return RegDataType::Binary;
    case regfile::kDword: return v->data.size() == 4 ? RegDataType::Integer : RegDataType::Unknown;
  }
  return RegDataType::Unknown;
}

std::string TRegistry::ReadString(const std::string& name) {
  const Value* v = Find(name);
  if (!v) return "";
  if (v->kind != regfile::kString && v->kind != regfile::kExpandString)
    throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  return v->text;
}

int TRegistry::ReadInteger(const std::string& name) {
  const Value* v = Find(name);
  if (!v) throw ERegistryException(Format("Failed to get data for '%s'", name.c_str()));
  if (GetDataType(name) != RegDataType::Integer)
    throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | v->data[i];
  return static_cast<int>(number);
}

std::vector<unsigned char> TRegistry::ReadBinaryData(const std::string& name) {
  const Value* v = Find(name);
  if (!v) return {};
  if (GetDataType(name) != RegDataType::Binary && GetDataType(name) != RegDataType::Unknown)
    throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  return v->data;
}

void TRegistry::Write(Value value) {
  std::vector<Value> after;
  bool ok = open_ && !readOnly_ && Mutate(Root, [&](Store& s) {
    if (!s.Exists(currentPath_)) return false;  // removed since it was opened
    Key* k = s.Find(currentPath_);
    if (!k) k = &s.keys.emplace_back(Key{currentPath_, {}});
    k->Set(value);
    after = k->values;
    return true;
  });
  if (!ok) throw ERegistryException(Format("Failed to set data for '%s'", value.name.c_str()));
  values_ = std::move(after);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  Write(Value{name, regfile::kString, value, {}});
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  Write(Value{name, regfile::kExpandString, value, {}});
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  auto number = static_cast<uint32_t>(value);
  Write(Value{name, regfile::kDword, "", {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                                          static_cast<unsigned char>(number >> 16), static_cast<unsigned char>(number >> 24)}});
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<unsigned char>& value) {
  Write(Value{name, regfile::kBinary, "", value});
}
