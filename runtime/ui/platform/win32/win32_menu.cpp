// Popup menus: a menu handle is the HMENU. Item identifiers are the item numbers plus one,
// because a menu answers 0 for "nothing chosen" and item 0 is a valid number.
#include "win32_common.h"

namespace {

HMENU MenuOf(int64_t handle) {
  HMENU menu = reinterpret_cast<HMENU>(static_cast<intptr_t>(handle));
  return handle && IsMenu(menu) ? menu : nullptr;
}

}  // namespace

int64_t PlatformMenuCreate() { return reinterpret_cast<intptr_t>(CreatePopupMenu()); }

int64_t PlatformMenuAddSubmenu(int64_t menu, const Text& title) {
  HMENU parent = MenuOf(menu);
  if (!parent) return 0;
  HMENU submenu = CreatePopupMenu();
  if (!submenu) return 0;
  if (!AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                   WideOf(title))) {
    DestroyMenu(submenu);
    return 0;
  }
  return reinterpret_cast<intptr_t>(submenu);  // destroyed with its parent
}

void PlatformMenuAddItem(int64_t menu, int64_t item, const Text& text) {
  if (HMENU parent = MenuOf(menu))
    AppendMenuW(parent, MF_STRING, static_cast<UINT_PTR>(item + 1), WideOf(text));
}

int64_t PlatformMenuShow(int64_t menu, int64_t window) {
  HMENU popup = MenuOf(menu);
  HWND owner = ControlOf(window);
  const int64_t number = PlatformWindowNumberOf(window);
  if (!popup || !owner || number < 0) return -1;
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  POINT cursor{};
  GetCursorPos(&cursor);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                     cursor.x - 1, cursor.y - 1, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);  // lets the menu's dismissal finish
  if (chosen == 0) return -1;
  const int64_t item = static_cast<int64_t>(chosen) - 1;
  RaiseMenuEvent(number, item);
  return item;
}
