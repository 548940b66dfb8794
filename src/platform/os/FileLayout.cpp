// The one decision of where files go, for a portable copy and for a system-wide install.
#include "platform/os/FileLayout.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "";
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// "/opt/tamiro/bin/" gives "/opt/tamiro/"; "" where the folder is not called bin.
std::string PrefixOfBin(const std::string& programDir) {
  std::string dir = programDir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::size_t slash = dir.rfind('/');
  if (slash == std::string::npos || dir.substr(slash + 1) != "bin") return "";
  return dir.substr(0, slash + 1);
}

bool UnderUsr(const std::string& dir) { return dir.rfind("/usr/", 0) == 0; }

}  // namespace

FolderFacts SystemFolderFacts() {
  FolderFacts facts;
  // Only a folder that refuses the user counts as not writable: a missing program folder is
  // left to the write, which reports it where the user expects the file.
  facts.Writable = [](const std::string& folder) {
    if (access(folder.c_str(), W_OK) == 0) return true;
    return errno != EACCES && errno != EROFS && errno != EPERM;
  };
  facts.IsFolder = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  facts.DataHome = Env("XDG_DATA_HOME");
  facts.Home = HomeFolder();
  return facts;
}

FileLayout DecideFileLayout(const std::string& programDir, const FolderFacts& facts) {
  FileLayout layout;
  layout.WriteDir = programDir;
  layout.SoundDir = programDir;
  std::string prefix = PrefixOfBin(programDir);
  if (!prefix.empty() && facts.IsFolder(prefix + "share/tamiro")) layout.SoundDir = prefix + "share/tamiro/";
  if (UnderUsr(programDir) || !facts.Writable(programDir)) {
    // A relative $XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    std::string base = !facts.DataHome.empty() && facts.DataHome[0] == '/' ? facts.DataHome
                                                                          : WithSlash(facts.Home) + ".local/share";
    layout.WriteDir = WithSlash(base) + "tamiro/";
    layout.PerUser = true;
  }
  return layout;
}

void MakePerUserFolder(const std::string& folder) {
  std::string path;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    path = folder.substr(0, i);
    if (!path.empty()) ::mkdir(path.c_str(), 0700);  // an existing one keeps its mode
  }
  ::mkdir((WithSlash(folder) + "Update").c_str(), 0700);
}
