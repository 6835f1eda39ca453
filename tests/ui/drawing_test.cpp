// Rotated text on pictures: direction and anchor, the blending rule, clipping, the
// drawing life cycle and drawing on two threads at once.
#include <cmath>
#include <thread>
#include <vector>

#include "picture_helpers.h"
#include "platform/text_render.h"

namespace {

const Rgb kBackground{10, 20, 30};
const Text kWord = u"HHHH";

struct Extent {
  int64_t count = 0;
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  double sumX = 0, sumY = 0;
  double CentreX() const { return sumX / static_cast<double>(count); }
  double CentreY() const { return sumY / static_cast<double>(count); }
};

Extent Changed(const Picture& before, const Picture& after) {
  Extent e;
  for (int64_t y = 0; y < after.height; ++y)
    for (int64_t x = 0; x < after.width; ++x)
      if (!(after.At(x, y) == before.At(x, y))) {
        ++e.count;
        e.left = std::min(e.left, x), e.right = std::max(e.right, x);
        e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
        e.sumX += static_cast<double>(x), e.sumY += static_cast<double>(y);
      }
  return e;
}

class DrawingTest : public ImagesTest {
 protected:
  void SetUp() override {
    ImagesTest::SetUp();
    font = FontLoad(1, u"DejaVu Sans", 36, kFontBold);
    ASSERT_NE(font, 0);
    Reset(0, 400, 300);
  }

  void Reset(int64_t image, int64_t width, int64_t height) {
    auto file = BmpFile(Filled(width, height, kBackground), 24, false);
    ASSERT_NE(ImageFromMemory(image, file.data(), static_cast<int64_t>(file.size())), 0);
  }

  // Draws on the picture and returns the text cell's width and height.
  std::pair<int64_t, int64_t> Draw(int64_t image, int64_t x, int64_t y, double angle,
                                   uint32_t colour = 255, const Text& text = kWord) {
    EXPECT_NE(DrawBegin(ImageDrawTarget(image)), 0);
    EXPECT_EQ(DrawSetFont(font), 1);
    std::pair cell{DrawTextWidth(text), DrawTextHeight(text)};
    DrawTextRotated(x, y, text, angle, colour);
    DrawEnd();
    return cell;
  }

  Picture DrawnAt(double angle) {
    Reset(0, 400, 300);
    Draw(0, 150, 200, angle);
    return PictureOf(0);
  }

