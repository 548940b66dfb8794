// The one-copy-at-a-time test: a window class name is claimed by holding a lock on a file.
#pragma once

#include <string>

// $XDG_RUNTIME_DIR, else /tmp/tamiro-<uid> (created 0700 when a claim needs it).
std::string InstanceLockFolder();

// True while another process, or another claim in this one, holds the name. Takes nothing.
bool WindowClassExists(const std::string& className);

// Holds "<className>.lock" in InstanceLockFolder() with an exclusive lock for as long as the
// object lives. The system drops the lock when the process ends, however it ends, so a crash
// never leaves a stale claim; programs started from here do not inherit it.
class WindowClassClaim {
 public:
  explicit WindowClassClaim(const std::string& className);
  ~WindowClassClaim();
  WindowClassClaim(const WindowClassClaim&) = delete;
  WindowClassClaim& operator=(const WindowClassClaim&) = delete;

  // False when someone else holds the name or the lock file could not be made.
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
