// The image table: numbers and dynamic handles, reuse, release, and loading from files;
// and random, cut and damaged bytes into every decoder, where each load either fails with
// the number free or delivers a consistent picture (run under the address and
// undefined-behaviour sanitizers to catch reads out of bounds).
#include <random>

#include "picture_helpers.h"

namespace {

using ImageTableTest = ImagesTest;

std::vector<uint8_t> Small(Rgb colour) { return BmpFile(Filled(3, 2, colour), 24, false); }

TEST_F(ImageTableTest, NumbersHoldOnePictureEachUntilReleased) {
  auto red = Small({255, 0, 0}), blue = Small({0, 0, 255});
  int64_t first = ImageFromMemory(2, red.data(), static_cast<int64_t>(red.size()));
  ASSERT_NE(first, 0);
  EXPECT_EQ(ImageGetHandle(2), first);
  ASSERT_NE(ImageFromMemory(40, blue.data(), static_cast<int64_t>(blue.size())), 0)
      << "numbers past the first 16 grow the table";
  ASSERT_NE(ImageFromMemory(2, blue.data(), static_cast<int64_t>(blue.size())), 0);
  EXPECT_EQ(PixelOf(2, 0, 0), (Rgb{0, 0, 255})) << "reuse replaces the picture";
  EXPECT_EQ(ImageGetWidth(3), 0);
  EXPECT_EQ(ImageGetHeight(3), 0);
  EXPECT_EQ(ImageGetHandle(-5), 0);
  EXPECT_EQ(ImageFromMemory(-5, red.data(), static_cast<int64_t>(red.size())), 0);
  ImageFree(2);
  EXPECT_EQ(ImageGetHandle(2), 0);
  EXPECT_NE(ImageGetHandle(40), 0);
  ImageFree(2);  // twice is harmless
  ImageFree(-1);
  EXPECT_EQ(ImageGetHandle(40), 0);
}

TEST_F(ImageTableTest, DynamicNumbersAreHandles) {
  auto red = Small({255, 0, 0});
  int64_t a = ImageFromMemory(-1, red.data(), static_cast<int64_t>(red.size()));
  int64_t b = ImageFromMemory(-1, red.data(), static_cast<int64_t>(red.size()));
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(ImageGetWidth(a), 3);
  EXPECT_EQ(ImageGetHeight(b), 2);
  EXPECT_NE(ImageGetHandle(a), 0);
  ImageFree(a);
  EXPECT_EQ(ImageGetWidth(a), 0);
  EXPECT_EQ(ImageGetWidth(b), 3);
  EXPECT_EQ(ImageFromMemory(-1, red.data(), 10), 0);
  EXPECT_EQ(ImageGetWidth(b), 3) << "a failed dynamic load releases nothing else";
}

TEST_F(ImageTableTest, UnusableInputFreesTheNumber) {
  auto red = Small({255, 0, 0});
  auto load = [&] { ASSERT_NE(ImageFromMemory(6, red.data(), static_cast<int64_t>(red.size())), 0); };
  const std::vector<uint8_t> text{'h', 'e', 'l', 'l', 'o'};
  load();
  EXPECT_EQ(ImageFromMemory(6, text.data(), static_cast<int64_t>(text.size())), 0);
  EXPECT_EQ(ImageGetHandle(6), 0);
  load();
  EXPECT_EQ(ImageFromMemory(6, nullptr, 100), 0);
  EXPECT_EQ(ImageGetHandle(6), 0);
  load();
  EXPECT_EQ(ImageFromMemory(6, red.data(), 0), 0);
  EXPECT_EQ(ImageGetHandle(6), 0);
  load();
  EXPECT_EQ(ImageLoad(6, PathText(folder / "missing.bmp")), 0);
  EXPECT_EQ(ImageGetHandle(6), 0);
  load();
  EXPECT_EQ(ImageLoad(6, PathText(folder)), 0) << "a folder is not a picture";
  EXPECT_EQ(ImageLoad(6, Text()), 0);
  WriteBytes(folder / "empty.bmp", {});
  EXPECT_EQ(ImageLoad(6, PathText(folder / "empty.bmp")), 0);
  WriteBytes(folder / "real.bmp", red);  // a name cut at a NUL must not reach this file
  EXPECT_EQ(ImageLoad(6, PathText(folder / "real.bmp") + Text(1, u'\0') + u"x"), 0);
}

TEST_F(ImageTableTest, LoadReadsFilesWithAnyName) {
  auto red = Small({255, 0, 0});
  auto path = folder / u8"Bild \u00e4 1.bmp";
  WriteBytes(path, red);
  int64_t handle = ImageLoad(0, PathText(path), 12345);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(handle, ImageGetHandle(0));
  EXPECT_EQ(PixelOf(0, 2, 1), (Rgb{255, 0, 0}));
}

TEST_F(ImageTableTest, ServiceEndReleasesEverythingAndCallsWithoutServiceFail) {
  auto red = Small({255, 0, 0});
  ASSERT_NE(ImageFromMemory(1, red.data(), static_cast<int64_t>(red.size())), 0);
  ImageServiceEnd();
  EXPECT_EQ(ImageGetHandle(1), 0);
  EXPECT_EQ(ImageFromMemory(1, red.data(), static_cast<int64_t>(red.size())), 0);
  EXPECT_EQ(ImageSave(1, PathText(folder / "x.bmp")), 0);
  ImageFree(-1);
  ImageServiceInit();
  EXPECT_EQ(ImageGetHandle(1), 0);
  EXPECT_NE(ImageFromMemory(1, red.data(), static_cast<int64_t>(red.size())), 0);
}

class HostileInputTest : public ImagesTest {
 protected:
  void Feed(const std::vector<uint8_t>& bytes, size_t size) {
    int64_t handle = ImageFromMemory(5, bytes.data(), static_cast<int64_t>(size));
    if (handle == 0) {
      ASSERT_EQ(ImageGetHandle(5), 0);
      return;
    }
    ++decoded;
    const ImageBitmap* b = BitmapOf(5);
    ASSERT_GT(b->width, 0);
    ASSERT_GT(b->height, 0);
    ASSERT_EQ(b->pixels.size(), static_cast<size_t>(b->stride * b->height));
    ASSERT_GE(b->stride, b->width * b->depth / 8);
  }
  void Feed(const std::vector<uint8_t>& bytes) { Feed(bytes, bytes.size()); }

