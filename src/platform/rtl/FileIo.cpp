// The system calls under every file the program reads or writes.
#include "platform/rtl/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {
std::atomic<std::uint64_t> fileChanges{0};
}  // namespace

void NoteFileChanged() { fileChanges.fetch_add(1, std::memory_order_relaxed); }
std::uint64_t FileChangeCount() { return fileChanges.load(std::memory_order_relaxed); }

int OpenRetrying(const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path, flags, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ReadAll(int fd, std::string& out, std::size_t limit) {
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (static_cast<std::size_t>(n) > limit - out.size()) {
      errno = EFBIG;
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}
