#pragma once
// Numbered pictures in memory. A picture is made by decoding an encoded image (icon, BMP
// or JPEG, tried in that order) from memory or from a file, can be saved as BMP or JPEG,
// and can be drawn on (drawing.h). Decoded BMP and JPEG pictures are 24-bit; icons are
// 32-bit with alpha and can be shown but neither drawn on nor saved.
//
// Pixels are stored bottom-up (the first row in memory is the picture's last line),
// blue-green-red(-alpha), each row padded to a multiple of 4 bytes.
//
// Thread safety: taking and releasing numbers is locked by the image table. A picture
// itself is not locked: one number must be used by one thread at a time (the download
// worker owns image 100, the UI thread image 0). Decoding and saving are safe on any
// thread. The codec registrations happen during start-up on the UI thread.
#include <cstdint>
#include <vector>

#include "text.h"

// Four-character codes of the codecs (the bytes "BMP", "JPEG", "ICON" read little-endian).
constexpr int64_t kImageFormatBmp = 0x504D42;
constexpr int64_t kImageFormatJpeg = 0x4745504A;
constexpr int64_t kImageFormatIcon = 0x4E4F4349;

// Largest pixel memory a decoded picture may take; larger declared sizes fail to load.
constexpr int64_t kImageMaxPixelBytes = int64_t{1} << 30;

// The picture behind ImageGetHandle (the value is this record's address).
struct ImageBitmap {
  int64_t width = 0;
  int64_t height = 0;
  int depth = 24;        // bits per pixel of `pixels`: 24 (BGR) or 32 (BGRA, icons)
  int sourceDepth = 24;  // bits per pixel of the encoded source
  int64_t stride = 0;    // bytes per row, a multiple of 4
  int64_t format = 0;    // code of the decoder that made it
  bool isIcon = false;
  std::vector<uint8_t> pixels;  // bottom-up rows, stride x height bytes

  // The bytes of picture line y (0 = top); the caller keeps y in range.
  uint8_t* Line(int64_t y) { return pixels.data() + (height - 1 - y) * stride; }
  const uint8_t* Line(int64_t y) const { return pixels.data() + (height - 1 - y) * stride; }
};

// Sets up the table (16 numbers to start with) and registers the BMP codec.
void ImageServiceInit();
// Releases every picture and forgets the registered codecs.
void ImageServiceEnd();
// Registers the JPEG decoder and encoder (after ImageServiceInit; repeated calls are no-ops).
void ImageRegisterJpeg();

// Decodes `size` bytes at `data` into picture `image` (-1: a dynamic number). Returns the
// picture's handle (ImageGetHandle) for a fixed number or the dynamic number for -1; 0
// when nothing could decode the data, and then the number is free.
int64_t ImageFromMemory(int64_t image, const void* data, int64_t size);
// Reads the whole file and decodes it as ImageFromMemory does; 0 if it cannot be read.
// `flags` has no effect.
int64_t ImageLoad(int64_t image, const Text& path, int64_t flags = 0);

// Address of the picture's ImageBitmap, or 0 for a number not in use.
int64_t ImageGetHandle(int64_t image);
int64_t ImageGetWidth(int64_t image);
int64_t ImageGetHeight(int64_t image);
// Releases a picture; -1 releases every picture.
void ImageFree(int64_t image);

// Encodes the picture into the file `path` with the codec `format`. quality 0..10 (values
// outside are clamped) counts for JPEG only; depth -1 keeps the source depth, else it must
// be 1, 2, 4, 8, 24 or 32. A 32-bit picture is composed over white unless the codec can
// keep 32 bits and depth 32 is asked for. An existing file is replaced only once the new
// one is complete. Returns 1 on success, 0 on failure.
int64_t ImageSave(int64_t image, const Text& path, int64_t format = kImageFormatBmp,
                  int64_t quality = 7, int64_t depth = -1);
