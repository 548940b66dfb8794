// Pictures and colours shared by the controls, the image lists and the tray icon.
#pragma once

#include <cstdint>
#include <vector>

using TColor = std::uint32_t;  // 0x00BBGGRR, as the layout gives colours
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWindowText = 0x80000008;  // the system's text colour
constexpr TColor clBtnFace = 0x8000000F;

// Straight (non-premultiplied) ARGB pixels, row by row.
struct TBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  bool Empty() const { return Width == 0 || Height == 0; }
};
