// Whole-file replacement through a nameless (else hidden) file beside the target and one rename.
#include "platform/rtl/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/rtl/FileIo.h"

ReplaceSeams& FileReplaceSeams() {
  static ReplaceSeams seams;
  return seams;
}

namespace {

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void RunHook(ReplaceStep step, const std::string& tempPath) {
  if (auto& hook = FileReplaceSeams().hook) hook(step, tempPath);
}

// ".<name>.<pid>." — the stem of every temporary name of that file written by that process.
std::string TempStem(const std::string& dir, const std::string& name, pid_t pid) {
  return dir + "/." + name + "." + std::to_string(pid) + ".";
}

// The pid in ".<name>.<pid>.<n>.tmp", or 0 when the entry is not such a name.
pid_t TempOwner(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  if (entry.size() <= prefix.size() + 4 || entry.compare(0, prefix.size(), prefix) != 0 || !entry.ends_with(".tmp"))
    return 0;
  std::string_view rest(entry.data() + prefix.size(), entry.size() - prefix.size() - 4);
  std::size_t dot = rest.find('.');
  if (dot == 0 || dot == std::string_view::npos) return 0;
  long long pid = 0;
  for (char c : rest.substr(0, dot)) {
    if (c < '0' || c > '9' || pid > 1 << 30) return 0;
    pid = pid * 10 + (c - '0');
  }
  for (char c : rest.substr(dot + 1))
    if (c < '0' || c > '9') return 0;
  return static_cast<pid_t>(pid);
}

// Temporaries of this file left by processes that were killed while saving it.
void RemoveStaleTemporaries(const std::string& dir, const std::string& name) {
  DIR* listing = ::opendir(dir.c_str());
  if (!listing) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(listing)) {
    pid_t owner = TempOwner(entry->d_name, name);
    if (owner <= 0 || owner == self) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to judge
    ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}

// A hidden name not taken yet; false with errno set when none could be had.
template <class Make>
bool TakeTempName(const std::string& stem, std::string& tempPath, Make make) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = stem + std::to_string(counter++) + ".tmp";
    if (make(tempPath)) return true;
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return false;
}

void SyncDirectory(const std::string& dir) {
  int fd = OpenRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself already happened
  ::close(fd);
}

// The file being written: closed, and its name (if it has one yet) removed, unless it was renamed.
struct Pending {
  int fd = -1;
  std::string tempPath;
  bool done = false;
  ~Pending() {
    if (fd >= 0) ::close(fd);
    if (!done && !tempPath.empty()) ::unlink(tempPath.c_str());
  }
};

// Gives the nameless file its hidden name, through /proc (any user) or by its descriptor alone.
bool LinkNameless(int fd, const std::string& tempPath) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  return ::linkat(fd, "", AT_FDCWD, tempPath.c_str(), AT_EMPTY_PATH) == 0;
}

// One try; linkFailed tells that the nameless file could not be given a name at all.
int Attempt(const std::string& path, std::string_view bytes, SyncMode sync, mode_t newFileMode, bool tryNameless,
            bool& linkFailed) {
  const std::string dir = DirectoryOf(path);
  const std::string stem = TempStem(dir, NameOf(path), ::getpid());
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;

  Pending file;
  bool nameless = false;
  if (tryNameless) {
    file.fd = OpenRetrying(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, newFileMode);
    nameless = file.fd >= 0;  // else the file system has no nameless files: use a name from the start
  }
  if (!nameless && !TakeTempName(stem, file.tempPath, [&](const std::string& name) {
        file.fd = OpenRetrying(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, newFileMode);
        return file.fd >= 0;
      }))
    return errno;
  if (exists) ::fchmod(file.fd, old.st_mode & 07777);

  const std::size_t half = bytes.size() / 2;
  if (!WriteAll(file.fd, bytes.substr(0, half))) return errno;
  RunHook(ReplaceStep::Writing, file.tempPath);
  if (!WriteAll(file.fd, bytes.substr(half))) return errno;
  if (sync == SyncMode::SyncToDisk && ::fsync(file.fd) != 0) return errno;
  if (nameless &&
      !TakeTempName(stem, file.tempPath, [&](const std::string& name) { return LinkNameless(file.fd, name); })) {
    linkFailed = true;
    return errno;
  }
  // close() may report a delayed write error; EINTR still closes on Linux.
  int closed = ::close(file.fd);
  file.fd = -1;
  if (closed != 0 && errno != EINTR) return errno;

  RunHook(ReplaceStep::BeforeRename, file.tempPath);
  if (::rename(file.tempPath.c_str(), path.c_str()) != 0) return errno;
  file.done = true;
  if (sync == SyncMode::SyncToDisk) SyncDirectory(dir);
  return 0;
}

}  // namespace

int ReplaceFileWith(const std::string& path, std::string_view bytes, SyncMode sync, mode_t newFileMode) {
  RemoveStaleTemporaries(DirectoryOf(path), NameOf(path));
  bool linkFailed = false;
  int error = Attempt(path, bytes, sync, newFileMode, FileReplaceSeams().namelessFiles, linkFailed);
  // Without /proc and without the right to link by descriptor, write it under its name instead.
  if (linkFailed) error = Attempt(path, bytes, sync, newFileMode, false, linkFailed);
  NoteFileChanged();
  return error;
}
