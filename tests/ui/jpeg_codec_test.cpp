// JPEG decoding and encoding: colour spaces, what libjpeg reads back from our files, the
// quality scale, and files that only look like JPEGs.
#include "picture_helpers.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using JpegTest = ImagesTest;

const std::vector<Rgb> kBlocks = {{200, 30, 40}, {20, 180, 60}, {30, 40, 220}, {240, 240, 240}};

// Blocks of 16 x 16 in flat colours: JPEG keeps flat areas nearly exact.
Picture Blocks(int64_t width, int64_t height) {
  Picture p = Filled(width, height, {});
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x)
      p.At(x, y) = kBlocks[static_cast<size_t>((x / 16 + y / 16 * 3) % kBlocks.size())];
  return p;
}

// Varied content, so that quality makes a difference in size.
Picture Noise(int64_t width, int64_t height) {
  Picture p = Filled(width, height, {});
  uint32_t state = 12345;
  for (Rgb& c : p.pixels) {
    state = state * 1103515245u + 12345u;
    c = {static_cast<uint8_t>(state >> 24), static_cast<uint8_t>(state >> 16),
         static_cast<uint8_t>((state >> 8) & 0x7F)};
  }
  return p;
}

// Centre pixels of the 16 x 16 blocks only: edges blur.
void ExpectBlockCentres(int64_t image, const Picture& expected, int tolerance) {
  for (int64_t y = 8; y < expected.height; y += 16)
    for (int64_t x = 8; x < expected.width; x += 16) {
      Rgb a = PixelOf(image, x, y), e = expected.At(x, y);
      EXPECT_NEAR(a.r, e.r, tolerance) << x << "," << y;
      EXPECT_NEAR(a.g, e.g, tolerance) << x << "," << y;
      EXPECT_NEAR(a.b, e.b, tolerance) << x << "," << y;
    }
}

std::vector<uint8_t> CmykJpeg(int64_t width, int64_t height, const uint8_t cmyk[4], bool ycck) {
  return JpegFromRows(width, height, ycck ? JpegLayout::Ycck : JpegLayout::Cmyk, 100, false,
                      [&](int64_t, uint8_t* row) {
                        for (int64_t i = 0; i < width * 4; ++i) row[i] = cmyk[i % 4];
                      });
}

// Sets the size a file's start of frame (baseline or progressive) declares.
void DeclareSize(std::vector<uint8_t>& file, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 8 < file.size(); ++i)
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
      file[i + 5] = static_cast<uint8_t>(height >> 8), file[i + 6] = static_cast<uint8_t>(height);
      file[i + 7] = static_cast<uint8_t>(width >> 8), file[i + 8] = static_cast<uint8_t>(width);
      return;
    }
  ADD_FAILURE() << "no start of frame";
}

