#pragma once
// BMP files and the device-independent bitmaps inside them (also used by icons).
// Reads 1, 2, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit-field masks,
// bottom-up or top-down, with the core (12-byte) or a Windows info header; every offset,
// palette and row is checked against the data, so damaged files fail cleanly.
// Writes 24-bit and 32-bit files. Stateless: safe on any thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "images.h"

// The header of a device-independent bitmap, with its palette and masks.
struct DibLayout {
  int64_t width = 0;
  int64_t height = 0;  // rows as declared, without sign
  bool topDown = false;
  int bitCount = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (16 and 32 bits)
  std::vector<uint32_t> palette;     // 0x00RRGGBB
  size_t headerEnd = 0;              // first byte after header, masks and palette
};

// Reads the info header at the start of `dib`; false for what this decoder cannot read.
bool DibReadLayout(const uint8_t* dib, size_t size, DibLayout& layout);
// Bytes per row of a bitmap of that width and bit count (rows are padded to 4 bytes).
int64_t DibStride(int64_t width, int bitCount);
// Makes `out` a bitmap of the layout's size in `depth` (24 or 32) and converts the
// layout's rows from `pixels`; false when the rows need more than `available` bytes or
// the picture is too large. 32-bit output takes alpha from the alpha mask, else 255.
bool DibReadPixels(const DibLayout& layout, const uint8_t* pixels, size_t available,
                   int depth, ImageBitmap& out);

// A "BM" file into a 24-bit bitmap.
bool BmpDecode(const uint8_t* data, size_t size, ImageBitmap& out);
// A file of the bitmap's pixels as they are (24 or 32 bits); `quality` has no effect.
bool BmpEncode24(const ImageBitmap& in, int64_t quality, std::vector<uint8_t>& out);
bool BmpEncode32(const ImageBitmap& in, int64_t quality, std::vector<uint8_t>& out);
