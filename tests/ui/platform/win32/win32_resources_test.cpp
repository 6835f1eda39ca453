// The Win32 layer gives back what it takes: a round of work with every kind of window,
// control and text the layer makes ends with as many live handles of each sort as it
// began with.
#include <gtest/gtest.h>

#include <vector>

#include "gadgets.h"
#include "live_handles_win32.h"
#include "menus.h"
#include "platform/text_render.h"
#include "report_list.h"
#include "statusbar.h"
#include "toolbar.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kWindow = 8, kBar = 1, kStatus = 2, kField = 3, kList = 4, kPanel = 5,
                  kProgress = 6, kMenu = 90;

void Controls() {
  ASSERT_NE(WindowCreate(kWindow, 100, 100, 640, 400, u"round", kWindowSystemMenu | kWindowSizable),
            0);
  WindowAddShortcut(kWindow, 'A' | kShortcutControl, 1);
  WindowAddShortcut(kWindow, 'B' | kShortcutControl, 2);  // the table is made again
  ToolbarCreate(kBar, WindowGetHandle(kWindow), 0);
  ToolbarAddStockButton(10, 0, 0, u"");
  const std::vector<uint32_t> picture(16 * 16, 0xFF0000FFu);
  PlatformToolbarAddButton(ToolbarGetHandle(kBar), 11, -1, picture, 16, 16, false, u"");
  GadgetCreateTextField(kField, 40, 3, 200, 18, u"C:\\Trawl\\", kTextFieldReadOnly);
  GadgetSetTip(kField, u"tip");
  GadgetSetParentHandle(kField, ToolbarGetHandle(kBar));
  StatusbarCreate(kStatus, WindowGetHandle(kWindow));
  StatusbarAddField(200);
  GadgetCreatePanel(kPanel, 200, 2, 300, 16, 0);
  GadgetCreateProgressBar(kProgress, 5, 4, 100, 10, 0, 100, 0);
  GadgetEndPanel();
  GadgetSetParentHandle(kPanel, StatusbarGetHandle(kStatus));
  GadgetCreateReportList(kList, 0, 30, 640, 300, u"#", 60,
                         kListCheckboxes | kListThreeState | kListGridLines | kListFullRowSelect);
  for (int row = 0; row < 50; ++row) ListAddItem(kList, -1, u"1\nname");
  ListSetItemFlags(kList, 1, kListItemChecked);
  WindowMove(kWindow, kKeepValue, kKeepValue, 800, 500);
  PumpFor(50);
  ListRemoveAllItems(kList);
  WindowClose(kWindow);
}

void Menus() {
  for (int made = 0; made < 2; ++made) {  // the second replaces the first
    MenuCreatePopup(kMenu);
    MenuBeginSubmenu(u"sub");
    MenuAddItem(1, u"one");
    MenuEndSubmenu();
  }
}

void Texts() {
  Text family;
  PlatformFontResolve(u"No Such Face", family);
  PlatformFontScreenDpi();
  TextRenderer renderer;
  TextMask mask{};
  for (double angle : {0.0, 45.0, 90.0}) renderer.Render(u"Trawl", 0, 40, angle, 200, 200, mask);
  renderer.UseSystemFont();
  renderer.Render(u"wider than before, so the canvas grows", 0, 40, 30.0, 800, 800, mask);
}

TEST(ResourcesTest, ARoundOfWorkEndsWithTheHandlesItBeganWith) {
  if (!kCountingHandles) GTEST_SKIP() << "this build keeps no tallies (TRAWL_COUNT_HANDLES)";
  auto round = [] {
    Controls();
    Menus();
    Texts();
    PlatformUserFolders();
    PumpFor(20);
  };
  // The first round makes what lives as long as the process (the controls' font).
  round();
  const auto before = LiveHandles();
  round();
  EXPECT_EQ(LiveHandles(), before);
}

}  // namespace
