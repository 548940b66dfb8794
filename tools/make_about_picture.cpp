// Draws the About page's picture (an alarm clock at dawn) and writes it as JPEG.
// Usage: make_about_picture out.jpg
#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  constexpr int W = 64, H = 64;
  std::vector<unsigned char> rgb(W * H * 3);
  auto put = [&](int x, int y, int r, int g, int b) {
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    unsigned char* p = &rgb[(y * W + x) * 3];
    p[0] = r, p[1] = g, p[2] = b;
  };
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {  // dawn sky: deep blue to warm orange
      double t = y / double(H - 1);
      put(x, y, int(40 + 215 * t), int(60 + 120 * t), int(140 - 60 * t));
    }
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      double dx = x - 32 + 0.5, dy = y - 34 + 0.5, d = std::sqrt(dx * dx + dy * dy);
      if (d < 22) put(x, y, 200, 30, 30);          // red case
      if (d < 18) put(x, y, 245, 245, 240);        // dial
      for (int s : {-1, 1}) {                      // bells on top
        double bx = x - (32 + s * 15), by = y - 13;
        if (bx * bx + by * by < 36 && by < 2) put(x, y, 200, 30, 30);
      }
    }
  auto hand = [&](double angle, double length, double width) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        double px = x + 0.5 - 32, py = y + 0.5 - 34;
        double ax = std::sin(angle), ay = -std::cos(angle);
        double along = px * ax + py * ay, across = std::fabs(px * ay - py * ax);
        if (along > -1 && along < length && across < width) put(x, y, 20, 20, 20);
      }
  };
  hand(-M_PI / 3, 9, 1.4);     // hour hand at ten
  hand(M_PI / 3, 14, 0.9);     // minute hand at two
  for (int i = 0; i < 12; ++i) {
    double a = i * M_PI / 6;
    put(int(32 + 15 * std::sin(a)), int(34 - 15 * std::cos(a)), 60, 60, 60);
  }

  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 1;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = W, info.image_height = H, info.input_components = 3, info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 92, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < H) {
    unsigned char* row = &rgb[info.next_scanline * W * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
  return 0;
}
