// Numbered fonts: character heights, the fallback face, flags, and the table's rules.
#include "picture_helpers.h"

namespace {

using FontsTest = ImagesTest;

FontSpec Describe(int64_t handle) {
  FontSpec description;
  EXPECT_TRUE(FontDescribe(handle, description));
  return description;
}

int64_t WidthWith(int64_t font, const Text& text) {
  auto file = BmpFile(Filled(4, 4, {}), 24, false);
  EXPECT_NE(ImageFromMemory(15, file.data(), static_cast<int64_t>(file.size())), 0);
  EXPECT_NE(DrawBegin(ImageDrawTarget(15)), 0);
  EXPECT_EQ(DrawSetFont(font), 1);
  int64_t width = DrawTextWidth(text);
  DrawEnd();
  return width;
}

TEST_F(FontsTest, MarkFontIsDejaVuSansBoldAtTheScreensPixelsPerInch) {
  ASSERT_EQ(FontScreenDpi(), 96) << "the offscreen platform reports 96 per inch";
  int64_t handle = FontLoad(1, u"DejaVu Sans", 216, kFontBold);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(FontGetHandle(1), handle);
  FontSpec description = Describe(handle);
  EXPECT_EQ(description.face, u"DejaVu Sans");
  EXPECT_EQ(description.pixelHeight, 288);
  EXPECT_EQ(description.flags, kFontBold);
  EXPECT_EQ(Describe(FontLoad(2, u"DejaVu Sans", 10, 0)).pixelHeight, 13);  // 13.33 rounded
}

TEST_F(FontsTest, UnknownFaceFallsBackToAnInstalledSansFace) {
  int64_t handle = FontLoad(3, u"No Such Face 7f3a", 20, 0);
  ASSERT_NE(handle, 0);
  FontSpec description = Describe(handle);
  EXPECT_NE(description.face, u"No Such Face 7f3a");
  EXPECT_EQ(description.face, Describe(FontLoad(4, u"sans-serif", 20, 0)).face);
  EXPECT_GT(WidthWith(handle, u"Trawl"), 0);
}

TEST_F(FontsTest, StyleFlagsShowInTheText) {
  int64_t regular = FontLoad(1, u"DejaVu Sans", 40, 0);
  int64_t bold = FontLoad(2, u"DejaVu Sans", 40, kFontBold);
  int64_t twice = FontLoad(3, u"DejaVu Sans", 80, 0);
  int64_t styled = FontLoad(4, u"DejaVu Sans", 40, kFontItalic | kFontUnderline | kFontStrikeOut);
  EXPECT_GT(WidthWith(bold, u"Trawl"), WidthWith(regular, u"Trawl"));
  // Widths follow the pixel heights (53 and 107 at 96 per inch), up to each of the five
  // glyphs' advance being rounded to whole pixels at either size.
  double scale = static_cast<double>(Describe(twice).pixelHeight) /
                 static_cast<double>(Describe(regular).pixelHeight);
  EXPECT_NEAR(static_cast<double>(WidthWith(twice, u"Trawl")),
              scale * static_cast<double>(WidthWith(regular, u"Trawl")), 0.5 * 5 * (1 + scale));
  EXPECT_EQ(Describe(styled).flags, kFontItalic | kFontUnderline | kFontStrikeOut);
}

TEST_F(FontsTest, BadRequestsFailAndTheTableReleases) {
  EXPECT_EQ(FontLoad(1, Text(), 12, 0), 0);
  EXPECT_EQ(FontLoad(1, u"DejaVu Sans", 0, 0), 0);
  EXPECT_EQ(FontLoad(1, u"DejaVu Sans", 5000, 0), 0);
  EXPECT_EQ(FontLoad(-2, u"DejaVu Sans", 12, 0), 0);
  EXPECT_EQ(FontGetHandle(1), 0);
  FontSpec description;
  EXPECT_FALSE(FontDescribe(12345, description));

  FontLoad(1, u"DejaVu Sans", 12, 0);
  FontLoad(1, u"DejaVu Sans", 24, 0);  // replaces the first
  EXPECT_EQ(Describe(FontGetHandle(1)).pixelHeight, 32);
  int64_t dynamic = FontLoad(-1, u"DejaVu Sans", 12, 0);
  EXPECT_NE(dynamic, 0);
  FontFree(1);
  EXPECT_EQ(FontGetHandle(1), 0);
  EXPECT_TRUE(FontDescribe(dynamic, description));
  FontFree(-1);
  EXPECT_FALSE(FontDescribe(dynamic, description));
}

}  // namespace
