#pragma once
// Helpers shared by the Qt side: text conversion, handles, and the registry of the
// toolkit's live widgets with the numbers their events carry.
#include <QObject>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "text.h"

inline QString ToQString(TextView text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline Text FromQString(const QString& text) {
  return Text(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

inline int64_t HandleOf(const QObject* object) { return reinterpret_cast<intptr_t>(object); }

// Set on windows whose user may resize them.
constexpr const char* kSizableProperty = "trawlSizable";

// What the toolkit knows about one of its widgets.
struct WidgetTag {
  int64_t gadget = -1;  // gadget number, -1 for windows, toolbars, status bars, buttons
  int64_t window = -1;  // number of the owning toolkit window
  bool isWindow = false;
};

// Registers a widget; `gone` hears its handle when Qt destroys it.
void RegisterWidget(QObject* object, const WidgetTag& tag, PlatformGone gone = {});
// The tag of a registered object, null for others.
const WidgetTag* TagOf(const QObject* object);
// The registered widget of a handle, or null.
QWidget* WidgetOf(int64_t handle);

template <class T>
T* WidgetAs(int64_t handle) {
  return dynamic_cast<T*>(WidgetOf(handle));
}

// Raises a gadget event (13100) for a registered gadget widget on the UI thread.
void RaiseGadgetEvent(const QObject* gadget, int64_t type);
// Raises a menu event (13101) for a window.
void RaiseMenuEvent(int64_t window, int64_t item);
// The item of a toolkit window's shortcut for a key code with modifier bits, or -1.
int64_t QtWindowShortcut(const QWidget* window, int64_t shortcut);
