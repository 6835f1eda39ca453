// The application's main window, built with the numbers, coordinates and flags it uses,
// laid out by a routine bound to the size event as the application binds it.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "gadgets.h"
#include "images.h"
#include "menus.h"
#include "report_list.h"
#include "statusbar.h"
#include "toolbar.h"
#include "ui_support.h"
#include "windows.h"

namespace {

int64_t toolbarHeight = 0;
int64_t statusbarHeight = 0;

int LayoutMainWindow() {
  int64_t w = WindowGetInnerWidth(0);
  int64_t h = WindowGetInnerHeight(0);
  GadgetMove(4, kKeepValue, kKeepValue, w - 360, kKeepValue);
  GadgetMove(0, kKeepValue, kKeepValue, w, h - toolbarHeight - statusbarHeight);
  GadgetMove(5, kKeepValue, kKeepValue, w - 240, kKeepValue);
  GadgetMove(7, (w - 270) / 3 + 10, kKeepValue, 2 * (w - 270) / 3, kKeepValue);
  GadgetMove(6, 5, kKeepValue, (w - 270) / 3, kKeepValue);
  return 0;
}

// The stop button's picture: a red disc with a white cross on light grey, 16 x 16.
ImageBitmap StopPicture() {
  ImageBitmap picture;
  picture.width = picture.height = 16;
  picture.stride = 48;
  picture.pixels.resize(48 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      int dx = 2 * x - 15, dy = 2 * y - 15;
      bool disc = dx * dx + dy * dy <= 14 * 14;
      bool cross = disc && (std::abs(dx - dy) <= 2 || std::abs(dx + dy) <= 2) && std::abs(dx) < 9;
      uint8_t* p = picture.Line(y) + x * 3;
      uint8_t r = cross ? 255 : disc ? 255 : 240, g = cross ? 255 : disc ? 0 : 240,
              b = cross ? 255 : disc ? 0 : 240;
      p[0] = b, p[1] = g, p[2] = r;
    }
  }
  return picture;
}

ImageBitmap stopPicture = StopPicture();

void BuildMainWindow() {
  WindowCreate(0, 10, 10, 640, 320, u"Trawl test", 0x10CF0000);
  WindowSetClipErase(0, 1);
  WindowSetSizeLimits(0, 640, 320, kKeepValue, kKeepValue);
  int64_t w = WindowGetInnerWidth(0);
  int64_t h = WindowGetInnerHeight(0);

  ToolbarCreate(0, WindowGetHandle(0), 0);
  ToolbarAddStockButton(0, 6, 0, u"");
  ToolbarSetTip(0, 0, u"Clear the list");
  ToolbarAddStockButton(1, 8, 0, u"");
  ToolbarSetButtonDisabled(0, 1, 1);
  ToolbarSetTip(0, 1, u"Download the checked entries");
  ToolbarAddImageButton(2, reinterpret_cast<intptr_t>(&stopPicture), 0, u"");
  ToolbarSetButtonDisabled(0, 2, 1);
  ToolbarSetTip(0, 2, u"Stop");
  ToolbarAddSeparator();
  toolbarHeight = ToolbarGetHeight(0);

  int64_t toolbar = ToolbarGetHandle(0);
  GadgetCreateTextField(1, 78, 3, 240, 18, u"search", 0);
  GadgetSetTip(1, u"Catalogue address or two numbers");
  GadgetSetParentHandle(1, toolbar);
  GadgetCreateFrame(2, 324, 3, 2, 20, u"", 2);
  GadgetSetParentHandle(2, toolbar);
  GadgetCreateButton(3, 330, 3, 18, 18, u"...", 0);
  GadgetSetTip(3, u"Choose the download folder");
  GadgetSetParentHandle(3, toolbar);
  GadgetCreateTextField(4, 352, 3, w - 360, 18, u"/home/trawl/", 0x800);
  GadgetSetTip(4, u"Download folder");
  GadgetSetParentHandle(4, toolbar);

  StatusbarCreate(0, WindowGetHandle(0));
  statusbarHeight = StatusbarGetHeight(0);
  StatusbarAddField(240);

  GadgetCreateReportList(0, 0, toolbarHeight, w, h, u"#", 56, 0x40010005);
  ListAddColumn(0, 1, u"Name", 180);
  ListAddColumn(0, 2, u"Size", 120);
  ListAddColumn(0, 3, u"Status", 120);

  GadgetCreatePanel(5, 240, 2, w - 240, statusbarHeight - 4, 0);
  GadgetCreateProgressBar(7, 10, 4, 0, 10, 1, 1, 0);
  GadgetSetTip(7, u"Batch");
  GadgetCreateProgressBar(6, 10, 4, 0, 10, 1, 100, 0);
  GadgetSetTip(6, u"File");
  GadgetEndPanel();
  GadgetSetParentHandle(5, StatusbarGetHandle(0));

  LayoutMainWindow();
  EventBind(kEventSizeWindow, LayoutMainWindow, 0);

  MenuCreatePopup(4);
  MenuBeginSubmenu(u"Check");
  for (int item : {5, 6, 7, 8}) MenuAddItem(item, u"item");
  MenuEndSubmenu();
  MenuBeginSubmenu(u"Size");
  for (int item : {9, 10, 11}) MenuAddItem(item, u"item");
  MenuEndSubmenu();
  MenuBeginSubmenu(u"Queue");
  for (int item : {12, 13}) MenuAddItem(item, u"item");
  MenuEndSubmenu();
}

struct Box {
  int64_t x, y, width, height;
  bool operator==(const Box&) const = default;
};

Box GadgetBox(int64_t number) {
  return {GadgetGetX(number), GadgetGetY(number), GadgetGetWidth(number), GadgetGetHeight(number)};
}

