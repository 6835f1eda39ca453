#include "qt_keys.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>

#include "platform/platform.h"

namespace {

struct HeldKey {
  std::atomic<uint32_t> scanCode{0};  // the X key code of the last press
  const QObject* window = nullptr;    // UI thread only; compared, never followed
};

std::array<HeldKey, 256> held;
std::atomic<xcb_connection_t*> x11{nullptr};
PlatformKeyNote keyNote = nullptr;  // UI thread only

xcb_connection_t* X11Connection() {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* native = application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return native ? native->connection() : nullptr;
}

bool IsKnown(int64_t virtualKey) { return virtualKey >= 0 && virtualKey < static_cast<int64_t>(held.size()); }

}  // namespace

void QtKeysStart(PlatformKeyNote note) {
  keyNote = note;
  x11 = X11Connection();
}

void QtKeysStop() {
  x11 = nullptr;
  keyNote = nullptr;
}

void QtKeysNotePress(int64_t virtualKey, uint32_t nativeScanCode, const QObject* window) {
  if (!IsKnown(virtualKey)) return;
  held[static_cast<size_t>(virtualKey)].scanCode = nativeScanCode;
  held[static_cast<size_t>(virtualKey)].window = window;
}

void QtKeysNoteWindowEvent(const QObject* watched, QEvent::Type type) {
  if ((type != QEvent::Hide && type != QEvent::WindowDeactivate) || x11.load()) return;
  for (size_t key = 0; key < held.size(); ++key) {
    if (held[key].window != watched) continue;
    held[key].window = nullptr;
    if (keyNote) keyNote(static_cast<int64_t>(key), false);
  }
}

namespace {

// The X key code the key's state can be read under, 0 where it cannot be read.
uint32_t ReadableKeyCode(int64_t virtualKey) {
  if (!x11.load() || !IsKnown(virtualKey)) return 0;
  const uint32_t code = held[static_cast<size_t>(virtualKey)].scanCode;
  return code <= 255 ? code : 0;
}

}  // namespace

// Any thread: xcb connections may be used from several threads.
bool PlatformKeyStateIsPhysical(int64_t virtualKey) { return ReadableKeyCode(virtualKey) != 0; }

bool PlatformKeyIsUp(int64_t virtualKey) {
  const uint32_t code = ReadableKeyCode(virtualKey);
  xcb_connection_t* connection = x11.load();
  if (code == 0 || !connection) return false;
  std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
      xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr), &std::free);
  if (!keymap) return false;
  return (keymap->keys[code / 8] & (1u << (code % 8))) == 0;
}
