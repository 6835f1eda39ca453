#include "bmp_codec.h"

#include <bit>
#include <cstring>
#include <limits>

#include "images_codec.h"

namespace {

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionAlphaBitFields = 6;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kFileHeaderSize = 14;

bool IsKnownHeaderSize(size_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

bool IsKnownBitCount(int bits) {
  return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
         bits == 32;
}

// A usable mask is one run of set bits (an empty alpha mask means no alpha).
bool IsContiguous(uint32_t mask) {
  if (mask == 0) return false;
  uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

void SetDefaultMasks(DibLayout& layout) {
  if (layout.bitCount == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
    layout.masks[3] = 0;
  } else {
    layout.masks[0] = 0xFF0000;
    layout.masks[1] = 0xFF00;
    layout.masks[2] = 0xFF;
    layout.masks[3] = 0xFF000000;  // only icons look at it
  }
}

// Masks come inside the longer headers or right after the 40-byte one.
bool ReadMasks(const uint8_t* dib, size_t size, size_t headerSize, uint32_t compression,
               DibLayout& layout, size_t& masksEnd) {
  masksEnd = headerSize;
  if (compression == kCompressionNone) {
    SetDefaultMasks(layout);
    return true;
  }
  size_t count = compression == kCompressionAlphaBitFields ? 4 : 3;
  size_t at = kInfoHeaderSize;
  if (headerSize == kInfoHeaderSize) {
    masksEnd = headerSize + 4 * count;
    if (masksEnd > size) return false;
  } else if (headerSize < kInfoHeaderSize + 4 * count) {
    return false;
  }
  if (headerSize >= 56) count = 4;
  for (size_t i = 0; i < count; ++i) layout.masks[i] = ReadU32(dib + at + 4 * i);
  for (int i = 0; i < 3; ++i)
    if (!IsContiguous(layout.masks[i])) return false;
  return layout.masks[3] == 0 || IsContiguous(layout.masks[3]);
}

bool ReadPalette(const uint8_t* dib, size_t size, size_t start, size_t entrySize,
                 uint32_t used, DibLayout& layout) {
  layout.headerEnd = start;
  if (layout.bitCount > 8) return true;
  uint32_t most = 1u << layout.bitCount;
  uint32_t count = used ? used : most;
  if (count > most) return false;
  if (count > (size - start) / entrySize) return false;
  layout.palette.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = dib + start + i * entrySize;
    layout.palette[i] = static_cast<uint32_t>(entry[2]) << 16 |
                        static_cast<uint32_t>(entry[1]) << 8 | entry[0];
  }
  layout.headerEnd = start + count * entrySize;
  return true;
}

bool ReadCoreLayout(const uint8_t* dib, size_t size, DibLayout& layout) {
  layout.width = ReadU16(dib + 4);
  layout.height = ReadU16(dib + 6);
  layout.bitCount = ReadU16(dib + 10);
  if (layout.width == 0 || layout.height == 0) return false;
  if (!IsKnownBitCount(layout.bitCount) || layout.bitCount == 16 || layout.bitCount == 32)
    return false;
  return ReadPalette(dib, size, kCoreHeaderSize, 3, 0, layout);
}

bool ReadInfoLayout(const uint8_t* dib, size_t size, size_t headerSize, DibLayout& layout) {
  int64_t height = ReadI32(dib + 8);
  layout.width = ReadI32(dib + 4);
  layout.topDown = height < 0;
  layout.height = height < 0 ? -height : height;
  layout.bitCount = ReadU16(dib + 14);
  uint32_t compression = ReadU32(dib + 16);
  if (layout.width <= 0 || layout.height == 0 || !IsKnownBitCount(layout.bitCount))
    return false;
  bool maskable = layout.bitCount == 16 || layout.bitCount == 32;
  bool masked =
      compression == kCompressionBitFields || compression == kCompressionAlphaBitFields;
  if (!(compression == kCompressionNone || (masked && maskable))) return false;
  size_t masksEnd = headerSize;
  if (maskable && !ReadMasks(dib, size, headerSize, compression, layout, masksEnd))
    return false;
  return ReadPalette(dib, size, masksEnd, 4, ReadU32(dib + 32), layout);
}

// One channel of a packed pixel, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
  }
  uint8_t From(uint32_t pixel) const {
    if (bits == 0) return 255;
    uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    return static_cast<uint8_t>(value * 255 / ((1u << bits) - 1));
  }
};

struct RowConverter {
  const DibLayout& layout;
  int outBytes;
  Channel red, green, blue, alpha;

  RowConverter(const DibLayout& l, int depth)
      : layout(l), outBytes(depth / 8), red(l.masks[0]), green(l.masks[1]),
        blue(l.masks[2]), alpha(l.masks[3]) {}

  void Put(uint8_t*& out, uint8_t b, uint8_t g, uint8_t r, uint8_t a) const {
    out[0] = b;
    out[1] = g;
    out[2] = r;
    if (outBytes == 4) out[3] = a;
    out += outBytes;
  }

