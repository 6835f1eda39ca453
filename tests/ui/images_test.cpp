// The image table: numbers and dynamic handles, reuse, release, and loading from files.
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

}  // namespace
