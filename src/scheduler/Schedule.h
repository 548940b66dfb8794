// Where the schedule file lives.
#pragma once

#include <string>

// "tamiro.ini" in the program folder.
std::string ScheduleFilePath();
