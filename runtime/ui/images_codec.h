#pragma once
// What the codecs share with the image service: a decoder turns encoded bytes into a
// bitmap (false when the data are not its format or are damaged), an encoder turns a
// bitmap into the bytes of a file. Codecs are plain functions without shared state, so
// they run on any thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "images.h"

using ImageDecodeRoutine = bool (*)(const uint8_t* data, size_t size, ImageBitmap& out);
using ImageEncodeRoutine = bool (*)(const ImageBitmap& in, int64_t quality,
                                    std::vector<uint8_t>& out);

// Gives the bitmap its size and zeroed pixel memory; false for sizes that are empty or
// beyond kImageMaxPixelBytes, or when memory runs out.
bool ImageBitmapAllocate(ImageBitmap& bitmap, int64_t width, int64_t height, int depth);

// Little-endian reads and writes; the caller checks the bounds.
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }
inline void AppendU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
  AppendU16(out, v & 0xFFFF);
  AppendU16(out, v >> 16);
}
