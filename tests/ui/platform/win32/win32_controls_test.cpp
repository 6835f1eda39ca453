// Calls on any control, seen on the screen: controls moved as their window changes are
// drawn whole at their new place and size, and a toolbar's repaint leaves the gadgets moved
// into it as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "events.h"
#include "gadgets.h"
#include "report_list.h"
#include "toolbar.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kField = 40, kList = 41, kBar = 42;
constexpr LONG kFieldX = 40, kFieldWidth = 300, kListTop = 40;

// The layout: both controls as wide as the window, the list down to its bottom.
int FollowWindow() {
  const int64_t width = WindowGetInnerWidth(kTestWindow);
  const int64_t height = WindowGetInnerHeight(kTestWindow);
  GadgetMove(kField, kKeepValue, kKeepValue, width - kFieldX - 20, kKeepValue);
  GadgetMove(kList, kKeepValue, kKeepValue, width, height - kListTop);
  return 0;
}

class ControlsTest : public Win32WindowTest {
 protected:
  void TearDown() override {
    EventUnbindWindow(kTestWindow);
    Win32WindowTest::TearDown();
  }
};

// From where a control's old right edge was to its new one it must show its own background,
// not what the window had painted there before the control reached it, nor the old edge.
TEST_F(ControlsTest, ControlsFollowingAMaximisedWindowAreDrawnWholeAtTheirNewSize) {
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(1, 0, 0, u"");
  GadgetCreateTextField(kField, kFieldX, 3, kFieldWidth, 18, u"C:\\Trawl\\", kTextFieldReadOnly);
  GadgetSetParentHandle(kField, ToolbarGetHandle(kBar));
  GadgetCreateReportList(kList, 0, kListTop, 640, 400 - kListTop, u"#", 60,
                         kListCheckboxes | kListGridLines | kListFullRowSelect);
  ListAddColumn(kList, -1, u"Name", 180);
  for (int row = 0; row < 3; ++row) ListAddItem(kList, -1, u"1\nname");
  EventBind(kEventSizeWindow, &FollowWindow, kTestWindow);
  PumpFor(100);

  ShowWindow(window_, SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([] {
    const int64_t width = WindowGetInnerWidth(kTestWindow);
    return width > 700 && GadgetGetWidth(kList) == width;
  }));
  PumpFor(300);  // whatever is to be painted has been
  struct Case {
    int64_t gadget;
    LONG oldWidth;
    LONG y;  // from the inside's top; negative from its bottom
    int background;
  };
  // A read-only field has the face colour.
  for (const Case& c : {Case{kField, kFieldWidth, 2, COLOR_BTNFACE},
                        Case{kList, 640, -6, COLOR_WINDOW}}) {
    const HWND control = HwndOf(GadgetGetHandle(c.gadget));
    RECT inside{};
    GetClientRect(control, &inside);
    const LONG y = c.y >= 0 ? c.y : inside.bottom + c.y;
    // A strip from where the old right edge was to the new one.
    const std::vector<COLORREF> grown =
        Canvas(control).In({c.oldWidth - 8, y, inside.right - 4, y + 1});
    ASSERT_FALSE(grown.empty()) << c.gadget;
    const auto background = static_cast<COLORREF>(GetSysColor(c.background));
    EXPECT_EQ(std::count(grown.begin(), grown.end(), background),
              static_cast<std::ptrdiff_t>(grown.size()))
        << "gadget " << c.gadget << " is not drawn where it grew: " << std::hex << grown.front();
  }
}

// The toolbar is repainted first (the application asks for it on every change of the
// controls' state); the field's own repaint waits behind every other message, during a run
// behind the worker's calls. Meanwhile the disabled field keeps showing the folder, greyed.
TEST_F(ControlsTest, ADisabledFieldInAToolbarKeepsShowingItsTextWhileTheToolbarRepaints) {
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(1, 0, 0, u"");
  const int64_t toolbar = ToolbarGetHandle(kBar);
  GadgetCreateTextField(kField, kFieldX, 3, kFieldWidth, 18, u"C:\\Trawl\\", kTextFieldReadOnly);
  GadgetSetParentHandle(kField, toolbar);
  GadgetSetDisabled(kField, 1);
  PumpFor(100);
  const HWND field = HwndOf(GadgetGetHandle(kField));
  RECT all{};
  GetClientRect(field, &all);
  const auto grey = static_cast<COLORREF>(GetSysColor(COLOR_GRAYTEXT));
  ASSERT_TRUE(Canvas(field).AnyIn(all, grey)) << "the disabled field was never drawn greyed";

  ToolbarInvalidate(kBar);
  RedrawWindow(HwndOf(toolbar), nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
  EXPECT_TRUE(Canvas(field).AnyIn(all, grey)) << "the toolbar's repaint wiped the field";
  PumpFor(100);
  EXPECT_TRUE(Canvas(field).AnyIn(all, grey));
  EXPECT_EQ(GadgetGetText(kField), u"C:\\Trawl\\");
}

}  // namespace
