// BMP decoding through the image service: the embedded stop button, every bit count the
// application may meet, both row orders, and headers that lie about their data.
#include <cstring>

#include "picture_helpers.h"

namespace {

const std::vector<Rgb> kSixteen = {
    {0, 0, 0},       {255, 255, 255}, {255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
    {0, 255, 255},   {255, 0, 255},   {128, 0, 0},   {0, 128, 0},   {0, 0, 128},   {128, 128, 0},
    {12, 34, 56},    {200, 100, 50},  {1, 2, 3},     {250, 240, 230}};

std::vector<Rgb> FirstColours(size_t n) { return {kSixteen.begin(), kSixteen.begin() + n}; }

using BmpTest = ImagesTest;

TEST_F(BmpTest, StopButtonPictureDecodesPixelForPixel) {
  Picture stop = StopButtonPicture();
  auto file = BmpFile(stop, 24, false);
  ASSERT_EQ(file.size(), 822u);
  int64_t handle = ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size()));
  ASSERT_NE(handle, 0);
  EXPECT_EQ(handle, ImageGetHandle(0));
  EXPECT_EQ(ImageGetWidth(0), 16);
  EXPECT_EQ(ImageGetHeight(0), 16);
  const ImageBitmap* bitmap = BitmapOf(0);
  EXPECT_EQ(bitmap->depth, 24);
  EXPECT_EQ(bitmap->sourceDepth, 24);
  EXPECT_EQ(bitmap->format, kImageFormatBmp);
  EXPECT_FALSE(bitmap->isIcon);
  EXPECT_EQ(bitmap->stride, 48);
  EXPECT_EQ(PictureOf(0), stop);
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{240, 240, 240}));
  EXPECT_EQ(PixelOf(0, 7, 7), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(0, 7, 2), (Rgb{255, 0, 0}));
}

TEST_F(BmpTest, EveryBitCountInBothRowOrdersGivesTheSamePixels) {
  struct Case {
    int bits;
    size_t colours;
  };
  // Odd widths make every row need padding; 13 x 5 is not square, so a swapped row order
  // or axis shows.
  for (Case c : {Case{1, 2}, Case{2, 4}, Case{4, 16}, Case{8, 16}, Case{24, 16}, Case{32, 16}}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.bits << " bits, top-down " << topDown);
      auto palette = FirstColours(c.colours);
      Picture reference = Patterned(13, 5, palette);
      auto file = BmpFile(reference, c.bits, topDown, palette, 0x7F);
      ASSERT_NE(ImageFromMemory(3, file.data(), static_cast<int64_t>(file.size())), 0);
      EXPECT_EQ(PictureOf(3), reference);
      EXPECT_EQ(BitmapOf(3)->depth, 24);
      EXPECT_EQ(BitmapOf(3)->sourceDepth, c.bits);
    }
  }
}

TEST_F(BmpTest, ShortPaletteAndIndexesBeyondItStayInBounds) {
  // Two palette entries, but the 8-bit pixels point far past them.
  Picture p = Filled(4, 2, {0, 0, 0});
  auto file = BmpFile(p, 8, false, {{0, 0, 0}, {9, 9, 9}});
  size_t pixels = file.size() - 8;
  for (size_t i = 0; i < 8; ++i) file[pixels + i] = static_cast<uint8_t>(200 + i);
  file[pixels] = 1;
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(PixelOf(0, 0, 1), (Rgb{9, 9, 9}));
  EXPECT_EQ(PixelOf(0, 1, 1), (Rgb{0, 0, 0}));
}

// Packed 16-bit pixels and explicit masks, written field by field.
std::vector<uint8_t> MaskedBmp(int bits, const uint32_t masks[3], const std::vector<uint32_t>& values,
                               int64_t width, int64_t height) {
  std::vector<uint8_t> f{'B', 'M'};
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  int64_t stride = (width * bits + 31) / 32 * 4;
  put(0, 4), put(0, 4), put(66, 4);
  put(40, 4), put(static_cast<uint32_t>(width), 4), put(static_cast<uint32_t>(-height), 4);
  put(1, 2), put(static_cast<uint32_t>(bits), 2), put(3, 4);
  put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
  for (int i = 0; i < 3; ++i) put(masks[i], 4);
  for (int64_t y = 0; y < height; ++y) {
    for (int64_t x = 0; x < width; ++x) put(values[static_cast<size_t>(y * width + x)], bits / 8);
    for (int64_t pad = width * bits / 8; pad < stride; ++pad) f.push_back(0);
  }
  return f;
}

TEST_F(BmpTest, BitFieldMasksPickTheirChannels) {
  const uint32_t rgb565[3] = {0xF800, 0x07E0, 0x001F};
  auto file = MaskedBmp(16, rgb565, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410}, 3, 2);
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(0, 1, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelOf(0, 2, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(0, 0, 1), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(0, 1, 1), (Rgb{0, 0, 0}));
  Rgb grey = PixelOf(0, 2, 1);  // half of each channel
  EXPECT_NEAR(grey.r, 132, 1);
  EXPECT_NEAR(grey.g, 130, 1);
  EXPECT_NEAR(grey.b, 132, 1);

  const uint32_t rgba[3] = {0xFF000000, 0x00FF0000, 0x0000FF00};
  file = MaskedBmp(32, rgba, {0x11223344, 0xAABBCCDD}, 2, 1);
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{0x11, 0x22, 0x33}));
  EXPECT_EQ(PixelOf(0, 1, 0), (Rgb{0xAA, 0xBB, 0xCC}));
}

