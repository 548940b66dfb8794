// Detached program starts through posix_spawn, each reaped by a thread of its own.
#include "platform/os/Shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

std::string& ShellOpenCommand() {
  static std::string command = "xdg-open";
  return command;
}

pid_t SpawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The child starts clean: no blocked or ignored signals of ours, its own session so that
  // our terminal or process group going away does not take it along, nothing to read.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return -1;

  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the child stays a zombie until we exit, which harms nothing else.
  }
  return pid;
}

void ShellOpen(const std::string& address) { SpawnDetached({ShellOpenCommand(), address}); }

void StartProgram(const std::string& path) {
  std::string program = path;
  struct stat st {};
  if (program.find('/') == std::string::npos && stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    program = "./" + program;
  SpawnDetached({program});
}
