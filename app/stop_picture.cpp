#include "stop_picture.h"

#include <array>
#include <cstddef>

namespace {

constexpr int kSide = 16;
constexpr int kHeaderSize = 54;
constexpr int kRowBytes = kSide * 3;  // 48: already a multiple of 4

struct Colour {
  uint8_t red, green, blue;
};
constexpr Colour kBackground{240, 240, 240};
constexpr Colour kDisc{255, 0, 0};
constexpr Colour kCross{255, 255, 255};

// Distances in half pixels from the picture's centre, which lies between pixels 7 and 8.
constexpr Colour PixelAt(int x, int y) {
  int dx = 2 * x + 1 - kSide;
  int dy = 2 * y + 1 - kSide;
  int squared = dx * dx + dy * dy;
  if (squared > kSide * kSide) return kBackground;
  bool onDiagonal = x - y >= -1 && x - y <= 1;
  bool onAntiDiagonal = x + y - (kSide - 1) >= -1 && x + y - (kSide - 1) <= 1;
  if ((onDiagonal || onAntiDiagonal) && squared <= 10 * 10) return kCross;
  return kDisc;
}

constexpr void PutLittleEndian(std::array<uint8_t, kStopPictureSize>& bytes, size_t at,
                               uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr std::array<uint8_t, kStopPictureSize> BuildPicture() {
  std::array<uint8_t, kStopPictureSize> bytes{};
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLittleEndian(bytes, 2, kStopPictureSize, 4);  // file size
  PutLittleEndian(bytes, 10, kHeaderSize, 4);      // pixel offset
  PutLittleEndian(bytes, 14, 40, 4);               // info header size
  PutLittleEndian(bytes, 18, kSide, 4);            // width
  PutLittleEndian(bytes, 22, kSide, 4);            // height: positive, rows bottom-up
  PutLittleEndian(bytes, 26, 1, 2);                // planes
  PutLittleEndian(bytes, 28, 24, 2);               // bits per pixel
  PutLittleEndian(bytes, 34, kRowBytes * kSide, 4);
  PutLittleEndian(bytes, 38, 2835, 4);  // 72 dpi
  PutLittleEndian(bytes, 42, 2835, 4);
  for (int y = 0; y < kSide; ++y) {
    size_t row = kHeaderSize + static_cast<size_t>((kSide - 1 - y) * kRowBytes);
    for (int x = 0; x < kSide; ++x) {
      Colour c = PixelAt(x, y);
      size_t at = row + static_cast<size_t>(3 * x);
      bytes[at] = c.blue;
      bytes[at + 1] = c.green;
      bytes[at + 2] = c.red;
    }
  }
  return bytes;
}

static_assert(kHeaderSize + kRowBytes * kSide == kStopPictureSize);
constexpr std::array<uint8_t, kStopPictureSize> kPicture = BuildPicture();

}  // namespace

const uint8_t* StopPictureData() { return kPicture.data(); }
