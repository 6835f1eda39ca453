// Popup menus: built with submenus, opened at the cursor, answered from the keyboard by a
// timer that runs inside the menu's own loop.
#include <gtest/gtest.h>

#include <vector>

#include "events.h"
#include "menus.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kMenu = 1;

std::vector<WPARAM> keys;
RECT opened{};

// Once the menu is up: where it is, then the keys.
void CALLBACK AnswerMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, timer);
  GetWindowRect(menu, &opened);
  for (WPARAM key : keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

class MenuTest : public Win32WindowTest {};

TEST_F(MenuTest, PopupOpensAtTheCursorAndRaisesTheChosenItemOnly) {
  RecordEvents(kEventMenu);
  HMENU menu = reinterpret_cast<HMENU>(MenuCreatePopup(kMenu));
  MenuAddItem(0, u"Zero");
  MenuBeginSubmenu(u"More");
  MenuAddItem(9, u"Nine");
  MenuEndSubmenu();
  MenuAddItem(65535, u"Last");
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 1)), 1);

  struct Case {
    std::vector<WPARAM> keys;
    int64_t chosen;
  };
  const Case cases[] = {
      {{VK_DOWN, VK_RETURN}, 0},  // item 0 is an item, not "nothing"
      {{VK_UP, VK_RETURN}, 65535},
      {{VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}, 9},
      {{VK_ESCAPE, VK_ESCAPE}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    ForgetEvents();
    keys = c.keys;
    opened = {};
    SetCursorPos(500, 300);
    SetTimer(nullptr, 0, 30, AnswerMenu);
    EXPECT_EQ(MenuShowPopup(kMenu, WindowGetHandle(kTestWindow)), c.chosen);
    EXPECT_EQ(opened.left, 499);
    EXPECT_EQ(opened.top, 299);
    PumpFor(10);
    if (c.chosen < 0)
      EXPECT_TRUE(Seen().empty());
    else
      EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, kTestWindow, c.chosen, 0}}));
  }
}

}  // namespace
