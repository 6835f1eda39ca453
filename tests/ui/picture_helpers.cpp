#include "picture_helpers.h"

#include <cmath>
#include <cstdio>  // before jpeglib.h, which needs FILE and size_t

#include <jpeglib.h>
#include <fstream>
#include <iterator>
#include <random>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

size_t IndexOf(const std::vector<Rgb>& palette, Rgb c) {
  for (size_t i = 0; i < palette.size(); ++i)
    if (palette[i] == c) return i;
  ADD_FAILURE() << "colour " << c << " not in the palette";
  return 0;
}

// One row of the file, padded to 4 bytes.
std::vector<uint8_t> BmpRow(const Picture& picture, int64_t y, int bits,
                            const std::vector<Rgb>& palette, uint8_t alpha) {
  size_t stride = static_cast<size_t>((picture.width * bits + 31) / 32 * 4);
  std::vector<uint8_t> row(stride, 0);
  for (int64_t x = 0; x < picture.width; ++x) {
    Rgb c = picture.At(x, y);
    if (bits <= 8) {
      size_t bit = static_cast<size_t>(x) * bits;
      row[bit / 8] |= static_cast<uint8_t>(IndexOf(palette, c) << (8 - bits - bit % 8));
    } else {
      size_t at = static_cast<size_t>(x) * bits / 8;
      row[at] = c.b;
      row[at + 1] = c.g;
      row[at + 2] = c.r;
      if (bits == 32) row[at + 3] = alpha;
    }
  }
  return row;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

Picture Filled(int64_t width, int64_t height, Rgb colour) {
  return {width, height, std::vector<Rgb>(static_cast<size_t>(width * height), colour)};
}

Picture Patterned(int64_t width, int64_t height, const std::vector<Rgb>& colours) {
  Picture p = Filled(width, height, {});
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x)
      p.At(x, y) = colours[static_cast<size_t>(x * 7 + y * 3 + x * y) % colours.size()];
  return p;
}

std::vector<uint8_t> BmpFile(const Picture& picture, int bits, bool topDown,
                             const std::vector<Rgb>& palette, uint8_t alpha) {
  std::vector<uint8_t> pixels;
  for (int64_t row = 0; row < picture.height; ++row) {
    int64_t y = topDown ? row : picture.height - 1 - row;
    auto bytes = BmpRow(picture, y, bits, palette, alpha);
    pixels.insert(pixels.end(), bytes.begin(), bytes.end());
  }
  uint32_t paletteBytes = bits <= 8 ? static_cast<uint32_t>(palette.size() * 4) : 0;
  uint32_t offset = 54 + paletteBytes;
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, offset + static_cast<uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(picture.width));
  Put32(out, static_cast<uint32_t>(topDown ? -picture.height : picture.height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(pixels.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, bits <= 8 ? static_cast<uint32_t>(palette.size()) : 0);
  Put32(out, 0);
  for (Rgb c : palette) {
    if (bits > 8) break;
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Picture StopButtonPicture() {
  const Rgb grey{240, 240, 240}, red{255, 0, 0}, white{255, 255, 255};
  Picture p = Filled(16, 16, grey);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      double dx = x - 7.5, dy = y - 7.5;
      if (dx * dx + dy * dy > 7.0 * 7.0) continue;
      bool cross = std::abs(dx - dy) < 1.0 || std::abs(dx + dy) < 1.0;
      p.At(x, y) = cross && dx * dx + dy * dy < 5.0 * 5.0 ? white : red;
    }
  return p;
}

std::vector<uint8_t> JpegFromRows(int64_t width, int64_t height, JpegLayout layout, int quality,
                                  bool progressive,
                                  const std::function<void(int64_t y, uint8_t* row)>& fill) {
  struct Kind {
    int components;
    J_COLOR_SPACE given, stored;
  };
  const Kind kinds[] = {{1, JCS_GRAYSCALE, JCS_GRAYSCALE},
                        {3, JCS_RGB, JCS_YCbCr},
                        {4, JCS_CMYK, JCS_CMYK},
                        {4, JCS_CMYK, JCS_YCCK}};
  const Kind& kind = kinds[static_cast<int>(layout)];
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = kind.components;
  info.in_color_space = kind.given;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, kind.stored);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width * kind.components));
  while (info.next_scanline < info.image_height) {
    fill(info.next_scanline, row.data());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> JpegFile(const Picture& picture, int components, int quality,
                              bool progressive) {
  JpegLayout layout = components == 1 ? JpegLayout::Grey : JpegLayout::Rgb;
  return JpegFromRows(picture.width, picture.height, layout, quality, progressive,
                      [&](int64_t y, uint8_t* row) {
                        for (int64_t x = 0; x < picture.width; ++x) {
                          Rgb c = picture.At(x, y);
                          if (components == 1) {
                            row[x] = c.r;
                          } else {
                            row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
                          }
                        }
                      });
}

bool ReadJpeg(const std::vector<uint8_t>& bytes, Picture& picture) {
  // A damaged file would make libjpeg exit the process; the files read here are expected
  // to be sound, and a failure shows as a failed test run.
  jpeg_decompress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture = Filled(info.output_width, info.output_height, {});
  std::vector<uint8_t> row(static_cast<size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    int64_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int64_t x = 0; x < picture.width; ++x)
      picture.At(x, y) = {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

ImageBitmap* BitmapOf(int64_t image) { return reinterpret_cast<ImageBitmap*>(ImageGetHandle(image)); }

Rgb PixelOf(int64_t image, int64_t x, int64_t y) {
  const ImageBitmap* bitmap = BitmapOf(image);
  const uint8_t* p = bitmap->pixels.data() + (bitmap->height - 1 - y) * bitmap->stride +
                     x * (bitmap->depth / 8);
  return {p[2], p[1], p[0]};
}

Picture PictureOf(int64_t image) {
  const ImageBitmap* bitmap = BitmapOf(image);
  if (!bitmap) return {};
  Picture p = Filled(bitmap->width, bitmap->height, {});
  for (int64_t y = 0; y < p.height; ++y)
    for (int64_t x = 0; x < p.width; ++x) p.At(x, y) = PixelOf(image, x, y);
  return p;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Text PathText(const std::filesystem::path& path) { return TextFromUtf8(path.string()); }

void ImagesTest::SetUp() {
  FontServiceInit();
  ImageServiceInit();
  ImageRegisterJpeg();
  std::random_device seed;
  folder = std::filesystem::temp_directory_path() /
           ("trawl-images-" + std::to_string(seed()) + "-" + std::to_string(seed()));
  std::filesystem::create_directories(folder);
}

void ImagesTest::TearDown() {
  DrawEnd();
  ImageServiceEnd();
  FontServiceEnd();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
