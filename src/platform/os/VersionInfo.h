// The version stamped into the program file, and where the program file is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The ELF section that holds the version block.
inline constexpr const char* kVersionSection = ".tamiro_version";

// Reads the string `key` of the string table `table` from the version block of an ELF program
// file (64-bit, of this machine's byte order). nullopt for a file that cannot be read, is no
// such ELF file, has no version section, or has no such table or key.
std::optional<std::string> ReadFileVersion(const std::string& programFile, const std::string& table = "080403A8",
                                           const std::string& key = "FileVersion");

// The same lookup in a block given as bytes: "VS_VERSION_INFO", "StringFileInfo", then per
// table its name and key/value pairs, an empty key ending the table and an empty name ending
// the tables, every string NUL-terminated. Table and key names compare without regard to case.
std::optional<std::string> FindVersionString(std::string_view block, std::string_view table, std::string_view key);

// The version block built into this program, as bytes (defined beside the block itself).
std::string_view BuiltInVersionBlock();
// A string of that block. Besides answering, it ties the block's object file to this one, so
// that a program taking any version function from the static library also gets the block.
std::optional<std::string> BuiltInFileVersion(const std::string& table = "080403A8",
                                              const std::string& key = "FileVersion");

// The running program's file (from /proc/self/exe); empty if it cannot be told.
std::string ProgramFile();
// Its directory, ending in "/".
std::string ProgramDir();
