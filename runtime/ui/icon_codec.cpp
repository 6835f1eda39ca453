#include "icon_codec.h"

#include <algorithm>
#include <vector>

#include "bmp_codec.h"
#include "images_codec.h"

namespace {

constexpr size_t kDirectoryHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr uint16_t kTypeIcon = 1;
constexpr uint16_t kTypeCursor = 2;

struct Candidate {
  size_t offset = 0;
  size_t size = 0;
  DibLayout layout;  // height: the colour rows only (the stored height counts the mask too)
};

bool IsPng(const uint8_t* p, size_t size) {
  return size >= 4 && p[0] == 0x89 && p[1] == 'P' && p[2] == 'N' && p[3] == 'G';
}

bool ReadCandidate(const uint8_t* data, size_t size, const uint8_t* entry, Candidate& c) {
  c.size = ReadU32(entry + 8);
  c.offset = ReadU32(entry + 12);
  if (c.offset > size || c.size > size - c.offset) return false;
  const uint8_t* dib = data + c.offset;
  if (IsPng(dib, c.size) || !DibReadLayout(dib, c.size, c.layout)) return false;
  if (c.layout.topDown || c.layout.height < 2) return false;
  c.layout.height /= 2;
  return true;
}

bool Preferred(const Candidate& a, const Candidate& b) {
  int64_t areaA = a.layout.width * a.layout.height;
  int64_t areaB = b.layout.width * b.layout.height;
  if (areaA != areaB) return areaA > areaB;
  return a.layout.bitCount > b.layout.bitCount;
}

bool HasAnyAlpha(const ImageBitmap& bitmap) {
  for (size_t i = 3; i < bitmap.pixels.size(); i += 4)
    if (bitmap.pixels[i] != 0) return true;
  return false;
}

// The mask rows follow the colour rows: a set bit marks a transparent pixel. A missing
// mask leaves the picture opaque.
void ApplyMask(const Candidate& c, const uint8_t* maskRows, size_t available,
               ImageBitmap& out) {
  int64_t stride = DibStride(c.layout.width, 1);
  bool present = static_cast<uint64_t>(c.layout.height) <= available / static_cast<uint64_t>(stride);
  for (int64_t row = 0; row < c.layout.height; ++row) {
    uint8_t* pixel = out.Line(c.layout.height - 1 - row);
    const uint8_t* bits = present ? maskRows + row * stride : nullptr;
    for (int64_t x = 0; x < c.layout.width; ++x, pixel += 4) {
      bool transparent = bits && (bits[x >> 3] >> (7 - (x & 7)) & 1);
      pixel[3] = transparent ? 0 : 255;
    }
  }
}

bool DecodeCandidate(const uint8_t* data, const Candidate& c, ImageBitmap& out) {
  const uint8_t* pixels = data + c.offset + c.layout.headerEnd;
  size_t available = c.size - std::min(c.size, c.layout.headerEnd);
  if (!DibReadPixels(c.layout, pixels, available, 32, out)) return false;
  if (c.layout.bitCount != 32 || c.layout.masks[3] == 0 || !HasAnyAlpha(out)) {
    size_t colourBytes =
        static_cast<size_t>(DibStride(c.layout.width, c.layout.bitCount) * c.layout.height);
    ApplyMask(c, pixels + colourBytes, available - colourBytes, out);
  }
  out.sourceDepth = c.layout.bitCount;
  out.format = kImageFormatIcon;
  out.isIcon = true;
  return true;
}

}  // namespace

bool IconDecode(const uint8_t* data, size_t size, ImageBitmap& out) {
  if (size < kDirectoryHeaderSize || ReadU16(data) != 0) return false;
  uint16_t type = ReadU16(data + 2);
  size_t count = ReadU16(data + 4);
  if ((type != kTypeIcon && type != kTypeCursor) || count == 0) return false;
  if (count > (size - kDirectoryHeaderSize) / kEntrySize) return false;
  std::vector<Candidate> candidates;
  for (size_t i = 0; i < count; ++i) {
    Candidate c;
    if (ReadCandidate(data, size, data + kDirectoryHeaderSize + i * kEntrySize, c))
      candidates.push_back(std::move(c));
  }
  std::stable_sort(candidates.begin(), candidates.end(), Preferred);
  for (const Candidate& c : candidates)
    if (DecodeCandidate(data, c, out)) return true;
  return false;
}
