// JPEG decoding with libjpeg; its fatal errors become exceptions instead of exit().
#include "platform/vcl/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "platform/rtl/Exceptions.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

}  // namespace

TBitmap DecodeJpeg(const unsigned char* data, std::size_t size) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  TBitmap picture;
  std::vector<unsigned char> row;  // before setjmp, so a jump skips no constructor
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    throw Exception(std::string("JPEG: ") + errors.message);
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture.Width = static_cast<int>(info.output_width);
  picture.Height = static_cast<int>(info.output_height);
  picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * picture.Height);
  row.resize(static_cast<std::size_t>(picture.Width) * 3);
  while (info.output_scanline < info.output_height) {
    unsigned char* rows[] = {row.data()};
    int y = static_cast<int>(info.output_scanline);
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < picture.Width; ++x)
      picture.Pixels[y * picture.Width + x] =
          0xFF000000u | (row[x * 3] << 16) | (row[x * 3 + 1] << 8) | row[x * 3 + 2];
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return picture;
}
