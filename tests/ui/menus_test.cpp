// Popup menus: nesting, and the item the user chooses.
#include "menus.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QMenu>
#include <QTimer>

#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

using MenusTest = ShownWindowTest;

TEST_F(MenusTest, SixtyFifthSubmenuIsRefused) {
  MenuCreatePopup(9);
  for (int level = 0; level < kMenuMaxDepth; ++level) ASSERT_NE(MenuBeginSubmenu(u"deeper"), 0);
  EXPECT_EQ(MenuBeginSubmenu(u"one too many"), 0);
  EXPECT_EQ(MenuAddItem(70, u"deepest"), 1);
  EXPECT_EQ(MenuAddItem(70000, u"no such item number"), 0);
  for (int level = 0; level < kMenuMaxDepth + 3; ++level) MenuEndSubmenu();
  auto* top = reinterpret_cast<QMenu*>(MenuGetHandle(9));
  ASSERT_EQ(top->actions().size(), 1);
  int depth = 0;
  for (QMenu* menu = top; menu && !menu->actions().isEmpty();
       menu = menu->actions().first()->menu())
    ++depth;
  EXPECT_EQ(depth, kMenuMaxDepth + 1);
}

TEST_F(MenusTest, PopupOpensAtTheCursorAndRaisesTheChosenItem) {
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
