// Icon files: the entry chosen, transparency from the mask or the alpha channel, and
// what an icon picture refuses (drawing, saving).
#include "picture_helpers.h"

namespace {

struct Entry {
  Picture picture;
  int bits = 32;                 // 24 or 32
  uint8_t alpha = 255;           // the alpha byte of 32-bit pixels
  std::vector<bool> transparent;  // the mask, top-down; empty: all opaque
  bool png = false;               // stands for an entry stored as PNG
};

void Put(std::vector<uint8_t>& f, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> EntryData(const Entry& e) {
  std::vector<uint8_t> d;
  if (e.png) return {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0};
  const Picture& p = e.picture;
  Put(d, 40, 4), Put(d, static_cast<uint32_t>(p.width), 4), Put(d, static_cast<uint32_t>(2 * p.height), 4);
  Put(d, 1, 2), Put(d, static_cast<uint32_t>(e.bits), 2);
  for (int i = 0; i < 6; ++i) Put(d, 0, 4);
  int64_t stride = (p.width * e.bits + 31) / 32 * 4;
  for (int64_t y = p.height - 1; y >= 0; --y) {
    size_t start = d.size();
    for (int64_t x = 0; x < p.width; ++x) {
      Rgb c = p.At(x, y);
      d.insert(d.end(), {c.b, c.g, c.r});
      if (e.bits == 32) d.push_back(e.alpha);
    }
    d.resize(start + static_cast<size_t>(stride), 0);
  }
  int64_t maskStride = (p.width + 31) / 32 * 4;
  for (int64_t y = p.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
    for (int64_t x = 0; x < p.width; ++x)
      if (!e.transparent.empty() && e.transparent[static_cast<size_t>(y * p.width + x)])
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    d.insert(d.end(), row.begin(), row.end());
  }
  return d;
}

std::vector<uint8_t> IconFile(const std::vector<Entry>& entries, uint16_t type = 1) {
  std::vector<uint8_t> f;
  Put(f, 0, 2), Put(f, type, 2), Put(f, static_cast<uint32_t>(entries.size()), 2);
  std::vector<std::vector<uint8_t>> data;
  size_t offset = 6 + 16 * entries.size();
  for (const Entry& e : entries) {
    data.push_back(EntryData(e));
    Put(f, static_cast<uint32_t>(e.picture.width & 0xFF), 1);
    Put(f, static_cast<uint32_t>(e.picture.height & 0xFF), 1);
    Put(f, 0, 2), Put(f, 1, 2), Put(f, static_cast<uint32_t>(e.bits), 2);
    Put(f, static_cast<uint32_t>(data.back().size()), 4), Put(f, static_cast<uint32_t>(offset), 4);
    offset += data.back().size();
  }
  for (const auto& d : data) f.insert(f.end(), d.begin(), d.end());
  return f;
}

uint8_t AlphaOf(int64_t image, int64_t x, int64_t y) {
  const ImageBitmap* b = BitmapOf(image);
  return b->pixels[static_cast<size_t>((b->height - 1 - y) * b->stride + x * 4 + 3)];
}

const std::vector<Rgb> kColours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};

using IconTest = ImagesTest;

TEST_F(IconTest, LargestBitmapEntryWinsOverSmallerAndPngEntries) {
  Entry small{Patterned(16, 16, kColours)};
  Entry large{Patterned(32, 24, kColours)};
  Entry png{Filled(64, 64, {}), 32, 255, {}, true};
  auto file = IconFile({small, png, large});
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  const ImageBitmap* b = BitmapOf(0);
  EXPECT_TRUE(b->isIcon);
  EXPECT_EQ(b->format, kImageFormatIcon);
  EXPECT_EQ(b->depth, 32);
  EXPECT_EQ(ImageGetWidth(0), 32);
  EXPECT_EQ(ImageGetHeight(0), 24);
  EXPECT_EQ(PictureOf(0), large.picture);
}

TEST_F(IconTest, MaskMakesPixelsTransparentUnlessTheEntryHasAlpha) {
  Entry masked{Patterned(9, 3, kColours), 24};
  masked.transparent.assign(27, false);
  masked.transparent[4] = true;  // x 4, y 0
  masked.transparent[9] = true;  // x 0, y 1
  auto file = IconFile({masked});
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(BitmapOf(0)->sourceDepth, 24);
  EXPECT_EQ(AlphaOf(0, 4, 0), 0);
  EXPECT_EQ(AlphaOf(0, 0, 1), 0);
  EXPECT_EQ(AlphaOf(0, 3, 0), 255);
  EXPECT_EQ(AlphaOf(0, 8, 2), 255);
  EXPECT_EQ(PictureOf(0), masked.picture);

  Entry withAlpha{Filled(4, 4, {1, 2, 3}), 32, 77};
  withAlpha.transparent.assign(16, true);  // ignored: the alpha channel says 77
  file = IconFile({withAlpha}, 2);
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(AlphaOf(0, 2, 2), 77);

  Entry noAlpha{Filled(4, 4, {1, 2, 3}), 32, 0};  // all-zero alpha: the mask decides
  file = IconFile({noAlpha});
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(AlphaOf(0, 2, 2), 255);
}

TEST_F(IconTest, IconsCanBeNeitherDrawnOnNorSaved) {
  auto file = IconFile({Entry{Patterned(16, 16, kColours)}});
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(ImageDrawTarget(0), 0);
  EXPECT_EQ(DrawBegin(0), 0);
  EXPECT_EQ(ImageSave(0, PathText(folder / "icon.bmp")), 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "icon.bmp"));
}

