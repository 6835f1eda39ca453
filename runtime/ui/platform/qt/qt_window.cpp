// Toolkit windows: a top-level widget whose children sit at absolute positions, and the
// translation of what happens to it into window events.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include "events.h"
#include "platform/platform.h"
#include "qt_common.h"

namespace {

class ToolkitWindow final : public QWidget {
 public:
  ToolkitWindow(int64_t number, bool sizable, const PlatformWindowHooks& hooks)
      : number_(number), sizable_(sizable), hooks_(hooks) {}

  void SetReady() { ready_ = true; }
  bool Sizable() const { return sizable_; }
  int64_t Shortcut(int64_t shortcut) const {
    return hooks_.shortcut ? hooks_.shortcut(shortcut) : -1;
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The window stays open; the application decides what a close request means.
    event->ignore();
    if (Filter(kMessageClose, 0, 0) == kFilterDefault)
      EventRaise(kEventCloseWindow, number_, number_, 0, 0, false);
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (!ready_ || isMinimized()) return;
    uint64_t kind = isMaximized() ? 2 : 0;
    int64_t size = int64_t{height()} << 16 | width();
    if (Filter(kMessageSize, kind, size) != kFilterDefault) return;
    // At most one size event of a window waits in the queue.
    EventDropQueued(kEventSizeWindow, number_, 0, 0);
    EventRaise(kEventSizeWindow, number_, 0, 0, 0, false);
  }

  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    if (ready_) EventRaise(kEventMoveWindow, number_, number_, 0, 0, false);
  }

  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
      EventRaise(isActiveWindow() ? kEventActivate : kEventDeactivate, number_, 0, 0, 0, false);
    } else if (event->type() == QEvent::WindowStateChange && ready_) {
      StateChanged();
    }
  }

  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    EventRaise(kEventRepaint, number_, 0, 0, 0, false);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    QWidget::mouseReleaseEvent(event);
    if (childAt(event->position().toPoint())) return;
    if (event->button() == Qt::LeftButton) EventRaise(kEventLeftClick, number_, 0, 0, 0, false);
    if (event->button() == Qt::RightButton) EventRaise(kEventRightClick, number_, 0, 0, 0, false);
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
      EventRaise(kEventLeftDoubleClick, number_, 0, 0, 0, false);
  }

 private:
  int64_t Filter(uint32_t message, uint64_t wParam, int64_t lParam) {
    return hooks_.filter ? hooks_.filter(HandleOf(this), message, wParam, lParam) : kFilterDefault;
  }

  void StateChanged() {
    if (isMinimized()) {
      marked_ = true;
      EventRaise(kEventMinimise, number_, 0, 0, 0, false);
    } else if (isMaximized()) {
      marked_ = true;
      EventRaise(kEventMaximise, number_, 0, 0, 0, false);
    } else if (marked_) {
      marked_ = false;
      EventRaise(kEventRestore, number_, 0, 0, 0, false);
    }
  }

  const int64_t number_;
  const bool sizable_;
  const PlatformWindowHooks hooks_;
  bool ready_ = false;
  bool marked_ = false;  // minimised or maximised, for the restore event
};

ToolkitWindow* WindowOf(int64_t handle) { return WidgetAs<ToolkitWindow>(handle); }

Qt::WindowFlags QtFlags(int64_t flags) {
  Qt::WindowFlags qt = (flags & kWindowTool) ? Qt::Tool : Qt::Window;
  qt |= Qt::CustomizeWindowHint;
  if ((flags & kWindowTitleBar) == kWindowTitleBar) qt |= Qt::WindowTitleHint;
  if (flags & kWindowSystemMenu) qt |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (flags & kWindowMinimiseButton) qt |= Qt::WindowMinimizeButtonHint;
  if (flags & kWindowMaximiseButton) qt |= Qt::WindowMaximizeButtonHint;
  return qt;
}

// Flags made only of toolkit bits get a title bar.
int64_t WithDefaultTitleBar(int64_t flags) {
  const int64_t toolkitOnly =
      kWindowCentreScreen | kWindowCentreParent | kWindowNotContainer | kWindowInvisible;
  return (flags & ~toolkitOnly) == 0 ? flags | kWindowTitleBar : flags;
}

}  // namespace

