// JPEG decoding with libjpeg.
#pragma once

#include <cstddef>

#include "platform/vcl/Graphics.h"

// Throws Exception on data that is not a JPEG picture.
TBitmap DecodeJpeg(const unsigned char* data, std::size_t size);