TEST_F(IconTest, DamagedDirectoriesFail) {
  auto good = IconFile({Entry{Patterned(8, 8, kColours)}});
  auto pngOnly = IconFile({Entry{Filled(8, 8, {}), 32, 255, {}, true}});
  EXPECT_EQ(ImageFromMemory(0, pngOnly.data(), static_cast<int64_t>(pngOnly.size())), 0);
  struct Damage {
    const char* what;
    size_t at;
    uint8_t value;
  };
  for (Damage d : {Damage{"no entries", 4, 0}, Damage{"many entries", 5, 0x40},
                   Damage{"type 3", 2, 3}, Damage{"entry past the end", 21, 0x7F},
                   Damage{"entry size past the end", 17, 0x7F}}) {
    SCOPED_TRACE(d.what);
    auto file = good;
    file[d.at] = d.value;
    EXPECT_EQ(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
    EXPECT_EQ(ImageGetHandle(0), 0);
  }
  for (size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_EQ(ImageFromMemory(0, good.data(), static_cast<int64_t>(cut)), 0) << cut;
}

TEST_F(IconTest, AlphaPixelsAreComposedOverWhiteUnlessKeptAt32Bits) {
  // An icon turned into a plain 32-bit picture exercises the composition over white.
  Picture p = Filled(3, 1, {});
  p.At(0, 0) = {0, 0, 0};
  p.At(1, 0) = {200, 100, 0};
  p.At(2, 0) = {0, 0, 255};
  auto file = IconFile({Entry{p, 32, 128}});
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  ImageBitmap* b = BitmapOf(0);
  b->isIcon = false;
  b->pixels[2 * 4 + 3] = 0;    // x 2: fully transparent
  b->pixels[1 * 4 + 3] = 100;  // x 1: alpha 100
  auto path = PathText(folder / "composed.bmp");
  ASSERT_EQ(ImageSave(0, path, kImageFormatBmp, 7, 24), 1);
  ASSERT_NE(ImageLoad(1, path), 0);
  EXPECT_EQ(PixelOf(1, 0, 0), (Rgb{127, 127, 127}));  // black at alpha 128
  EXPECT_EQ(PixelOf(1, 1, 0), (Rgb{233, 194, 155}));  // ((c - 255) x 100 + 65025) / 255
  EXPECT_EQ(PixelOf(1, 2, 0), (Rgb{255, 255, 255}));

  ASSERT_EQ(ImageSave(0, path, kImageFormatBmp, 7, 32), 1);  // keeps the channels as they are
  ASSERT_NE(ImageLoad(1, path), 0);
  EXPECT_EQ(BitmapOf(1)->sourceDepth, 32);
  EXPECT_EQ(PixelOf(1, 1, 0), (Rgb{200, 100, 0}));
  EXPECT_EQ(ImageSave(0, path, kImageFormatBmp, 7, 16), 0);
}

}  // namespace
