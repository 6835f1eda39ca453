// Popup menus: QMenu with the item number in each action.
#include <QAction>
#include <QCursor>
#include <QMenu>

#include "platform/platform.h"
#include "qt_common.h"

namespace {

QMenu* MenuOf(int64_t handle) { return WidgetAs<QMenu>(handle); }

int64_t RegisterMenu(QMenu* menu) {
  RegisterWidget(menu, {});
  return HandleOf(menu);
}

}  // namespace

int64_t PlatformMenuCreate() { return RegisterMenu(new QMenu()); }

int64_t PlatformMenuAddSubmenu(int64_t menu, const Text& title) {
  QMenu* parent = MenuOf(menu);
  return parent ? RegisterMenu(parent->addMenu(ToQString(title))) : 0;
}

void PlatformMenuAddItem(int64_t menu, int64_t item, const Text& text) {
  if (QMenu* parent = MenuOf(menu))
    parent->addAction(ToQString(text))->setData(QVariant::fromValue(item));
}

int64_t PlatformMenuShow(int64_t menu, int64_t window) {
  QMenu* popup = MenuOf(menu);
  QWidget* owner = WidgetOf(window);
  int64_t number = PlatformWindowNumberOf(window);
  if (!popup || !owner || number < 0) return -1;
  owner->raise();
  owner->activateWindow();
  QAction* chosen = popup->exec(QCursor::pos() - QPoint(1, 1));
  if (!chosen || !chosen->data().isValid()) return -1;
  int64_t item = chosen->data().toLongLong();
  RaiseMenuEvent(number, item);
  return item;
}
