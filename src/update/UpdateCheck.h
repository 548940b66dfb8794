// Where the online update check looks: the update server, whom it trusts, and the program file
// it compares.
#pragma once

#include <cstddef>
#include <string>

// The update server's base address, without a trailing "/". Only https:// is ever fetched.
// Tests point it at a server of their own.
std::string& UpdateServerAddress();
// A CA file (PEM) to trust in place of the system's store; empty: the system's. For tests.
std::string& UpdateCaFile();
// The release's Ed25519 public key (base64) that the updater's signature must verify against.
// Tests put a key of their own here.
std::string& UpdatePublicKey();
// The largest version page and updater taken; a larger reply is a failed request.
struct UpdateSizeLimits {
  std::size_t Page = std::size_t{1} << 20;
  std::size_t Updater = std::size_t{64} << 20;
};
UpdateSizeLimits& UpdateLimits();
// The program file whose last-write time and name are compared with the published release;
// empty: the running program's file. Tests point it at a file of their own.
std::string& UpdateProgramFile();
// That file's path, and its name (without directory): the section of the program's version page.
std::string UpdateProgramPath();
std::string UpdateSectionName();
