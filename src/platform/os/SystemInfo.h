// Facts about the machine and its user that the About page shows.
#pragma once

#include <string>

// The key under HKEY_LOCAL_MACHINE that holds who the machine is registered to.
inline constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";

// RegisteredOrganization, a blank, RegisteredOwner, read from kCurrentVersionKey; a missing
// value reads as empty, so the line can be the blank alone. When the key does not exist it is
// filled in once from the system (no organisation; the user's full name, else the login name)
// with an ordinary write, so that a person can edit it later; when that write fails the values
// are returned all the same. A value stored as another kind than text raises ERegistryException.
std::string RegisteredOwnerLine();

// The user's full name from the account (its first comma-separated field), else the login name.
std::string SystemOwnerName();
