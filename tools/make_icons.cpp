// Draws the program's icon, the red-framed clock of the tray, as PNG files of the menu sizes
// and as a scalable SVG. The shapes are those of the tray picture, on its 32-unit grid.
// Usage: make_icons OUTDIR   (writes OUTDIR/<size>.png and OUTDIR/scalable.svg)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <png.h>

namespace {

struct Colour {
  double r, g, b;
  const char* hex;
};
constexpr Colour kDarkRed{0x90, 0x10, 0x10, "#901010"};
constexpr Colour kRed{0xD0, 0x18, 0x18, "#d01818"};
constexpr Colour kGrey{0xC4, 0xC4, 0xC4, "#c4c4c4"};
constexpr Colour kBlack{0, 0, 0, "#000000"};

struct Rect {
  double x0, y0, x1, y1;
  Colour colour;
};
struct Stroke {  // a line with round ends
  double x0, y0, x1, y1, width;
};

// Painted in order, each over the last.
const Rect kRects[] = {
    {1, 1, 31, 31, kDarkRed},  // rim
    {2, 2, 30, 30, kRed},      // frame
    {4, 4, 28, 28, kGrey},     // dial
};
constexpr double kMarkRadius = 10.5, kMarkSize = 1.2;
const Stroke kHands[] = {
    {16, 16, 16 - 5.5, 16 - 3.2, 2.2},  // hour hand towards ten
    {16, 16, 16 + 4.2, 16 - 8.4, 1.6},  // minute hand towards two
};
constexpr double kHub = 1.0;  // half the side of the square at the centre

double MarkX(int i) { return 16 + kMarkRadius * std::sin(i * M_PI / 6); }
double MarkY(int i) { return 16 - kMarkRadius * std::cos(i * M_PI / 6); }

bool InStroke(const Stroke& s, double px, double py) {
  double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  double t = std::fmax(0.0, std::fmin(1.0, ((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy)));
  double ex = s.x0 + t * dx - px, ey = s.y0 + t * dy - py;
  return ex * ex + ey * ey <= s.width * s.width / 4;
}

// The colour at a point of the 32-unit grid; false where the picture is clear.
bool ColourAt(double px, double py, Colour& out) {
  bool any = false;
  for (const Rect& r : kRects)
    if (px >= r.x0 && px < r.x1 && py >= r.y0 && py < r.y1) out = r.colour, any = true;
  if (!any) return false;
  for (int i = 0; i < 12; ++i)
    if (std::fabs(px - MarkX(i)) < kMarkSize / 2 && std::fabs(py - MarkY(i)) < kMarkSize / 2) out = kBlack;
  for (const Stroke& s : kHands)
    if (InStroke(s, px, py)) out = kBlack;
  if (std::fabs(px - 16) < kHub && std::fabs(py - 16) < kHub) out = kBlack;
  return true;
}

// Each pixel averages 8 × 8 samples, so small sizes stay smooth.
std::vector<std::uint8_t> Render(int size) {
  constexpr int kSamples = 8;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
  const double scale = 32.0 / size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          Colour c{};
          if (!ColourAt((x + (sx + 0.5) / kSamples) * scale, (y + (sy + 0.5) / kSamples) * scale, c)) continue;
          r += c.r, g += c.g, b += c.b, a += 1;
        }
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
      if (a > 0) p[0] = std::lround(r / a), p[1] = std::lround(g / a), p[2] = std::lround(b / a);
      p[3] = std::lround(255 * a / (kSamples * kSamples));
    }
  return rgba;
}

bool WritePng(const std::string& path, int size, const std::vector<std::uint8_t>& rgba) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < size; ++y) png_write_row(png, &rgba[static_cast<std::size_t>(y) * size * 4]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

std::string Svg() {
  char buf[256];
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n";
  for (const Rect& r : kRects) {
    std::snprintf(buf, sizeof buf, "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n", r.x0, r.y0,
                  r.x1 - r.x0, r.y1 - r.y0, r.colour.hex);
    svg += buf;
  }
  for (int i = 0; i < 12; ++i) {
    std::snprintf(buf, sizeof buf, "  <rect x=\"%.3f\" y=\"%.3f\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n",
                  MarkX(i) - kMarkSize / 2, MarkY(i) - kMarkSize / 2, kMarkSize, kMarkSize, kBlack.hex);
    svg += buf;
  }
  for (const Stroke& s : kHands) {
    std::snprintf(buf, sizeof buf,
                  "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"%g\" "
                  "stroke-linecap=\"round\"/>\n",
                  s.x0, s.y0, s.x1, s.y1, kBlack.hex, s.width);
    svg += buf;
  }
  std::snprintf(buf, sizeof buf, "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n", 16 - kHub,
                16 - kHub, 2 * kHub, 2 * kHub, kBlack.hex);
  svg += buf;
  return svg + "</svg>\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icons OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    if (!WritePng(dir + "/" + std::to_string(size) + ".png", size, Render(size))) {
      std::fprintf(stderr, "cannot write %s/%d.png\n", dir.c_str(), size);
      return 1;
    }
  FILE* svg = std::fopen((dir + "/scalable.svg").c_str(), "wb");
  if (!svg) return 1;
  std::string text = Svg();
  std::fwrite(text.data(), 1, text.size(), svg);
  return std::fclose(svg) == 0 ? 0 : 1;
}