void ExpectLayoutFor(int64_t w, int64_t h) {
  SCOPED_TRACE(testing::Message() << w << " x " << h);
  ASSERT_EQ(WindowGetInnerWidth(0), w);
  ASSERT_EQ(WindowGetInnerHeight(0), h);
  QWidget* toolbar = WidgetAt(ToolbarGetHandle(0));
  QWidget* statusbar = WidgetAt(StatusbarGetHandle(0));
  EXPECT_EQ(toolbar->geometry(), QRect(0, 0, w, toolbarHeight));
  EXPECT_EQ(statusbar->geometry(), QRect(0, h - statusbarHeight, w, statusbarHeight));
  EXPECT_EQ(GadgetBox(0), (Box{0, toolbarHeight, w, h - toolbarHeight - statusbarHeight}));
  EXPECT_EQ(GadgetBox(4), (Box{352, 3, w - 360, 18}));
  EXPECT_EQ(GadgetBox(5), (Box{240, 2, w - 240, statusbarHeight - 4}));
  EXPECT_EQ(GadgetBox(6), (Box{5, 4, (w - 270) / 3, 10}));
  EXPECT_EQ(GadgetBox(7), (Box{(w - 270) / 3 + 10, 4, 2 * (w - 270) / 3, 10}));
  EXPECT_EQ(StatusbarGetFieldX(0, 0), 0);
  EXPECT_EQ(StatusbarGetFieldWidth(0, 0), 240);
}

class MainWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { BuildMainWindow(); }
  static void TearDownTestSuite() {
    WindowClose(0);
    ForgetEvents();
  }
};

TEST_F(MainWindowTest, IsBuiltInvisibleAndKeepsItsInnerSize) {
  EXPECT_EQ(WindowIsHidden(0), 1);
  EXPECT_EQ(WindowGetInnerWidth(0), 640);
  EXPECT_EQ(WindowGetInnerHeight(0), 320);
  EXPECT_EQ(WindowGetClipErase(0), 1);
  ExpectLayoutFor(640, 320);
  // Gadgets moved into the toolbar and the status bar sit inside them.
  EXPECT_EQ(WidgetAt(GadgetGetHandle(1))->parentWidget(), WidgetAt(ToolbarGetHandle(0)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(5))->parentWidget(), WidgetAt(StatusbarGetHandle(0)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(6))->parentWidget(), WidgetAt(GadgetGetHandle(5)));
  EXPECT_GE(toolbarHeight, 18 + 3);
  EXPECT_GE(statusbarHeight, 18);
}

TEST_F(MainWindowTest, FollowsResizesAndRefusesToShrinkBelowTheLimits) {
  ShowActive(WindowGetHandle(0));
  WindowMove(0, kKeepValue, kKeepValue, 900, 500);
  ExpectLayoutFor(900, 500);
  WindowMove(0, kKeepValue, kKeepValue, 500, 200);
  ExpectLayoutFor(640, 320);
  // The file bar takes the left third, the batch bar the right two thirds.
  EXPECT_EQ(GadgetGetWidth(6), 123);
  EXPECT_EQ(GadgetGetX(7), 133);
  EXPECT_EQ(GadgetGetWidth(7), 246);
  WindowMove(0, kKeepValue, kKeepValue, 1001, 333);
  ExpectLayoutFor(1001, 333);
  WindowMove(0, kKeepValue, kKeepValue, 640, 320);
}

TEST_F(MainWindowTest, ToolbarHoldsItsButtonsLeftOfTheSearchField) {
  EXPECT_EQ(ToolbarButtonCount(0), 3);
  EXPECT_EQ(ToolbarIsButtonDisabled(0, 0), 0);
  EXPECT_EQ(ToolbarIsButtonDisabled(0, 1), 1);
  EXPECT_EQ(ToolbarIsButtonDisabled(0, 2), 1);
  EXPECT_EQ(ToolbarGetTip(0, 2), u"Stop");
  auto buttons = WidgetAt(ToolbarGetHandle(0))->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 3);
  for (QToolButton* button : buttons) {
    EXPECT_LE(button->geometry().right(), 78) << "a button under the search field";
    EXPECT_FALSE(button->icon().isNull());
  }
  // The image button's background is masked out; its disc stays.
  QImage stop = buttons[2]->icon().pixmap(16, 16).toImage();
  EXPECT_EQ(qAlpha(stop.pixel(0, 0)), 0);
  EXPECT_EQ(stop.pixelColor(4, 8).red(), 255);
}

TEST_F(MainWindowTest, ScreenshotShowsEveryPart) {
  ShowActive(WindowGetHandle(0));
  ListRemoveAllItems(0);
  ListAddItem(0, -1, u"   1\nfirst.jpg\n-\nqueued");
  ListAddItem(0, -1, u"   2\nsecond.jpg\n12,345\ndone");
  ListSetItemFlags(0, 1, 2);
  ListSetCellColor(0, 1, 1, 0xFF0000, 3);
  StatusbarSetText(0, 0, u" 2 entries", 0);
  GadgetSetProperty(7, 2, 3);
  GadgetSetValue(7, 2);
  GadgetSetValue(6, 60);
  QImage shot = WidgetAt(WindowGetHandle(0))->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(640, 320));
  EXPECT_TRUE(shot.save("/tmp/trawl-main-window.png"));
  // The blue status text of row 2 was painted with its own colour.
  bool blue = false;
  for (int y = 0; y < shot.height() && !blue; ++y)
    for (int x = 356; x < 476 && !blue; ++x) {
      QColor c = shot.pixelColor(x, y);
      blue = c.blue() > 180 && c.red() < 80 && c.green() < 80;
    }
  EXPECT_TRUE(blue);
  ListRemoveAllItems(0);
}

}  // namespace
