// Opening addresses with the desktop's handler and starting programs, detached from ours.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The program that opens an address with the handler the desktop has for it. Tests point it
// at a script of their own.
std::string& ShellOpenCommand();

// Starts argv[0] with the arguments (a name without "/" is looked up on PATH) in a session of
// its own, with stdin from /dev/null, without waiting; a thread reaps it when it ends, so it
// never lingers as a zombie. Returns its process id, or -1 when it could not be started.
pid_t SpawnDetached(const std::vector<std::string>& argv);

// Opens the address ("http://…", "mailto:…") with ShellOpenCommand(). The outcome is ignored.
void ShellOpen(const std::string& address);

// Starts a program. A name without a directory is first looked for in the current
// directory, then on PATH. The outcome is ignored.
void StartProgram(const std::string& path);
