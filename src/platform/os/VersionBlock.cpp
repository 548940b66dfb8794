// The version block built into the program, in a section of its own where the file reader finds it.
#include <string_view>

#include "platform/os/VersionInfo.h"

#ifndef TAMIRO_VERSION
#error "TAMIRO_VERSION must come from the build (the project's version)"
#endif

// Adjacent literals are joined after escapes are read, so "\0" never swallows a following digit.
#define VERSION_ENTRY(text) text "\0"

namespace {

// Kept by "used" even though nothing in the program reads it as data but BuiltInVersionBlock.
__attribute__((used, section(".tamiro_version"), aligned(16))) const char kVersionBlock[] =
    VERSION_ENTRY("VS_VERSION_INFO")
    VERSION_ENTRY("StringFileInfo")
        VERSION_ENTRY("080403A8")
            VERSION_ENTRY("FileVersion") VERSION_ENTRY(TAMIRO_VERSION)
            VERSION_ENTRY("ProductName") VERSION_ENTRY("Velora")
        VERSION_ENTRY("")  // end of the table
    VERSION_ENTRY("");     // end of the tables

}  // namespace

// BuiltInFileVersion calls this, so taking the version functions from the static library
// brings this file, and with it the section, into the program.
std::string_view BuiltInVersionBlock() { return {kVersionBlock, sizeof kVersionBlock}; }
