// Who the machine is registered to, kept in the registry stand-in and seeded from the account.
#include "platform/os/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/os/Registry.h"
#include "platform/rtl/Exceptions.h"

std::string SystemOwnerName() {
  if (const passwd* pw = getpwuid(getuid())) {
    std::string gecos = pw->pw_gecos ? pw->pw_gecos : "";
    std::string fullName = gecos.substr(0, gecos.find(','));
    if (!fullName.empty()) return fullName;
    if (pw->pw_name && pw->pw_name[0]) return pw->pw_name;
  }
  const char* user = std::getenv("USER");
  return user ? user : "";
}

std::string RegisteredOwnerLine() {
  TRegistry reg(RootKey::HKEY_LOCAL_MACHINE);
  if (reg.OpenKeyReadOnly(kCurrentVersionKey))
    return reg.ReadString("RegisteredOrganization") + " " + reg.ReadString("RegisteredOwner");

  const std::string organization;
  const std::string owner = SystemOwnerName();
  try {
    TRegistry writer(RootKey::HKEY_LOCAL_MACHINE);
    if (writer.OpenKey(kCurrentVersionKey, OpenMode::CreateIfMissing)) {
      writer.WriteString("RegisteredOrganization", organization);
      writer.WriteString("RegisteredOwner", owner);
    }
  } catch (const ERegistryException&) {
    // Shown as found; the next start tries to store it again.
  }
  return organization + " " + owner;
}
