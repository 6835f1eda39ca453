// Toolbars: docking, buttons and their pictures, and the events of their clicks.
#include "toolbar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QToolButton>

#include "images.h"
#include "statusbar.h"
#include "toolkit_internal.h"
#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

using ToolbarTest = ShownWindowTest;

QToolButton* ButtonWidget(int64_t toolbar, int index) {
  return WidgetAt(ToolbarGetHandle(toolbar))->findChildren<QToolButton*>().at(index);
}

TEST_F(ToolbarTest, DisabledButtonRaisesNothingUntilEnabledAgain) {
  ToolbarCreate(1, WindowGetHandle(2), 0);
  ToolbarAddStockButton(0, kStockNewDocument, 0, u"");
  ToolbarAddSeparator();
  ToolbarAddStockButton(7, kStockSave, 0, u"");
  EXPECT_EQ(ButtonWidget(1, 1)->x(), 23 + 8) << "a separator keeps 8 pixels";
  ToolbarSetButtonDisabled(1, 7, 1);
  QTest::mouseClick(ButtonWidget(1, 1), Qt::LeftButton);
  EXPECT_TRUE(Seen().empty());
  ToolbarSetButtonDisabled(1, 7, 0);
  QTest::mouseClick(ButtonWidget(1, 1), Qt::LeftButton);
  QTest::mouseClick(ButtonWidget(1, 0), Qt::LeftButton);
  EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, 2, 7, 0}, {kEventMenu, 2, 0, 0}}));
  // Buttons it does not have are ignored.
  ToolbarSetTip(1, 99, u"none");
  ToolbarSetButtonDisabled(1, 99, 1);
  EXPECT_EQ(ToolbarGetTip(1, 99), u"");
  EXPECT_EQ(ToolbarIsButtonDisabled(1, 99), 0);
}

TEST_F(ToolbarTest, DocksAboveTheStatusbarAndBothFollowTheWindowWidth) {
  ToolbarCreate(1, WindowGetHandle(2), 0);
  StatusbarCreate(1, WindowGetHandle(2));
  StatusbarAddField(240);
  WindowMove(2, kKeepValue, kKeepValue, 800, 400);
  QWidget* toolbar = WidgetAt(ToolbarGetHandle(1));
  QWidget* statusbar = WidgetAt(StatusbarGetHandle(1));
  EXPECT_EQ(toolbar->geometry(), QRect(0, 0, 800, ToolbarGetHeight(1)));
  EXPECT_EQ(statusbar->geometry(),
            QRect(0, 400 - StatusbarGetHeight(1), 800, StatusbarGetHeight(1)));
  EXPECT_EQ(StatusbarGetFieldX(1, 0), 0);
  EXPECT_EQ(StatusbarGetFieldWidth(1, 0), 240);
}

TEST(ToolbarPicture, BitmapIsScaledAndItsBackgroundMaskedOut) {
  ImageBitmap bitmap;
  bitmap.width = 4;
  bitmap.height = 2;
  bitmap.stride = 12;
  bitmap.pixels.assign(24, 0xF0);  // light grey background
  uint8_t* top = bitmap.Line(0) + 3 * 3;
  top[0] = 0, top[1] = 0, top[2] = 255;  // a red pixel at the top right
  auto pixels = ToolbarButtonPixels(bitmap, 8);
  ASSERT_EQ(pixels.size(), 64u);
  EXPECT_EQ(pixels[0], 0u) << "the top-left colour is transparent";
  EXPECT_EQ(pixels[7], 0xFFFF0000u);
  EXPECT_EQ(pixels[3 * 8 + 7], 0xFFFF0000u);
  EXPECT_EQ(pixels[4 * 8 + 7], 0u);
  ImageBitmap broken = bitmap;
  broken.pixels.resize(10);
  EXPECT_TRUE(ToolbarButtonPixels(broken, 8).empty());
  broken = bitmap;
  broken.depth = 8;
  EXPECT_TRUE(ToolbarButtonPixels(broken, 8).empty());
}

TEST_F(ToolbarTest, ImageButtonShowsItsPictureWithTheBackgroundMaskedOut) {
  ImageBitmap picture;  // light grey with a red square in the middle
  picture.width = picture.height = 16;
  picture.stride = 48;
  picture.pixels.assign(48 * 16, 0xF0);
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) {
      uint8_t* p = picture.Line(y) + x * 3;
      p[0] = 0, p[1] = 0, p[2] = 255;
    }
  ToolbarCreate(1, WindowGetHandle(2), 0);
  ToolbarAddImageButton(3, reinterpret_cast<intptr_t>(&picture), 0, u"");
  QImage shown = ButtonWidget(1, 0)->icon().pixmap(16, 16).toImage();
  EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
  EXPECT_EQ(shown.pixelColor(8, 8), QColor(255, 0, 0));
}

}  // namespace