  int64_t font = 0;
};

TEST_F(DrawingTest, UnrotatedTextSitsInItsCellRightOfAndBelowTheAnchor) {
  Picture before = PictureOf(0);
  auto [w, h] = Draw(0, 100, 50, 0.0);
  ASSERT_GT(w, 0);
  EXPECT_GT(h, 36);  // 36 points are 48 pixels at 96 per inch; the cell is taller
  Extent e = Changed(before, PictureOf(0));
  ASSERT_GT(e.count, 0);
  EXPECT_GE(e.left, 100);
  EXPECT_LT(e.right, 100 + w);
  EXPECT_GE(e.top, 50);
  EXPECT_LT(e.bottom, 50 + h);
  EXPECT_GT(e.right - e.left, w * 3 / 4);
}

TEST_F(DrawingTest, QuarterTurnRunsUpwardsFromTheAnchor) {
  Picture before = PictureOf(0);
  auto [w, h] = Draw(0, 100, 250, 90.0);
  Extent e = Changed(before, PictureOf(0));
  ASSERT_GT(e.count, 0);
  EXPECT_GE(e.left, 100 - 1);
  EXPECT_LE(e.right, 100 + h);
  EXPECT_LE(e.bottom, 250);
  EXPECT_GE(e.top, 250 - w - 1);
  EXPECT_GT(e.bottom - e.top, w * 3 / 4) << "the text runs along y";
}

TEST_F(DrawingTest, FortyFiveDegreesRisesToTheRight) {
  Picture before = PictureOf(0);
  auto [w, h] = Draw(0, 100, 250, 45.0);
  Extent e = Changed(before, PictureOf(0));
  ASSERT_GT(e.count, 0);
  double dx = e.CentreX() - 100, dy = e.CentreY() - 250;
  EXPECT_GT(dx, 0);
  EXPECT_LT(dy, 0);
  // The middle of the text lies half its length along the diagonal, pulled a little
  // down and right by the cell's height.
  EXPECT_NEAR(dx - h / 2.0 * 0.707, w / 2.0 * 0.707, w * 0.1);
  EXPECT_NEAR(-dy + h / 2.0 * 0.707, w / 2.0 * 0.707, w * 0.1);
}

TEST_F(DrawingTest, AnglesCountModuloAFullTurn) {
  Picture at45 = DrawnAt(45.0);
  EXPECT_EQ(DrawnAt(405.0), at45);
  EXPECT_EQ(DrawnAt(-315.0), at45);
  EXPECT_EQ(DrawnAt(360.0), DrawnAt(0.0));
  EXPECT_NE(DrawnAt(46.0), at45);
}

TEST_F(DrawingTest, CoveredPixelsTakeTheColourExactlyAndOthersStay) {
  Picture before = PictureOf(0);
  Draw(0, 60, 60, 0.0, 0x804020, u"\u2588\u2588");  // full blocks: solid ink
  Picture after = PictureOf(0);
  const Rgb front{0x20, 0x40, 0x80};
  int64_t exact = 0, between = 0;
  for (size_t i = 0; i < after.pixels.size(); ++i) {
    Rgb c = after.pixels[i];
    if (c == front) ++exact;
    if (c == kBackground || c == front) continue;
    ++between;
    EXPECT_TRUE(c.r >= kBackground.r && c.r <= front.r && c.g >= kBackground.g &&
                c.g <= front.g && c.b >= kBackground.b && c.b <= front.b)
        << c;
  }
  EXPECT_GT(exact, 500);
  EXPECT_LT(between, exact / 4) << "only the edges are blended";
  EXPECT_EQ(after.At(0, 0), kBackground);
  EXPECT_EQ(after.At(399, 299), kBackground);
}

TEST_F(DrawingTest, MaskBlendsByTheRuleAndIsClippedAtTheEdges) {
  ImageBitmap& target = *BitmapOf(0);
  const uint8_t row[3] = {0, 128, 255};
  DrawBlendMask(target, 1, 1, 3, 1, row, 3, 255);
  EXPECT_EQ(PixelOf(0, 1, 1), kBackground);
  // (128 x 255 + 127 x 10) / 255 = 132, 127 x 20 / 255 = 9, 127 x 30 / 255 = 14: truncated.
  EXPECT_EQ(PixelOf(0, 2, 1), (Rgb{132, 9, 14}));
  EXPECT_EQ(PixelOf(0, 3, 1), (Rgb{255, 0, 0}));

  const uint8_t full[4] = {255, 255, 255, 255};
  DrawBlendMask(target, -1, -1, 2, 2, full, 2, 0xFFFFFF);
  EXPECT_EQ(PixelOf(0, 0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(0, 1, 0), kBackground);
  EXPECT_EQ(PixelOf(0, 0, 1), kBackground);
  DrawBlendMask(target, 399, 299, 2, 2, full, 2, 0xFFFFFF);
  EXPECT_EQ(PixelOf(0, 399, 299), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelOf(0, 398, 299), kBackground);
  Picture before = PictureOf(0);
  DrawBlendMask(target, 400, 0, 2, 2, full, 2, 0xFFFFFF);
  DrawBlendMask(target, -2, 5, 2, 2, full, 2, 0xFFFFFF);
  EXPECT_EQ(PictureOf(0), before);
}

TEST_F(DrawingTest, TextOutsideThePictureChangesNothingAndPartlyOutsideIsClipped) {
  Picture before = PictureOf(0);
  Draw(0, -5000, 100, 45.0);
  Draw(0, 100, 5000, 0.0);
  Draw(0, 400, 0, 0.0);
  Draw(0, 50, 50, 45.0, 255, Text());
  EXPECT_EQ(PictureOf(0), before);

  const Text solid = u"\u2588\u2588\u2588";
  int64_t w = Draw(0, 0, -1000, 0.0, 255, solid).first;  // measures only: far above
  Draw(0, -w / 2, 280, 0.0, 255, solid);
  Extent e = Changed(before, PictureOf(0));
  ASSERT_GT(e.count, 0);
  EXPECT_EQ(e.left, 0);
  EXPECT_EQ(e.bottom, 299);
  EXPECT_LT(e.right, w / 2 + 2);
}

TEST_F(DrawingTest, LifeCycleFailuresLeaveTheThreadWithoutAContext) {
  EXPECT_EQ(ImageDrawTarget(9), 0);
  EXPECT_EQ(DrawBegin(0), 0);
  int64_t target = ImageDrawTarget(0);
  ASSERT_NE(target, 0);
  EXPECT_EQ(DrawBegin(target + 8), 0);
  EXPECT_EQ(DrawBegin(target), 0) << "the failed begin dropped the context";
  EXPECT_EQ(DrawTextWidth(kWord), 0);
  Picture before = PictureOf(0);
  DrawTextRotated(10, 10, kWord, 0.0, 255);
  EXPECT_EQ(PictureOf(0), before);

  ASSERT_NE(DrawBegin(ImageDrawTarget(0)), 0);
  int64_t system = DrawTextWidth(kWord);
  EXPECT_GT(system, 0);
  EXPECT_EQ(DrawSetFont(font + 1), 0) << "not a font handle";
  EXPECT_EQ(DrawTextWidth(kWord), system);
  EXPECT_EQ(DrawSetFont(font), 1);
  int64_t big = DrawTextWidth(kWord);
  EXPECT_GT(big, system);
  EXPECT_EQ(DrawText(7, 100, kWord), 7 + big);
  EXPECT_EQ(DrawSetFont(kDrawSystemFont), 1);
  EXPECT_EQ(DrawTextWidth(kWord), system);
  EXPECT_EQ(DrawTextWidth(Text()), 0);
  DrawEnd();
  EXPECT_EQ(DrawTextWidth(kWord), 0);
  EXPECT_NE(PictureOf(0), before) << "DrawText drew";
}

// The download worker's mark: a decoded JPEG gets a large red text across its middle at 45
// degrees, its length's middle on the picture's centre, and is saved at the strongest
// compression; the result reads back, red along the rising diagonal and untouched in the
// corners off it.
TEST_F(DrawingTest, MarkedJpegSavesAndReadsBackWithTheMarkAcrossItsMiddle) {
  const Rgb grey{128, 128, 128};
  auto original = JpegFile(Filled(800, 600, grey), 3, 90);
  ASSERT_NE(ImageFromMemory(100, original.data(), static_cast<int64_t>(original.size())), 0);
  int64_t markFont = FontLoad(2, u"DejaVu Sans", 216, kFontBold);
  ASSERT_NE(markFont, 0);
  ASSERT_NE(DrawBegin(ImageDrawTarget(100)), 0);
  ASSERT_EQ(DrawSetFont(markFont), 1);
  const Text mark = u"TRAWL";
  auto offset = static_cast<int64_t>(std::nearbyint(DrawTextWidth(mark) * 0.707 / 2.0));
  // The anchor is the cell's top: its middle lies half a cell height down the normal.
  int64_t middle = DrawTextHeight(mark) * 707 / 2000;
  DrawTextRotated(400 - offset, 300 + offset, mark, 45.0, 255);
  DrawEnd();
  auto path = folder / "marked.jpg";
  ASSERT_EQ(ImageSave(100, PathText(path), kImageFormatJpeg, 0), 1);

  Picture marked;
  ASSERT_TRUE(ReadJpeg(ReadBytes(path), marked));
  ASSERT_EQ(marked.width, 800);
  ASSERT_EQ(marked.height, 600);
  // Quality 0 turns the red crimson and its edges pink; grey stays grey.
  auto red = [](Rgb c) { return c.r - std::max(c.g, c.b) > 80; };
  int64_t inMiddle = 0, corners = 0;
  for (int64_t y = 0; y < 600; ++y)
    for (int64_t x = 0; x < 800; ++x) {
      if (!red(marked.At(x, y))) continue;
      if (std::abs(x - 400 - middle) < 100 && std::abs(y - 300 - middle) < 100) ++inMiddle;
      // Top left and bottom right lie about 500 pixels off the diagonal the text runs on.
      if ((x < 60 && y < 60) || (x >= 740 && y >= 540)) ++corners;
    }
  EXPECT_GT(inMiddle, 40 * 40) << "the middle of the text is inked";
  EXPECT_EQ(corners, 0);
  EXPECT_NE(ImageLoad(101, PathText(path), 0), 0);
  EXPECT_EQ(ImageGetWidth(101), 800);
}

// A font far larger than the picture: the renderer hands back a mask of the part inside
// the clip only, inked there, and nothing for a cell wholly outside it.
TEST_F(DrawingTest, HugeTextIsRenderedOnlyWhereItMeetsTheClip) {
  FontSpec huge;
  ASSERT_TRUE(PlatformFontResolve(u"DejaVu Sans", huge.face));
  huge.pixelHeight = 5000;
  TextRenderer renderer;
  renderer.UseFont(huge);
  const Text solid = u"\u2588\u2588\u2588";
  int64_t w = renderer.Width(solid), h = renderer.Height(solid);
  ASSERT_GT(w, 5000);
  // The cell's middle on the clip's centre (300, 200), the text rising at 45 degrees.
  auto x = static_cast<int64_t>(300 - 0.707 * (w + h) / 2);
  auto y = static_cast<int64_t>(200 + 0.707 * (w - h) / 2);
  TextMask mask;
  ASSERT_TRUE(renderer.Render(solid, x, y, 45.0, 600, 400, mask));
  EXPECT_EQ(mask.left, 0);
  EXPECT_EQ(mask.top, 0);
  EXPECT_EQ(mask.width, 600);
  EXPECT_EQ(mask.height, 400);
  int64_t inked = 0;
  for (int64_t row = 0; row < mask.height; ++row)
    for (int64_t column = 0; column < mask.width; ++column)
      inked += mask.bits[row * mask.stride + column] == 255;
  EXPECT_GT(inked, mask.width * mask.height * 9 / 10);
  EXPECT_FALSE(renderer.Render(solid, 700, 0, 0.0, 600, 400, mask));
  EXPECT_FALSE(renderer.Render(solid, -w - h / 4, 100, 0.0, 600, 400, mask));  // past any overhang
}

// Masks are kept for every thread (a worker thread marks each picture): one thread gets
// what another rendered, and nothing rendered otherwise is taken for it.
TEST_F(DrawingTest, EveryThreadGetsTheMaskItWouldRenderItself) {
  FontSpec face;
  ASSERT_TRUE(PlatformFontResolve(u"DejaVu Sans", face.face));
  face.pixelHeight = 40;
  auto rendered = [&face](double angle, int64_t clipWidth) {
    TextRenderer renderer;
    renderer.UseFont(face);
    TextMask mask;
    std::vector<uint8_t> bytes;
    if (!renderer.Render(kWord, 30, 120, angle, clipWidth, 200, mask)) return bytes;
    for (int64_t row = 0; row < mask.height; ++row)
      bytes.insert(bytes.end(), mask.bits + row * mask.stride,
                   mask.bits + row * mask.stride + mask.width);
    bytes.push_back(static_cast<uint8_t>(mask.width));
    return bytes;
  };
  const std::vector<uint8_t> here = rendered(30.0, 300);
  ASSERT_FALSE(here.empty());
  std::vector<uint8_t> there, turned, narrower;
  std::thread([&] {
    there = rendered(30.0, 300);
    turned = rendered(31.0, 300);
    narrower = rendered(30.0, 120);
  }).join();
  EXPECT_EQ(there, here);
  EXPECT_NE(turned, here);
  EXPECT_NE(narrower, here);
  EXPECT_EQ(rendered(31.0, 300), turned);
}

// Twenty rounds over the same spot: a disturbed round would show in the blend.
void DrawRounds(int64_t image, int64_t font, double angle, uint32_t colour) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_NE(DrawBegin(ImageDrawTarget(image)), 0);
    DrawSetFont(font);
    DrawTextRotated(80, 250, kWord, angle, colour);
    DrawEnd();
  }
}

TEST_F(DrawingTest, TwoThreadsDrawAtTheSameTimeWithoutDisturbingEachOther) {
  Reset(1, 400, 300);
  DrawRounds(0, font, 45.0, 0x00FF00);
  DrawRounds(1, font, 10.0, 0xFF0000);
  Picture expected0 = PictureOf(0), expected1 = PictureOf(1);
  Reset(0, 400, 300);
  Reset(1, 400, 300);

  int64_t otherTarget = 0;
  std::thread worker([&] {
    DrawRounds(1, font, 10.0, 0xFF0000);
    otherTarget = ImageDrawTarget(1);
  });
  DrawRounds(0, font, 45.0, 0x00FF00);
  worker.join();
  EXPECT_EQ(PictureOf(0), expected0);
  EXPECT_EQ(PictureOf(1), expected1);
  EXPECT_EQ(DrawBegin(otherTarget), 0) << "another thread's target is not ours";
}

}  // namespace
