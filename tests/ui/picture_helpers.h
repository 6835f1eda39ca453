#pragma once
// Test pictures: reference pixels kept top-down in plain RGB, files written by hand (BMP,
// icon) or straight through libjpeg, independent of the decoders under test.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "drawing.h"
#include "fonts.h"
#include "images.h"

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

struct Picture {
  int64_t width = 0, height = 0;
  std::vector<Rgb> pixels;  // top-down
  Rgb& At(int64_t x, int64_t y) { return pixels[static_cast<size_t>(y * width + x)]; }
  const Rgb& At(int64_t x, int64_t y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  bool operator==(const Picture&) const = default;
};

Picture Filled(int64_t width, int64_t height, Rgb colour);
// Colours from the list in a pattern that differs along both axes.
Picture Patterned(int64_t width, int64_t height, const std::vector<Rgb>& colours);

// BMP files: 1, 2, 4 and 8 bits index `palette` (every colour of the picture must be in
// it); 24 and 32 bits store the colours (32: the fourth byte is `alpha`).
std::vector<uint8_t> BmpFile(const Picture& picture, int bits, bool topDown,
                             const std::vector<Rgb>& palette = {}, uint8_t alpha = 0);
// The 16 x 16 stop-button picture: a red disc with a white diagonal cross on light grey.
Picture StopButtonPicture();
// A JPEG through libjpeg of rows that fill(y, row) writes: 1 sample per pixel for Grey,
// 3 (red, green, blue) for Rgb, 4 (inks) for Cmyk and Ycck, which differ in what is stored.
enum class JpegLayout { Grey, Rgb, Cmyk, Ycck };
std::vector<uint8_t> JpegFromRows(int64_t width, int64_t height, JpegLayout layout, int quality,
                                  bool progressive,
                                  const std::function<void(int64_t y, uint8_t* row)>& fill);
// A JPEG through libjpeg: 3 components from the picture, or 1 (its red channel).
std::vector<uint8_t> JpegFile(const Picture& picture, int components, int quality,
                              bool progressive = false);
// Decodes a JPEG through libjpeg into RGB; false when libjpeg rejects it.
bool ReadJpeg(const std::vector<uint8_t>& bytes, Picture& picture);

// The pixels of a 24- or 32-bit picture of the image service.
Picture PictureOf(int64_t image);
Rgb PixelOf(int64_t image, int64_t x, int64_t y);
ImageBitmap* BitmapOf(int64_t image);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
Text PathText(const std::filesystem::path& path);

// Every test starts with fresh image and font services and a scratch folder.
class ImagesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path folder;
};
