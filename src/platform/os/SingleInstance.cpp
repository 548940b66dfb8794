// Window class claims as flock()ed files in the user's runtime folder.
#include "platform/os/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string LockPath(const std::string& className) {
  std::string name = className;
  for (char& c : name)
    if (c == '/') c = '_';
  return InstanceLockFolder() + "/" + name + ".lock";
}

// The /tmp fallback lies in a folder everyone can write, so it must be a private folder of
// our own, not one someone else put there for us.
bool EnsureFolder(const std::string& folder) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return true;
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

}  // namespace

std::string InstanceLockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  return "/tmp/tamiro-" + std::to_string(getuid());
}

bool WindowClassExists(const std::string& className) {
  int fd = open(LockPath(className).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;  // never claimed since the folder was made
  int rc;
  while ((rc = flock(fd, LOCK_SH | LOCK_NB)) != 0 && errno == EINTR) {
  }
  const bool taken = rc != 0 && errno == EWOULDBLOCK;
  close(fd);  // also drops the shared lock if we got it
  return taken;
}

WindowClassClaim::WindowClassClaim(const std::string& className) {
  if (!EnsureFolder(InstanceLockFolder())) return;
  int fd = open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  int rc;
  while ((rc = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (rc != 0) {
    close(fd);
    return;
  }
  fd_ = fd;
}

WindowClassClaim::~WindowClassClaim() {
  if (fd_ >= 0) close(fd_);
}
