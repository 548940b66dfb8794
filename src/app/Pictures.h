// The pictures and texts the window carries with it.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"

// 32 × 32: a square clock face, red frame, grey dial, black hands.
TBitmap MakeClockPicture();
// 32 × 32, every pixel transparent: the "off" half of the blinking.
TBitmap MakeTransparentPicture();
// 18 × 15 open folder for the sound-file choosers.
TBitmap MakeFolderGlyph();
// The About page's picture, decoded from the JPEG built into the program.
TBitmap AboutPicture();
// The release notes of the page "升级信息".
std::vector<std::string> ReleaseNotes();
