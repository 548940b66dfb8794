// Drawn pictures (tray clock, folder glyph), the About picture and the release notes.
#include "app/Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "platform/vcl/Jpeg.h"

extern const unsigned char kAboutJpeg[];
extern const std::size_t kAboutJpegSize;

namespace {

constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kRed = 0xFFD01818;
constexpr std::uint32_t kDarkRed = 0xFF901010;
constexpr std::uint32_t kGrey = 0xFFC4C4C4;
constexpr std::uint32_t kBlack = 0xFF000000;

TBitmap Blank(int width, int height) { return TBitmap{width, height, std::vector<std::uint32_t>(width * height, kClear)}; }

void Put(TBitmap& b, int x, int y, std::uint32_t colour) {
  if (x >= 0 && y >= 0 && x < b.Width && y < b.Height) b.Pixels[y * b.Width + x] = colour;
}

void Line(TBitmap& b, double x0, double y0, double x1, double y1, double thickness, std::uint32_t colour) {
  for (int y = 0; y < b.Height; ++y)
    for (int x = 0; x < b.Width; ++x) {
      double px = x + 0.5, py = y + 0.5, dx = x1 - x0, dy = y1 - y0;
      double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      double ex = x0 + t * dx - px, ey = y0 + t * dy - py;
      if (ex * ex + ey * ey <= thickness * thickness / 4) Put(b, x, y, colour);
    }
}

}  // namespace

TBitmap MakeClockPicture() {
  TBitmap b = Blank(32, 32);
  for (int y = 1; y < 31; ++y)
    for (int x = 1; x < 31; ++x) {
      bool frame = x < 4 || y < 4 || x > 27 || y > 27;
      bool edge = x == 1 || y == 1 || x == 30 || y == 30;
      Put(b, x, y, edge ? kDarkRed : frame ? kRed : kGrey);
    }
  for (int i = 0; i < 12; ++i) {  // hour marks
    double a = i * M_PI / 6;
    Put(b, static_cast<int>(16 + 10.5 * std::sin(a)), static_cast<int>(16 - 10.5 * std::cos(a)), kBlack);
  }
  Line(b, 16, 16, 16 - 5.5, 16 - 3.2, 2.2, kBlack);  // hour hand towards ten
  Line(b, 16, 16, 16 + 4.2, 16 - 8.4, 1.6, kBlack);  // minute hand towards two
  Put(b, 15, 15, kBlack), Put(b, 16, 15, kBlack), Put(b, 15, 16, kBlack), Put(b, 16, 16, kBlack);
  return b;
}

TBitmap MakeTransparentPicture() { return Blank(32, 32); }

TBitmap MakeFolderGlyph() {
  TBitmap b = Blank(18, 15);
  constexpr std::uint32_t kBack = 0xFFD9A520, kFront = 0xFFF5CD50, kRim = 0xFF7A5A10;
  for (int y = 2; y < 14; ++y)
    for (int x = 1; x < 15; ++x) Put(b, x, y, (y == 2 && x > 6) ? kClear : kBack);
  for (int y = 6; y < 14; ++y)
    for (int x = 3 - (y - 6) / 4; x < 17 - (y - 6) / 3; ++x) Put(b, x, y, kFront);
  for (int x = 1; x < 17; ++x) Put(b, x, 14, kRim);
  return b;
}

TBitmap AboutPicture() {
  try {
    return DecodeJpeg(kAboutJpeg, kAboutJpegSize);
  } catch (const std::exception&) {
    return TBitmap{};  // an empty picture box rather than no window
  }
}

std::vector<std::string> ReleaseNotes() {
  return {
      "Velora  V 1.2.0.105 正式版  发布时间：2006-01-18 21:15",
      "功能介绍：",
      "①可以添加任意多条闹钟记录，每条记录都可以设定",
      "  自己的铃声，支持MP3和WAV格式。",
      "②到时间可以提醒您要做的事情；响铃方式有只响一次、",
      "  每天都响、周一到五和周末四种。",
      "③记录列表可以保存为文件，以后再读取，",
      "  连同每条记录的选中标记。",
      "④程序只允许运行一个，再次运行时会提示您。",
      "⑤可以隐藏到任务栏右下角的托盘区，",
      "  响铃时托盘图标会闪烁。",
      "⑥定时关机：可以指定关机时间，",
      "  也可以设定从计时开始多长时间后关机。",
      "⑦日志：记录程序的每一次活动，",
      "  可以自动保存到Tamiro.Log，也可以手动保存。",
      "⑧在线升级：点击窗口右下角的“在线升级”按钮，",
      "  检查是否有新版本。",
      "",
      "感谢您的使用！",
  };
}
