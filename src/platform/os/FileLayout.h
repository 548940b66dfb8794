// Where the program writes its own files and where it finds its default sounds.
#pragma once

#include <functional>
#include <string>

// What the decision needs to know about the machine. Tests hand in their own answers, as a
// process running as root may write nearly anywhere.
struct FolderFacts {
  // Whether the user may create files in the folder.
  std::function<bool(const std::string& folder)> Writable;
  // Whether the path names an existing folder.
  std::function<bool(const std::string& path)> IsFolder;
  std::string DataHome;  // $XDG_DATA_HOME, may be empty
  std::string Home;      // the user's home folder
};

// The machine's answers: access(2), stat(2) and the environment, read when called.
FolderFacts SystemFolderFacts();

struct FileLayout {
  // For "tamiro.ini", "Update/Update.ini", "chis.ini" and "Update.exe"; ends in "/".
  std::string WriteDir;
  // For "nl.mp3" and "zd.mp3"; ends in "/".
  std::string SoundDir;
  // WriteDir is the per-user folder, which is made on first use.
  bool PerUser = false;
};

// A portable copy (a folder the user may write: the build folder, a folder of its own in the
// home) keeps everything beside the program. A program the user may not write beside, or one
// under /usr, which stays read-only at run time even for root, writes to $XDG_DATA_HOME/tamiro/
// (else ~/.local/share/tamiro/). The sounds are read from PREFIX/share/tamiro/ when the program
// sits in PREFIX/bin/ and that folder exists, else from beside the program.
FileLayout DecideFileLayout(const std::string& programDir, const FolderFacts& facts);

// Makes the per-user folder, its missing parents and its "Update" subfolder, each with mode
// 0700. A folder that cannot be made is left to the write that follows, which reports it.
void MakePerUserFolder(const std::string& folder);