  void Indexed(const uint8_t* src, uint8_t* out) const {
    int bits = layout.bitCount;
    uint32_t valueMask = (1u << bits) - 1;
    for (int64_t x = 0; x < layout.width; ++x) {
      int64_t bit = x * bits;
      int shift = 8 - bits - static_cast<int>(bit & 7);
      uint32_t index = (src[bit >> 3] >> shift) & valueMask;
      uint32_t colour = index < layout.palette.size() ? layout.palette[index] : 0;
      Put(out, static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
          static_cast<uint8_t>(colour >> 16), 255);
    }
  }

  void Packed(const uint8_t* src, uint8_t* out) const {
    int bytes = layout.bitCount / 8;
    for (int64_t x = 0; x < layout.width; ++x, src += bytes) {
      uint32_t pixel = bytes == 2 ? ReadU16(src) : ReadU32(src);
      Put(out, blue.From(pixel), green.From(pixel), red.From(pixel), alpha.From(pixel));
    }
  }

  void Convert(const uint8_t* src, uint8_t* out) const {
    if (layout.bitCount <= 8) return Indexed(src, out);
    if (layout.bitCount == 24 && outBytes == 3) {
      std::memcpy(out, src, static_cast<size_t>(layout.width) * 3);
      return;
    }
    if (layout.bitCount == 24) {
      for (int64_t x = 0; x < layout.width; ++x, src += 3) Put(out, src[0], src[1], src[2], 255);
      return;
    }
    Packed(src, out);
  }
};

bool EncodeBmp(const ImageBitmap& in, int bits, std::vector<uint8_t>& out) {
  if (in.depth != bits || in.width <= 0 || in.height <= 0) return false;
  uint64_t pixelBytes = static_cast<uint64_t>(in.stride) * static_cast<uint64_t>(in.height);
  uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + pixelBytes;
  if (fileSize > std::numeric_limits<uint32_t>::max() || in.pixels.size() < pixelBytes)
    return false;
  out.clear();
  out.reserve(fileSize);
  out.push_back('B');
  out.push_back('M');
  AppendU32(out, static_cast<uint32_t>(fileSize));
  AppendU32(out, 0);  // reserved
  AppendU32(out, kFileHeaderSize + kInfoHeaderSize);
  AppendU32(out, kInfoHeaderSize);
  AppendU32(out, static_cast<uint32_t>(in.width));
  AppendU32(out, static_cast<uint32_t>(in.height));  // positive: bottom-up, as stored
  AppendU16(out, 1);
  AppendU16(out, static_cast<uint32_t>(bits));
  AppendU32(out, kCompressionNone);
  AppendU32(out, static_cast<uint32_t>(pixelBytes));
  AppendU32(out, 2835);  // 72 dots per inch, in dots per metre
  AppendU32(out, 2835);
  AppendU32(out, 0);
  AppendU32(out, 0);
  out.insert(out.end(), in.pixels.begin(), in.pixels.begin() + static_cast<ptrdiff_t>(pixelBytes));
  return true;
}

}  // namespace

bool DibReadLayout(const uint8_t* dib, size_t size, DibLayout& layout) {
  layout = DibLayout{};
  if (size < kCoreHeaderSize) return false;
  size_t headerSize = ReadU32(dib);
  if (!IsKnownHeaderSize(headerSize) || headerSize > size) return false;
  if (headerSize == kCoreHeaderSize) return ReadCoreLayout(dib, size, layout);
  return ReadInfoLayout(dib, size, headerSize, layout);
}

int64_t DibStride(int64_t width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

bool DibReadPixels(const DibLayout& layout, const uint8_t* pixels, size_t available,
                   int depth, ImageBitmap& out) {
  int64_t stride = DibStride(layout.width, layout.bitCount);
  if (stride <= 0 || static_cast<uint64_t>(layout.height) > available / static_cast<uint64_t>(stride))
    return false;
  if (!ImageBitmapAllocate(out, layout.width, layout.height, depth)) return false;
  RowConverter converter(layout, depth);
  for (int64_t row = 0; row < layout.height; ++row) {
    int64_t line = layout.topDown ? row : layout.height - 1 - row;  // 0 = top
    converter.Convert(pixels + row * stride, out.Line(line));
  }
  return true;
}

bool BmpDecode(const uint8_t* data, size_t size, ImageBitmap& out) {
  if (size < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' || data[1] != 'M')
    return false;
  if (ReadU16(data + 6) != 0 || ReadU16(data + 8) != 0) return false;
  DibLayout layout;
  if (!DibReadLayout(data + kFileHeaderSize, size - kFileHeaderSize, layout)) return false;
  size_t pixelOffset = ReadU32(data + 10);
  if (pixelOffset < kFileHeaderSize + ReadU32(data + kFileHeaderSize) || pixelOffset > size)
    return false;
  if (!DibReadPixels(layout, data + pixelOffset, size - pixelOffset, 24, out)) return false;
  out.sourceDepth = layout.bitCount;
  out.format = kImageFormatBmp;
  return true;
}

bool BmpEncode24(const ImageBitmap& in, int64_t, std::vector<uint8_t>& out) {
  return EncodeBmp(in, 24, out);
}

bool BmpEncode32(const ImageBitmap& in, int64_t, std::vector<uint8_t>& out) {
  return EncodeBmp(in, 32, out);
}
