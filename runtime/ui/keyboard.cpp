#include "keyboard.h"

#include <array>
#include <atomic>

#include "platform/platform.h"
#include "toolkit_internal.h"

namespace {

// Per virtual key: down now, and pressed since the last query. Written by the UI
// thread's key watcher, read by any thread.
struct KeyState {
  std::atomic<bool> down{false};
  std::atomic<bool> pressed{false};
};

std::array<KeyState, 256> keys;

}  // namespace

void KeyboardNote(int64_t virtualKey, bool down) {
  if (virtualKey < 0 || virtualKey >= static_cast<int64_t>(keys.size())) return;
  KeyState& key = keys[static_cast<size_t>(virtualKey)];
  if (down) key.pressed = true;
  key.down = down;
}

int64_t KeyGetAsyncState(int64_t virtualKey) {
  if (virtualKey < 0 || virtualKey >= static_cast<int64_t>(keys.size())) return 0;
  KeyState& key = keys[static_cast<size_t>(virtualKey)];
  // A release that never came as an event must not leave the key down for good.
  if (key.down && PlatformKeyIsUp(virtualKey)) key.down = false;
  int64_t state = key.down ? kKeyDown : 0;
  if (key.pressed.exchange(false)) state |= kKeyPressedSince;
  return state;
}

int KeyStateIsPhysical(int64_t virtualKey) { return PlatformKeyStateIsPhysical(virtualKey) ? 1 : 0; }
