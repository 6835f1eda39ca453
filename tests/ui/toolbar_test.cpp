// Toolbar, status bar, popup menus and the simple gadgets' values.
#include <gtest/gtest.h>

#include <QCursor>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "gadgets.h"
#include "images.h"
#include "menus.h"
#include "toolkit_internal.h"
#include "statusbar.h"
#include "toolbar.h"
#include "ui_support.h"
#include "windows.h"

namespace {

class BarsTest : public testing::Test {
 protected:
  void SetUp() override {
    RecordEvents(kEventMenu);
    WindowCreate(2, 0, 0, 640, 300, u"bars", 0xCF0000);
    ASSERT_TRUE(ShowActive(WindowGetHandle(2)));
    ForgetEvents();
  }
  void TearDown() override {
    WindowClose(2);
    ForgetEvents();
  }
};

QToolButton* ButtonWidget(int64_t toolbar, int index) {
  return WidgetAt(ToolbarGetHandle(toolbar))->findChildren<QToolButton*>().at(index);
}

TEST_F(BarsTest, DisabledToolbarButtonRaisesNothingUntilEnabledAgain) {
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

TEST_F(BarsTest, ToolbarAndStatusbarDockAndFollowTheWindowWidth) {
  ToolbarCreate(1, WindowGetHandle(2), 0);
  StatusbarCreate(1, WindowGetHandle(2));
  StatusbarAddField(240);
  WindowMove(2, kKeepValue, kKeepValue, 800, 400);
  QWidget* toolbar = WidgetAt(ToolbarGetHandle(1));
  QWidget* statusbar = WidgetAt(StatusbarGetHandle(1));
  EXPECT_EQ(toolbar->geometry(), QRect(0, 0, 800, ToolbarGetHeight(1)));
  EXPECT_EQ(statusbar->geometry(), QRect(0, 400 - StatusbarGetHeight(1), 800, StatusbarGetHeight(1)));
  EXPECT_EQ(StatusbarGetFieldX(1, 0), 0);
  EXPECT_EQ(StatusbarGetFieldWidth(1, 0), 240);
}

TEST_F(BarsTest, StatusbarTextsGoToExistingFieldsOnly) {
  StatusbarCreate(1, WindowGetHandle(2));
  StatusbarAddField(100);
  StatusbarAddField(kKeepValue);
  StatusbarSetText(1, 1, u"right", kStatusRight);
  StatusbarSetText(1, 0, u"left", 0);
  StatusbarSetText(1, 5, u"nowhere", 0);
  StatusbarSetText(7, 0, u"no bar", 0);
  EXPECT_EQ(StatusbarGetText(1, 0), u"left");
  EXPECT_EQ(StatusbarGetText(1, 1), u"right");
  EXPECT_EQ(StatusbarFieldCount(1), 2);
  EXPECT_EQ(StatusbarGetFieldX(1, 1), 100);
  EXPECT_GT(StatusbarGetFieldWidth(1, 1), 400);
}

TEST_F(BarsTest, StatusbarSharedFieldsSplitWhatFixedOnesAndTheGripLeave) {
  StatusbarCreate(1, WindowGetHandle(2));
  for (int64_t width : {int64_t{100}, kKeepValue, int64_t{50}, kKeepValue}) StatusbarAddField(width);
  // The window is sizable and not maximised: the bar keeps room for a size grip.
  const int64_t shared = (640 - (StatusbarGetHeight(1) - 3) - 150) / 2;
  const int64_t left[] = {0, 100, 100 + shared, 150 + shared};
  const int64_t width[] = {100, shared, 50, shared};
  for (int field = 0; field < 4; ++field) {
    EXPECT_EQ(StatusbarGetFieldX(1, field), left[field]) << field;
    EXPECT_EQ(StatusbarGetFieldWidth(1, field), width[field]) << field;
  }
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

TEST_F(BarsTest, ProgressBarShowsValuesAtOnceWithinItsRange) {
  GadgetCreateProgressBar(30, 0, 0, 200, 10, 1, 100, 0);
  auto* bar = static_cast<QProgressBar*>(WidgetAt(GadgetGetHandle(30)));
  GadgetSetValue(30, 37);
  EXPECT_EQ(GadgetGetValue(30), 37);
  EXPECT_EQ(bar->value(), 37);
  GadgetSetValue(30, 250);
  EXPECT_EQ(GadgetGetValue(30), 100) << "kept in the range";
  GadgetSetValue(30, 0);
  EXPECT_EQ(GadgetGetValue(30), 1);
  GadgetSetValue(30, -1);
  EXPECT_EQ(GadgetGetValue(30), -1);
  EXPECT_EQ(bar->maximum(), 0) << "busy display";
  GadgetSetProperty(30, kProgressMaximum, 5);
  GadgetSetValue(30, 4);
  EXPECT_EQ(GadgetGetValue(30), 4);
  EXPECT_EQ(bar->maximum(), 5);
  EXPECT_EQ(GadgetGetProperty(30, kProgressMinimum), 1);
  GadgetSetProperty(30, kProgressMaximum, 3);
  EXPECT_EQ(GadgetGetValue(30), 3) << "a smaller range moves the position into it";
}

TEST_F(BarsTest, GadgetMoveKeepsWhatItIsToldToKeep) {
  GadgetCreateButton(31, 10, 20, 30, 40, u"b", 0);
  GadgetMove(31, kKeepValue, kKeepValue, 77, kKeepValue);
  EXPECT_EQ(GadgetGetX(31), 10);
  EXPECT_EQ(GadgetGetY(31), 20);
  EXPECT_EQ(GadgetGetWidth(31), 77);
  EXPECT_EQ(GadgetGetHeight(31), 40);
  GadgetSetDisabled(31, 1);
  EXPECT_EQ(GadgetIsDisabled(31), 1);
  GadgetSetTip(31, u"tip");
  EXPECT_EQ(GadgetGetTip(31), u"tip");
  GadgetSetParentHandle(31, 12345);  // not a toolkit widget: refused
  EXPECT_EQ(WidgetAt(GadgetGetHandle(31))->parentWidget(), WidgetAt(WindowGetHandle(2)));
}

TEST_F(BarsTest, PanelsNestAsContainers) {
  GadgetCreatePanel(40, 10, 10, 200, 100, 0);
  GadgetCreatePanel(41, 5, 5, 50, 50, 8);
  GadgetCreateButton(42, 1, 1, 10, 10, u"", 0);
  GadgetEndPanel();
  GadgetCreateButton(43, 1, 1, 10, 10, u"", 0);
  GadgetEndPanel();
  GadgetEndPanel();  // nothing left to end
  GadgetCreateButton(44, 1, 1, 10, 10, u"", 0);
  EXPECT_EQ(WidgetAt(GadgetGetHandle(42))->parentWidget(), WidgetAt(GadgetGetHandle(41)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(43))->parentWidget(), WidgetAt(GadgetGetHandle(40)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(44))->parentWidget(), WidgetAt(WindowGetHandle(2)));
}

TEST_F(BarsTest, SixtyFifthSubmenuIsRefused) {
  MenuCreatePopup(9);
  for (int level = 0; level < kMenuMaxDepth; ++level) ASSERT_NE(MenuBeginSubmenu(u"deeper"), 0);
  EXPECT_EQ(MenuBeginSubmenu(u"one too many"), 0);
  EXPECT_EQ(MenuAddItem(70, u"deepest"), 1);
  EXPECT_EQ(MenuAddItem(70000, u"no such item number"), 0);
  for (int level = 0; level < kMenuMaxDepth + 3; ++level) MenuEndSubmenu();
  auto* top = reinterpret_cast<QMenu*>(MenuGetHandle(9));
  ASSERT_EQ(top->actions().size(), 1);
  int depth = 0;
  for (QMenu* menu = top; menu && !menu->actions().isEmpty(); menu = menu->actions().first()->menu())
    ++depth;
  EXPECT_EQ(depth, kMenuMaxDepth + 1);
}

TEST_F(BarsTest, PopupOpensAtTheCursorAndRaisesTheChosenItem) {
  MenuCreatePopup(4);
  MenuBeginSubmenu(u"A");
  MenuAddItem(5, u"five");
  MenuAddItem(6, u"six");
  MenuEndSubmenu();
  MenuBeginSubmenu(u"B");
  MenuAddItem(9, u"nine");
  MenuEndSubmenu();
  QCursor::setPos(500, 300);
  ASSERT_EQ(QCursor::pos(), QPoint(500, 300));
  QPoint shownAt;
  QTimer::singleShot(50, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    if (!popup) return;
    shownAt = popup->pos();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Right);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(MenuShowPopup(4, WindowGetHandle(2)), 9);
  EXPECT_EQ(shownAt, QPoint(499, 299));
  EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, 2, 9, 0}}));
  QTimer::singleShot(50, [] {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  EXPECT_EQ(MenuShowPopup(4, WindowGetHandle(2)), -1) << "dismissed";
  EXPECT_EQ(MenuShowPopup(4, 0), -1) << "no window";
  EXPECT_EQ(MenuShowPopup(8, WindowGetHandle(2)), -1) << "no menu";
}

}  // namespace
