// The system calls under every file the program reads or writes, made to ride out signals.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// open() retried on EINTR: the descriptor, or -1 with errno set.
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

// Writes all bytes; false with errno set when the system refuses part of them.
bool WriteAll(int fd, std::string_view bytes);

// Appends everything left to read to `out`; false with errno set when reading fails, or with
// EFBIG once `out` would grow past `limit` bytes (a file is never read without bound).
bool ReadAll(int fd, std::string& out, std::size_t limit = std::numeric_limits<std::size_t>::max());

// Every change the program makes to a file through its own file functions (a replacement, an
// append, a removal) is counted, so a reader that trusts a parsed copy for a while knows that
// it must look at its file again.
void NoteFileChanged();
std::uint64_t FileChangeCount();