TEST_F(JpegTest, ColourAndGreyPicturesDecodeToTwentyFourBits) {
  Picture colour = Blocks(48, 40);
  auto file = JpegFile(colour, 3, 95);
  ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(ImageGetWidth(0), 48);
  EXPECT_EQ(ImageGetHeight(0), 40);
  EXPECT_EQ(BitmapOf(0)->format, kImageFormatJpeg);
  EXPECT_EQ(BitmapOf(0)->depth, 24);
  EXPECT_EQ(BitmapOf(0)->sourceDepth, 24);
  ExpectBlockCentres(0, colour, 6);

  Picture grey = Filled(33, 17, {});
  for (int64_t x = 0; x < 33; ++x)
    for (int64_t y = 0; y < 17; ++y) grey.At(x, y).r = static_cast<uint8_t>(x < 16 ? 40 : 220);
  file = JpegFile(grey, 1, 95);
  ASSERT_NE(ImageFromMemory(1, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(BitmapOf(1)->depth, 24);
  for (auto [x, value] : {std::pair{3, 40}, std::pair{30, 220}}) {
    Rgb c = PixelOf(1, x, 8);
    EXPECT_EQ(c.r, c.g);
    EXPECT_EQ(c.g, c.b);
    EXPECT_NEAR(c.r, value, 4);
  }

  file = JpegFile(colour, 3, 95, true);  // progressive
  ASSERT_NE(ImageFromMemory(2, file.data(), static_cast<int64_t>(file.size())), 0);
  ExpectBlockCentres(2, colour, 6);
}

TEST_F(JpegTest, CmykAndYcckMultiplyEachInkByBlack) {
  // Adobe files hold inverted inks; libjpeg hands them over as written, and R = C x K / 255.
  const uint8_t cmyk[4] = {200, 100, 50, 150};
  for (bool ycck : {false, true}) {
    SCOPED_TRACE(ycck ? "YCCK" : "CMYK");
    auto file = CmykJpeg(16, 16, cmyk, ycck);
    ASSERT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
    Rgb c = PixelOf(0, 8, 8);
    EXPECT_NEAR(c.r, 117, 2);
    EXPECT_NEAR(c.g, 58, 2);
    EXPECT_NEAR(c.b, 29, 2);
    EXPECT_EQ(BitmapOf(0)->depth, 24);
  }
}

TEST_F(JpegTest, SavedFilesAreReadByLibjpegAtEveryQuality) {
  Picture reference = Noise(96, 64);
  auto bmp = BmpFile(reference, 24, false);
  ASSERT_NE(ImageFromMemory(0, bmp.data(), static_cast<int64_t>(bmp.size())), 0);
  std::vector<std::vector<uint8_t>> files;
  for (int64_t quality : {-3, 0, 7, 10, 11}) {
    auto path = folder / ("q" + std::to_string(quality) + ".jpg");
    ASSERT_EQ(ImageSave(0, PathText(path), kImageFormatJpeg, quality), 1) << quality;
    files.push_back(ReadBytes(path));
    Picture decoded;
    ASSERT_TRUE(ReadJpeg(files.back(), decoded)) << quality;
    EXPECT_EQ(decoded.width, 96);
    EXPECT_EQ(decoded.height, 64);
  }
  EXPECT_EQ(files[0], files[1]) << "below 0 counts as 0";
  EXPECT_EQ(files[3], files[4]) << "above 10 counts as 10";
  EXPECT_LT(files[1].size() * 4, files[3].size()) << "quality 0 is far smaller than 10";
  EXPECT_LT(files[2].size(), files[3].size());

  auto flat = BmpFile(Blocks(64, 48), 24, true);
  ASSERT_NE(ImageFromMemory(1, flat.data(), static_cast<int64_t>(flat.size())), 0);
  ASSERT_EQ(ImageSave(1, PathText(folder / "flat.jpg"), kImageFormatJpeg, 10), 1);
  Picture flatBack;
  ASSERT_TRUE(ReadJpeg(ReadBytes(folder / "flat.jpg"), flatBack));
  for (int64_t y = 8; y < 48; y += 16)
    for (int64_t x = 8; x < 64; x += 16) {
      Rgb expected = Blocks(64, 48).At(x, y);
      EXPECT_NEAR(flatBack.At(x, y).r, expected.r, 3);
      EXPECT_NEAR(flatBack.At(x, y).g, expected.g, 3);
      EXPECT_NEAR(flatBack.At(x, y).b, expected.b, 3);
    }
}

TEST_F(JpegTest, SaveChecksDepthFormatPathAndNumber) {
  auto bmp = BmpFile(Blocks(16, 16), 24, false);
  ASSERT_NE(ImageFromMemory(0, bmp.data(), static_cast<int64_t>(bmp.size())), 0);
  auto path = PathText(folder / "out.jpg");
  EXPECT_EQ(ImageSave(0, path, kImageFormatJpeg, 7, 16), 0);
  EXPECT_EQ(ImageSave(0, path, kImageFormatJpeg, 7, 12), 0);
  EXPECT_EQ(ImageSave(0, path, 0x12345, 7), 0);
  EXPECT_EQ(ImageSave(0, Text(), kImageFormatJpeg, 7), 0);
  EXPECT_EQ(ImageSave(9, path, kImageFormatJpeg, 7), 0);
  EXPECT_EQ(ImageSave(0, PathText(folder / "missing" / "out.jpg"), kImageFormatJpeg, 7), 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "out.jpg"));
  EXPECT_EQ(ImageSave(0, path, kImageFormatJpeg, 7, 8), 1);
}

TEST_F(JpegTest, FailedSaveKeepsTheFileThatWasThere) {
  // libjpeg refuses pictures wider than 65500 pixels, after the file would have been opened.
  std::vector<uint8_t> wide = BmpFile(Filled(70000, 1, {1, 2, 3}), 24, false);
  ASSERT_NE(ImageFromMemory(0, wide.data(), static_cast<int64_t>(wide.size())), 0);
  auto path = folder / "kept.jpg";
  std::vector<uint8_t> original{1, 2, 3, 4, 5};
  WriteBytes(path, original);
  EXPECT_EQ(ImageSave(0, PathText(path), kImageFormatJpeg, 5), 0);
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1)
      << "no half-written file is left behind";
}

// What the file system keeps about a file besides its bytes: the mode bits on POSIX, the
// attributes (hidden, here) on Windows, where the mode is only "read-only or not".
#ifdef _WIN32
void GiveAMark(const std::filesystem::path& path) {
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
}
bool HasTheMark(const std::filesystem::path& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}
#else
constexpr auto kMarkedMode = std::filesystem::perms::owner_read |
                             std::filesystem::perms::owner_write |
                             std::filesystem::perms::group_read;
void GiveAMark(const std::filesystem::path& path) {
  std::filesystem::permissions(path, kMarkedMode);
}
bool HasTheMark(const std::filesystem::path& path) {
  return (std::filesystem::status(path).permissions() & std::filesystem::perms::all) == kMarkedMode;
}
#endif