TEST_F(BmpTest, FiveFiveFiveIsTheDefaultForSixteenBits) {
  auto file = BmpFile(Filled(2, 1, {0, 0, 0}), 24, false);  // header to adapt
  // Rewrite as 16 bits without masks: 0x7C00 red, 0x03E0 green.
  file[28] = 16;
  std::vector<uint8_t> rows{0x00, 0x7C, 0xE0, 0x03};
  file.resize(54);
  file.insert(file.end(), rows.begin(), rows.end());
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(0, 1, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(BitmapOf(0)->sourceDepth, 16);
}

TEST_F(BmpTest, CoreHeaderFilesDecode) {
  // 12-byte header, 3-byte palette entries, 2 x 2 at 1 bit.
  std::vector<uint8_t> f{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0,
                         12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 1, 0,
                         30, 20, 10, 60, 50, 40,  // palette: blue, green, red order
                         0x40, 0, 0, 0,           // bottom row: 0, 1
                         0xC0, 0, 0, 0};          // top row: 1, 1
  ASSERT_NE(ImageFromMemory(0, f.data(), static_cast<int64_t>(f.size())), 0);
  EXPECT_EQ(PixelOf(0, 0, 1), (Rgb{10, 20, 30}));
  EXPECT_EQ(PixelOf(0, 1, 1), (Rgb{40, 50, 60}));
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{40, 50, 60}));
}

void PutAt(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST_F(BmpTest, LyingHeadersFailAndLeaveTheNumberFree) {
  auto good = BmpFile(Patterned(5, 3, FirstColours(16)), 8, false, FirstColours(16));
  struct Lie {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Lie lies[] = {
      {"reserved word set", 6, 1},
      {"pixels past the end", 10, 100000},
      {"pixels inside the header", 10, 20},
      {"unknown header size", 14, 44},
      {"header swallowing the palette", 14, 124},
      {"zero width", 18, 0},
      {"negative width", 18, static_cast<uint32_t>(-5)},
      {"zero height", 22, 0},
      {"most negative height", 22, 0x80000000u},
      {"bit count 7", 28, 7},
      {"run-length compression", 30, 1},
      {"bit fields on 8 bits", 30, 3},
      {"palette larger than the bit count allows", 46, 257},
      {"palette larger than the file", 46, 0xFFFFFFFFu},
  };
  for (const Lie& lie : lies) {
    SCOPED_TRACE(lie.what);
    auto file = good;
    PutAt(file, lie.at, lie.value);
    ASSERT_NE(ImageFromMemory(2, good.data(), static_cast<int64_t>(good.size())), 0);
    EXPECT_EQ(ImageFromMemory(2, file.data(), static_cast<int64_t>(file.size())), 0);
    EXPECT_EQ(ImageGetHandle(2), 0);
  }
}

TEST_F(BmpTest, HugeDeclaredSizeFailsWithoutTouchingMemory) {
  // 1 bit per pixel keeps the data small while the 24-bit picture would take 1.2 GiB.
  auto file = BmpFile(Filled(8, 1, {0, 0, 0}), 1, false, {{0, 0, 0}, {1, 1, 1}});
  PutAt(file, 18, 20000);
  PutAt(file, 22, 21000);
  file.resize(62 + static_cast<size_t>((20000 + 31) / 32 * 4) * 21000, 0);
  EXPECT_EQ(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(ImageGetHandle(0), 0);
}

TEST_F(BmpTest, EveryTruncationFails) {
  for (int bits : {1, 8, 24, 32}) {
    auto palette = FirstColours(2);
    auto file = BmpFile(Patterned(7, 4, palette), bits, bits == 8, palette);
    for (size_t cut = 0; cut < file.size(); ++cut) {
      EXPECT_EQ(ImageFromMemory(1, file.data(), static_cast<int64_t>(cut)), 0)
          << bits << " bits cut at " << cut;
    }
    EXPECT_NE(ImageFromMemory(1, file.data(), static_cast<int64_t>(file.size())), 0);
  }
}

TEST_F(BmpTest, SavedBmpReadsBackTheSamePixels) {
  Picture reference = Patterned(11, 6, FirstColours(16));
  auto file = BmpFile(reference, 24, true);
  ASSERT_NE(ImageFromMemory(4, file.data(), static_cast<int64_t>(file.size())), 0);
  auto path = folder / "copy.bmp";
  ASSERT_EQ(ImageSave(4, PathText(path)), 1);
  auto saved = ReadBytes(path);
  EXPECT_EQ(saved.size(), 54u + 36u * 6u);
  ASSERT_NE(ImageLoad(5, PathText(path)), 0);
  EXPECT_EQ(PictureOf(5), reference);
  auto longest = folder / (std::string(251, 'n') + ".bmp");  // a name as long as names go
  EXPECT_EQ(ImageSave(4, PathText(longest)), 1);
  EXPECT_EQ(ReadBytes(longest), saved);
  for (int64_t depth : {1, 8, 24, 32})
    EXPECT_EQ(ImageSave(4, PathText(folder / "any.bmp"), kImageFormatBmp, 7, depth), 1) << depth;
}

}  // namespace
