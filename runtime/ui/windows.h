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

#include "text.h"

// Passed for a coordinate, size or limit that is to stay as it is.
constexpr int64_t kKeepValue = -65535;
// Returned by a window filter to let the toolkit handle the message as usual.
constexpr int64_t kFilterDefault = -522133279;

// Style flags of WindowCreate.
constexpr int64_t kWindowTitleBar = 0xC00000;
constexpr int64_t kWindowSystemMenu = 0x80000;
constexpr int64_t kWindowSizable = 0x40000;
constexpr int64_t kWindowMinimiseButton = 0x20000;
constexpr int64_t kWindowMaximiseButton = 0x10000;
constexpr int64_t kWindowMinimised = 0x20000000;  // shown minimised
constexpr int64_t kWindowMaximised = 0x01000000;  // shown maximised
// Toolkit flags of WindowCreate (and of WindowSetHidden for the first three).
constexpr int64_t kWindowCentreScreen = 1;
constexpr int64_t kWindowCentreParent = 2;
constexpr int64_t kWindowNoActivate = 0x2000000;
constexpr int64_t kWindowTool = 4;
constexpr int64_t kWindowNotContainer = 8;  // gadgets do not go into this window
constexpr int64_t kWindowInvisible = 0x10000000;

// Messages a window filter sees, before the toolkit handles them.
constexpr uint32_t kMessageSize = 5;      // wParam 0 restored, 1 minimised, 2 maximised
constexpr uint32_t kMessageClose = 0x10;  // the user asks to close the window
constexpr uint32_t kMessageNotify = 78;   // lParam: address of a notice record

// A list's row is about to change because of the user (kMessageNotify; wParam is the
// list's gadget number). A non-default filter answer refuses the change.
constexpr int32_t kListNotifyItemChanging = -100;
constexpr uint32_t kListFieldState = 8;  // changedMask: the item state changes
// Item state bits of a notice.
constexpr uint32_t kListStateFocused = 1;
constexpr uint32_t kListStateSelected = 2;
constexpr uint32_t kListStateUnchecked = 0x1000;  // checkbox image 1: clear
constexpr uint32_t kListStateChecked = 0x2000;    // checkbox image 2: ticked

struct ListChangeNotice {
  int64_t fromHandle = 0;  // platform handle of the list
  int64_t fromGadget = 0;  // gadget number of the list
  int32_t code = 0;        // kListNotifyItemChanging
  int64_t row = 0;
  uint32_t changedMask = 0;
  uint32_t newState = 0;  // the complete new state: checkbox image, selected, focused
  uint32_t oldState = 0;
};

// Called with (platform window, message, wParam, lParam); anything but kFilterDefault
// becomes the message's result and the toolkit does nothing else with it.
using WindowFilter = int64_t (*)(int64_t platformWindow, uint32_t message, uint64_t wParam,
                                 int64_t lParam);

// Keyboard shortcut values: a key code in the low 16 bits plus modifier bits.
constexpr int64_t kShortcutShift = 0x10000;
constexpr int64_t kShortcutControl = 0x20000;
constexpr int64_t kShortcutAlt = 0x40000;
// Items of the two shortcuts every window starts with: Tab and Shift+Tab move the focus.
constexpr int64_t kItemNextGadget = 64001;
constexpr int64_t kItemPreviousGadget = 64002;

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