TEST_F(JpegTest, ReplacingAFileKeepsItsPermissions) {
  auto bmp = BmpFile(Blocks(16, 16), 24, false);
  ASSERT_NE(ImageFromMemory(0, bmp.data(), static_cast<int64_t>(bmp.size())), 0);
  auto path = folder / "mode.jpg";
  WriteBytes(path, {0});
  GiveAMark(path);
  ASSERT_TRUE(HasTheMark(path));
  ASSERT_EQ(ImageSave(0, PathText(path), kImageFormatJpeg, 1), 1);
  EXPECT_TRUE(HasTheMark(path));
  EXPECT_GT(ReadBytes(path).size(), 100u);
}

TEST_F(JpegTest, StartOfImageAloneIsNotEnough) {
  auto good = JpegFile(Blocks(32, 32), 3, 80);
  ASSERT_NE(ImageFromMemory(7, good.data(), static_cast<int64_t>(good.size())), 0);
  std::vector<uint8_t> fake{0xFF, 0xD8, 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  EXPECT_EQ(ImageFromMemory(7, fake.data(), static_cast<int64_t>(fake.size())), 0);
  EXPECT_EQ(ImageGetHandle(7), 0) << "the old picture is released and the number free";
  std::vector<uint8_t> markerOnly{0xFF, 0xD8};
  EXPECT_EQ(ImageFromMemory(7, markerOnly.data(), 2), 0);
}

TEST_F(JpegTest, TruncatedFileDecodesAsFarAsItGoesOnceTheHeaderIsWhole) {
  Picture reference = Noise(64, 64);  // a flat top over noise that fills the file
  for (int64_t y = 0; y < 16; ++y)
    for (int64_t x = 0; x < 64; ++x) reference.At(x, y) = kBlocks[0];
  auto file = JpegFile(reference, 3, 90);
  size_t scan = 0;
  while (scan + 1 < file.size() && !(file[scan] == 0xFF && file[scan + 1] == 0xDA)) ++scan;
  auto half = file;
  half.resize(scan + (file.size() - scan) / 2);
  ASSERT_NE(ImageFromMemory(0, half.data(), static_cast<int64_t>(half.size())), 0);
  EXPECT_EQ(ImageGetWidth(0), 64);
  EXPECT_EQ(ImageGetHeight(0), 64);
  Rgb top = PixelOf(0, 8, 8);
  EXPECT_NEAR(top.r, kBlocks[0].r, 6) << "the top arrived";
  EXPECT_NEAR(top.g, kBlocks[0].g, 6);
  EXPECT_NEAR(top.b, kBlocks[0].b, 6);
  EXPECT_EQ(ImageFromMemory(0, file.data(), 40), 0) << "cut inside the header";
  EXPECT_EQ(ImageGetHandle(0), 0);
}

TEST_F(JpegTest, DeclaredSizeBeyondTheLimitFailsBeforeDecoding) {
  auto file = JpegFile(Blocks(16, 16), 3, 80);
  DeclareSize(file, 65000, 65000);
  EXPECT_EQ(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
}

// A few hundred bytes that declare a huge picture would cost seconds and gigabytes to
// decode; such files fail at once. Pictures whose data are dense enough for their size,
// the flattest a real encoder makes among them, still decode.
TEST_F(JpegTest, DecodingWorkStaysInProportionToTheData) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    auto hostile = JpegFile(Blocks(16, 16), 3, 80, progressive);
    DeclareSize(hostile, 16000, 16000);
    EXPECT_EQ(ImageFromMemory(0, hostile.data(), static_cast<int64_t>(hostile.size())), 0);
    EXPECT_EQ(ImageGetHandle(0), 0);
    for (const int components : {1, 3}) {
      auto flat = JpegFile(Filled(2000, 1500, {90, 90, 90}), components, 75, progressive);
      ASSERT_NE(ImageFromMemory(0, flat.data(), static_cast<int64_t>(flat.size())), 0)
          << components << " components, " << flat.size() << " bytes";
      EXPECT_EQ(ImageGetWidth(0), 2000);
    }
  }
}

TEST_F(JpegTest, JpegNeedsRegistering) {
  ImageServiceEnd();
  ImageServiceInit();
  auto file = JpegFile(Blocks(16, 16), 3, 80);
  EXPECT_EQ(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  auto bmp = BmpFile(Blocks(16, 16), 24, false);
  ASSERT_NE(ImageFromMemory(0, bmp.data(), static_cast<int64_t>(bmp.size())), 0);
  EXPECT_EQ(ImageSave(0, PathText(folder / "a.jpg"), kImageFormatJpeg, 5), 0);
  ImageRegisterJpeg();
  ImageRegisterJpeg();
  EXPECT_NE(ImageFromMemory(0, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_EQ(ImageSave(0, PathText(folder / "a.jpg"), kImageFormatJpeg, 5), 1);
}

}  // namespace
