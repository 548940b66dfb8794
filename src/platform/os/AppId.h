// The name the desktop knows the program by: its menu entry, icons, metadata and sound stream.
#pragma once

// The id of the desktop entry (com.example.Tamiro.desktop), which is also the icons' name.
inline constexpr const char* kDesktopEntryId = "com.example.Tamiro";
