// Text files on disk: one-line appends, atomic whole-file replacement, loading.
#include "platform/rtl/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileIo.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/Text.h"

namespace {

[[noreturn]] void ThrowInOutError(int error) {
  switch (error) {
    case ENOENT: throw EInOutError("File not found", 2);
    // A read-only file, a read-only disk or a folder where the file should be.
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: throw EInOutError("File access denied", 5);
    default: throw EInOutError(Format("I/O error %d", error), error);
  }
}

[[noreturn]] void ThrowCreateError(const std::string& path, int error) {
  throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(), std::strerror(error)));
}

// close() may report a delayed write error; EINTR still closes on Linux.
bool CloseChecked(int fd) { return ::close(fd) == 0 || errno == EINTR; }

}  // namespace

void AppendLine(const std::string& path, std::string_view line, OpenVariant variant) {
  std::string bytes = Utf8ToGbk(line);
  bytes += "\r\n";
  int flags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY;
  if (variant == OpenVariant::CreateIfMissing) flags |= O_CREAT;
  int fd = OpenRetrying(path.c_str(), flags, 0666);
  if (fd < 0) ThrowInOutError(errno);
  const bool written = WriteAll(fd, bytes);
  NoteFileChanged();  // even part of a line changes the file
  if (!written) {
    int error = errno;
    ::close(fd);
    ThrowInOutError(error);
  }
  if (!CloseChecked(fd)) ThrowInOutError(errno);
}

void ReplaceFileBytes(const std::string& path, std::string_view bytes, SyncMode sync) {
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) ThrowCreateError(path, EISDIR);
  // Renaming over a read-only file would succeed; refuse it as writing would.
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    ThrowCreateError(path, errno);

  if (int error = ReplaceFileWith(path, bytes, sync, 0666)) ThrowCreateError(path, error);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  // Converted as a whole first: a line GBK cannot hold leaves the old file alone.
  ReplaceFileBytes(path, Utf8ToGbk(text), SyncMode::SyncToDisk);
}

std::vector<std::string> LoadLines(const std::string& path) {
  int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    ThrowInOutError(errno);
  }
  std::string bytes;
  if (!ReadAll(fd, bytes)) {
    int error = errno;
    ::close(fd);
    ThrowInOutError(error);
  }
  ::close(fd);
  return SplitLines(GbkToUtf8(bytes));
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
  const bool deleted = ::unlink(path.c_str()) == 0;
  if (deleted) NoteFileChanged();
  return deleted;
}