  std::vector<std::vector<uint8_t>> Samples() {
    std::vector<Rgb> colours{{1, 2, 3}, {200, 100, 0}, {9, 99, 199}, {255, 255, 255}};
    Picture p = Patterned(37, 21, colours);
    std::vector<uint8_t> icon{0, 0, 1, 0, 1, 0, 8, 8, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    auto dib = BmpFile(Filled(8, 16, {5, 6, 7}), 24, false);
    dib[22] = 16;  // colour rows and mask rows
    icon.insert(icon.end(), dib.begin() + 14, dib.end());
    icon[14] = static_cast<uint8_t>(dib.size() - 14), icon[15] = static_cast<uint8_t>((dib.size() - 14) >> 8);
    return {BmpFile(p, 4, false, colours), BmpFile(p, 8, true, colours), BmpFile(p, 24, false),
            BmpFile(p, 32, true), JpegFile(p, 3, 75), JpegFile(p, 1, 50),
            JpegFile(p, 3, 90, true), icon};
  }

  int decoded = 0;
};

TEST_F(HostileInputTest, RandomBytesBehindEveryKnownSignature) {
  std::mt19937 random(20240611);
  const std::vector<std::vector<uint8_t>> signatures{
      {}, {'B', 'M'}, {0xFF, 0xD8}, {0xFF, 0xD8, 0xFF, 0xE0}, {0, 0, 1, 0}, {0, 0, 2, 0, 1, 0}};
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = signatures[round % signatures.size()];
    size_t extra = random() % 700;
    for (size_t i = 0; i < extra; ++i) bytes.push_back(static_cast<uint8_t>(random()));
    ASSERT_NO_FATAL_FAILURE(Feed(bytes)) << "round " << round;
  }
}

TEST_F(HostileInputTest, EveryCutOfEverySample) {
  for (const auto& sample : Samples()) {
    ASSERT_NO_FATAL_FAILURE(Feed(sample));
    ASSERT_EQ(decoded, 1) << "the whole sample decodes";
    for (size_t cut = 0; cut < sample.size(); ++cut) ASSERT_NO_FATAL_FAILURE(Feed(sample, cut));
    decoded = 0;
  }
}

TEST_F(HostileInputTest, DamagedBytesInEverySample) {
  std::mt19937 random(77);
  for (const auto& sample : Samples()) {
    for (int round = 0; round < 400; ++round) {
      auto bytes = sample;
      int damage = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < damage; ++i) {
        // Headers are where lies hurt most: aim half of the damage at the first 64 bytes.
        size_t at = (random() % 2 ? random() % 64 : random()) % bytes.size();
        bytes[at] = static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : random());
      }
      ASSERT_NO_FATAL_FAILURE(Feed(bytes));
    }
  }
}

}  // namespace
