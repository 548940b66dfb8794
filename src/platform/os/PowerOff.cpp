// Power-off through the login manager, started like any other program.
#include "platform/os/PowerOff.h"

#include "platform/os/Shell.h"

std::vector<std::string>& PowerOffCommand() {
  static std::vector<std::string> command{"systemctl", "poweroff"};
  return command;
}

void RequestPowerOff() { SpawnDetached(PowerOffCommand()); }
