// Asking the login manager to power the machine off.
#pragma once

#include <string>
#include <vector>

// The command that asks for it: {"systemctl", "poweroff"}, without forcing, so the login
// manager asks running programs first. Kept changeable so a test can point it elsewhere.
std::vector<std::string>& PowerOffCommand();

// Starts PowerOffCommand() detached; the outcome is ignored.
void RequestPowerOff();
