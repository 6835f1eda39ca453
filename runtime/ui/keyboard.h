#pragma once
// The state of a key in any window of the application, also a disabled one: bit 0x8000
// while it is down, bit 1 when it was pressed since the previous query of that key.
// Watched keys: Escape, Return, Tab, Space, the letters A-Z and the digits 0-9 (their
// virtual key codes are their upper-case characters).
//
// Thread safety: any thread.
#include <cstdint>

constexpr int64_t kKeyEscape = 27;
constexpr int64_t kKeyReturn = 13;
constexpr int64_t kKeyTab = 9;

constexpr int64_t kKeyDown = 0x8000;
constexpr int64_t kKeyPressedSince = 1;

int64_t KeyGetAsyncState(int64_t virtualKey);
// 1 when the key's down state is read from the keyboard itself (X11, Windows), so that a
// release is never missed; 0 where it is built from key events, which can be lost.
int KeyStateIsPhysical(int64_t virtualKey);
