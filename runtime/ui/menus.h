#pragma once
// Numbered popup menus with nested submenus. Building works on a per-thread receiving
// menu and a stack of at most 64 enclosing menus. A chosen item reaches the window the
// menu was shown over as menu event 13101 with the item number as object.
//
// Thread safety: build and show menus on the UI thread.
#include <cstdint>

#include "text.h"

constexpr int64_t kMenuMaxDepth = 64;

void MenuServiceInit();
void MenuServiceEnd();

// An empty popup menu that receives the next entries. Returns its platform handle, or 0.
int64_t MenuCreatePopup(int64_t number);
int64_t MenuGetHandle(int64_t number);
// Appends a submenu under `title` to the receiving menu and makes it receive the next
// entries. Returns its platform handle, 0 when there is no receiving menu or 64
// submenus are already open.
int64_t MenuBeginSubmenu(const Text& title);
// Appends an item (0..65535) to the receiving menu. Returns 1, or 0 when refused.
int64_t MenuAddItem(int64_t item, const Text& text);
// The menu that received entries before the last MenuBeginSubmenu receives them again.
void MenuEndSubmenu();
// Shows the menu with its top-left corner one pixel left of and above the mouse cursor
// over the window and returns when it closes; a chosen item is raised as event 13101.
// Returns the chosen item, or -1.
int64_t MenuShowPopup(int64_t menu, int64_t platformWindow);
