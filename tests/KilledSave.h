// A save cut short as a kill would cut it: the save runs in a child process that dies the
// moment the file code reaches a chosen step, and leaves on disk what such a death leaves.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/rtl/FileReplace.h"

struct KilledSave {
  pid_t pid;        // the child's, gone by the time this returns
  bool diedAtStep;  // false: the save ended or failed without reaching the step
};

inline KilledSave SaveKilledAt(ReplaceStep step, const std::function<void()>& save) {
  pid_t child = fork();
  if (child == 0) {
    FileReplaceSeams().hook = [step](ReplaceStep reached, const std::string&) {
      if (reached == step) _exit(0);
    };
    try {
      save();
    } catch (...) {
    }
    _exit(3);  // the save never reached the step
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {child, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}
