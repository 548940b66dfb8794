# Turns the About picture into a C++ byte array.
file(READ ${IN_ABOUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "// Generated from assets/about.jpg.\n#include <cstddef>\n"
  "extern const unsigned char kAboutJpeg[] = {${bytes}};\n"
  "extern const std::size_t kAboutJpegSize = sizeof(kAboutJpeg);\n")
