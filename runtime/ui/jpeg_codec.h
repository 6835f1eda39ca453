#pragma once
// JPEG through libjpeg. Any libjpeg error jumps back here and makes the call fail; its
// messages are silenced. Grayscale and YCbCr pictures decode to 24-bit pixels, CMYK and
// YCCK ones through R = C x K / 255 (and so on) on the inverted values libjpeg delivers.
// A picture cut short decodes as far as its data go (libjpeg fills the rest); one whose
// header is incomplete fails. Stateless: safe on any thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "images.h"

bool JpegDecode(const uint8_t* data, size_t size, ImageBitmap& out);
// `quality` 0..10 (clamped) becomes libjpeg quality x 10, without forcing baseline tables.
bool JpegEncode24(const ImageBitmap& in, int64_t quality, std::vector<uint8_t>& out);
