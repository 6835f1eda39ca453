// Operations on any toolkit widget, and the registry of live widgets.
#include <QApplication>
#include <QWidget>
#include <unordered_map>

#include "events.h"
#include "platform/platform.h"
#include "qt_common.h"

namespace {

// Only the UI thread touches widgets, so the registry needs no lock.
std::unordered_map<const QObject*, WidgetTag>& Registry() {
  static std::unordered_map<const QObject*, WidgetTag> registry;
  return registry;
}

}  // namespace

void RegisterWidget(QObject* object, const WidgetTag& tag, PlatformGone gone) {
  Registry()[object] = tag;
  QObject::connect(object, &QObject::destroyed, [object, gone = std::move(gone)] {
    Registry().erase(object);
    if (gone) gone(HandleOf(object));
  });
}

const WidgetTag* TagOf(const QObject* object) {
  auto it = Registry().find(object);
  return it == Registry().end() ? nullptr : &it->second;
}

QWidget* WidgetOf(int64_t handle) {
  auto* object = reinterpret_cast<const QObject*>(static_cast<intptr_t>(handle));
  if (!handle || !TagOf(object)) return nullptr;
  return const_cast<QWidget*>(static_cast<const QWidget*>(object));
}

void RaiseGadgetEvent(const QObject* gadget, int64_t type) {
  if (const WidgetTag* tag = TagOf(gadget))
    EventRaise(kEventGadget, tag->window, tag->gadget, type, 0, false);
}

void RaiseMenuEvent(int64_t window, int64_t item) {
  EventRaise(kEventMenu, window, item, 0, 0, false);
}

bool PlatformIsWidget(int64_t handle) { return WidgetOf(handle) != nullptr; }

void PlatformDestroy(int64_t handle) {
  // Immediately: the application's loop never runs Qt's deferred deletions.
  delete WidgetOf(handle);
}

PlatformRect PlatformGetGeometry(int64_t handle) {
  QWidget* widget = WidgetOf(handle);
  if (!widget) return {};
  QRect r = widget->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void PlatformSetGeometry(int64_t handle, const PlatformRect& rect) {
  if (QWidget* widget = WidgetOf(handle))
    widget->setGeometry(static_cast<int>(rect.x), static_cast<int>(rect.y),
                        static_cast<int>(std::max<int64_t>(rect.width, 0)),
                        static_cast<int>(std::max<int64_t>(rect.height, 0)));
}

void PlatformSetEnabled(int64_t handle, bool enabled) {
  if (QWidget* widget = WidgetOf(handle)) widget->setEnabled(enabled);
}

bool PlatformIsEnabled(int64_t handle) {
  QWidget* widget = WidgetOf(handle);
  return widget && widget->isEnabled();
}

void PlatformSetToolTip(int64_t handle, const Text& text) {
  if (QWidget* widget = WidgetOf(handle)) widget->setToolTip(ToQString(text));
}

Text PlatformGetToolTip(int64_t handle) {
  QWidget* widget = WidgetOf(handle);
  return widget ? FromQString(widget->toolTip()) : Text();
}

void PlatformSetParent(int64_t handle, int64_t parent) {
  QWidget* widget = WidgetOf(handle);
  QWidget* newParent = WidgetOf(parent);
  if (!widget || !newParent || widget->isWindow() || newParent == widget) return;
  for (QWidget* up = newParent; up; up = up->parentWidget())
    if (up == widget) return;  // no cycles
  bool hidden = widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
  QRect place = widget->geometry();
  widget->setParent(newParent);
  widget->setGeometry(place);
  widget->raise();
  if (!hidden) widget->show();
}

void PlatformSetFocus(int64_t handle) {
  if (QWidget* widget = WidgetOf(handle)) widget->setFocus(Qt::OtherFocusReason);
}

void PlatformRepaint(int64_t handle) {
  if (QWidget* widget = WidgetOf(handle)) widget->update();
}

int64_t PlatformFocusedGadget() {
  for (QObject* object = QApplication::focusWidget(); object; object = object->parent()) {
    const WidgetTag* tag = TagOf(object);
    if (tag && tag->gadget >= 0) return tag->gadget;
    if (tag && tag->isWindow) break;
  }
  return -1;
}

int64_t PlatformWindowNumberOf(int64_t handle) {
  const WidgetTag* tag = TagOf(WidgetOf(handle));
  return tag && tag->isWindow ? tag->window : -1;
}
