// Replacing a file as a whole, so that a reader finds the old file or the new one and a
// save cut short leaves nothing behind.
//
// The new bytes go to a file beside the target that takes its place in one rename.
// Where the file system allows it, that file has no name while it is written (O_TMPFILE):
// a process killed then leaves nothing. It is given a hidden name ".<name>.<pid>.<n>.tmp"
// only once it is complete, just before the rename; elsewhere it carries that name from
// the start. Such names left by processes that no longer run are removed at the next
// replacement of the same file.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

// Whether a replaced file is pushed to the disk before it takes the old one's
// place. Files the user keeps are synced; a file rewritten key by key is not,
// as a sync per key would make writing many keys slow.
enum class SyncMode { SyncToDisk, LeaveToSystem };

// Writes the bytes and renames the new file over the path. A new file gets newFileMode
// (less the umask); a replaced one keeps the old file's permissions. Returns 0, or the
// errno of the step that failed, the old file then untouched and nothing left beside it.
int ReplaceFileWith(const std::string& path, std::string_view bytes, SyncMode sync, mode_t newFileMode);

// For tests. The hook runs halfway through the write and again just before the rename,
// with the temporary file's name (empty while it has none). It may throw, failing that
// save, or end the process, as a kill at that moment would.
enum class ReplaceStep { Writing, BeforeRename };
struct ReplaceSeams {
  std::function<void(ReplaceStep, const std::string& tempPath)> hook;
  bool namelessFiles = true;  // false: write under the hidden name, as where O_TMPFILE is missing
};
ReplaceSeams& FileReplaceSeams();
