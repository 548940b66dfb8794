// Where the online update check looks: the update server and the program file it compares.
#pragma once

#include <string>

// The update server's base address, without a trailing "/". Tests point it at a server of their own.
std::string& UpdateServerAddress();
// The program file whose last-write time and name are compared with the published release;
// empty: the running program's file. Tests point it at a file of their own.
std::string& UpdateProgramFile();
// That file's path, and its name (without directory): the section of the program's version page.
std::string UpdateProgramPath();
std::string UpdateSectionName();