int64_t QtWindowShortcut(const QWidget* window, int64_t shortcut) {
  auto* toolkitWindow = dynamic_cast<const ToolkitWindow*>(window);
  return toolkitWindow ? toolkitWindow->Shortcut(shortcut) : -1;
}

int64_t PlatformWindowCreate(int64_t number, const Text& title, int64_t flags,
                             const PlatformWindowHooks& hooks) {
  flags = WithDefaultTitleBar(flags);
  auto* window = new ToolkitWindow(number, (flags & kWindowSizable) != 0, hooks);
  window->setWindowFlags(QtFlags(flags));
  window->setWindowTitle(ToQString(title));
  window->setAutoFillBackground(true);
  window->setProperty(kSizableProperty, (flags & kWindowSizable) != 0);
  window->setAttribute(Qt::WA_ShowWithoutActivating, (flags & kWindowNoActivate) != 0);
  int64_t handle = HandleOf(window);
  RegisterWidget(window, {-1, number, true}, hooks.gone);
  return handle;
}

void PlatformWindowSetInnerSize(int64_t handle, int64_t width, int64_t height) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window) return;
  QSize size(static_cast<int>(std::clamp<int64_t>(width, 0, QWIDGETSIZE_MAX)),
             static_cast<int>(std::clamp<int64_t>(height, 0, QWIDGETSIZE_MAX)));
  QSize old = window->size();
  if (window->Sizable())
    window->resize(size);  // the limits bound it
  else
    window->setFixedSize(size);
  // Qt holds back the resize event of a hidden window until it is shown; the docked bars
  // and the size event must follow at once, as for a visible one.
  if (!window->isVisible() && window->size() != old) {
    QResizeEvent resized(window->size(), old);
    QCoreApplication::sendEvent(window, &resized);
  }
}

void PlatformWindowSetPosition(int64_t handle, int64_t x, int64_t y) {
  if (ToolkitWindow* window = WindowOf(handle))
    window->move(static_cast<int>(x), static_cast<int>(y));
}

PlatformRect PlatformWindowFrame(int64_t handle) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window) return {};
  QRect r = window->frameGeometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void PlatformWindowCentre(int64_t handle, bool onParent) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window) return;
  QWidget* parent = onParent ? window->parentWidget() : nullptr;
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  QRect area = parent ? parent->frameGeometry() : (screen ? screen->availableGeometry() : QRect());
  QRect frame = window->frameGeometry();
  frame.moveCenter(area.center());
  window->move(frame.topLeft());
}

void PlatformWindowSetReady(int64_t handle) {
  if (ToolkitWindow* window = WindowOf(handle)) window->SetReady();
}

// Qt asks the shortcut hook as keys arrive (see qt_application.cpp).
void PlatformWindowSetShortcuts(int64_t, const std::vector<PlatformShortcut>&) {}

void PlatformWindowSetLimits(int64_t handle, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                             int64_t maxHeight) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window || !window->Sizable()) return;
  auto bound = [](int64_t value, int fallback) {
    return value ? static_cast<int>(value) : fallback;
  };
  window->setMinimumSize(bound(minWidth, 0), bound(minHeight, 0));
  window->setMaximumSize(bound(maxWidth, QWIDGETSIZE_MAX), bound(maxHeight, QWIDGETSIZE_MAX));
}

void PlatformWindowShow(int64_t handle, bool activate) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window) return;
  window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
  window->show();
  if (activate) {
    window->raise();
    window->activateWindow();
  }
}

void PlatformWindowHide(int64_t handle) {
  if (ToolkitWindow* window = WindowOf(handle)) window->hide();
}

bool PlatformWindowIsHidden(int64_t handle) {
  ToolkitWindow* window = WindowOf(handle);
  return window && !window->isVisible();
}

bool PlatformWindowIsMinimisedOrMaximised(int64_t handle) {
  ToolkitWindow* window = WindowOf(handle);
  return window && (window->isMinimized() || window->isMaximized());
}

void PlatformWindowSetState(int64_t handle, bool minimised, bool maximised) {
  ToolkitWindow* window = WindowOf(handle);
  if (!window) return;
  Qt::WindowStates states = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (minimised) states |= Qt::WindowMinimized;
  if (maximised) states |= Qt::WindowMaximized;
  window->setWindowState(states);
}
