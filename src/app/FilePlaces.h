// Where this run keeps its files, decided from the program's folder (see os/FileLayout.h).
#pragma once

#include <functional>
#include <string>

// Replaces the question whether the user may write a folder; empty: ask the system. Tests set
// it, as root may write where a user may not.
std::function<bool(const std::string& folder)>& WritableCheck();

// The folder for the schedule file and the update files, ending in "/". The per-user folder is
// made (mode 0700) when first asked for.
std::string WriteDir();
// The folder of the default sounds "nl.mp3" and "zd.mp3", ending in "/".
std::string SoundDir();
