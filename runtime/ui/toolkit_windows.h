#pragma once
// Numbered top-level windows. A window holds gadgets placed at absolute positions
// relative to its inner (client) area; a toolbar docks at its top, a status bar at its
// bottom. What the user does with a window becomes an event (close request 13116 and
// the window stays open, size 13118 with at most one queued per window, minimise
// 13107, maximise 13108, restore 13109, activation 13104/13114, move 13117).
//
// Platform handles are the addresses of the platform's window objects, as int64_t.
//
// Thread safety: create, show and filter windows on the UI thread. WindowSetDisabled,
// WindowSetHidden, the size getters and WindowGetHandle may be called from any thread;
// off the UI thread the call is carried out on the UI thread before it returns.
#include <cstdint>

#include "platform/platform_values.h"  // kKeepValue, style flags, messages, shortcuts
#include "text.h"

// Called with (platform window, message, wParam, lParam); anything but kFilterDefault
// becomes the message's result and the toolkit does nothing else with it.
using WindowFilter = int64_t (*)(int64_t platformWindow, uint32_t message, uint64_t wParam,
                                 int64_t lParam);

void WindowServiceInit();
// Destroys every window (their bindings and queued events go with them).
void WindowServiceEnd();

// A window whose inner area is innerWidth x innerHeight, its frame's top-left corner at
// (x, y) (kKeepValue: the platform chooses). Shown at once unless kWindowInvisible is
// set; becomes the current gadget container unless kWindowNotContainer is set. Returns
// the platform handle, 0 on failure. Reusing a number closes the old window first.
int64_t WindowCreate(int64_t number, int64_t x, int64_t y, int64_t innerWidth, int64_t innerHeight,
                     const Text& title, int64_t flags);
// Destroys the window: its gadgets, bindings and queued events go with it.
void WindowClose(int64_t number);

int64_t WindowGetHandle(int64_t number);
int64_t WindowGetInnerWidth(int64_t number);
int64_t WindowGetInnerHeight(int64_t number);
// Moves the frame to (x, y) and sizes the inner area; kKeepValue keeps a value. The size
// limits apply. A size change raises 13118 like one made by the user.
void WindowMove(int64_t number, int64_t x, int64_t y, int64_t innerWidth, int64_t innerHeight);

// Inner size limits; kKeepValue keeps a value, -1 removes a limit, maxima above 32000
// become 32000. Applied at once unless the window is minimised or maximised.
void WindowSetSizeLimits(int64_t number, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                         int64_t maxHeight);
// Children never flicker on resize here (the platform double-buffers): the switch is
// stored and reported but changes nothing on screen.
void WindowSetClipErase(int64_t number, int64_t on);
int64_t WindowGetClipErase(int64_t number);
// Hides or shows the window. Showing: flags 1 or 2 centre it, kWindowNoActivate shows it
// without activating it.
void WindowSetHidden(int64_t number, int64_t hidden, int64_t flags);
int64_t WindowIsHidden(int64_t number);
// Disables or enables the whole window for mouse and keyboard input.
void WindowSetDisabled(int64_t number, int64_t disabled);
int64_t WindowIsDisabled(int64_t number);

// Installs the filter of one window, or with window -1 the filter of every window of
// the calling thread that has none. Null removes it.
void WindowSetFilter(WindowFilter filter, int64_t window);

// Adds a keyboard shortcut that raises menu event 13101 with `item`, whichever gadget
// of the window has the focus; a second entry for the same key and modifiers replaces
// the item of the first.
void WindowAddShortcut(int64_t window, int64_t shortcut, int64_t item);
