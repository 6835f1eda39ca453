// Toolkit windows and simple gadgets over the native controls: sizes and limits, the
// filter, the events of the window procedure, gadget events from real control messages.
#include <gtest/gtest.h>

#include "events.h"
#include "gadgets.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kField = 1, kButton = 2, kBar = 3, kPanel = 4, kInPanel = 5;

uint32_t filteredMessage = 0;
int64_t RefuseClose(int64_t, uint32_t message, uint64_t, int64_t) {
  if (message != WM_CLOSE) return kFilterDefault;
  filteredMessage = message;
  return 0;
}

SIZE FrameOf(HWND window, LONG width, LONG height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  return {r.right - r.left, r.bottom - r.top};
}

class WindowTest : public Win32WindowTest {};

TEST_F(WindowTest, InnerSizeClassAndLimitsFollowTheWindowRecord) {
  EXPECT_EQ(WindowGetInnerWidth(kTestWindow), 640);
  EXPECT_EQ(WindowGetInnerHeight(kTestWindow), 400);
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 400);
  wchar_t name[64] = {};
  GetClassNameW(window_, name, 64);
  EXPECT_STREQ(name, L"WindowClass_7");

  WindowSetSizeLimits(kTestWindow, 640, 320, -1, -1);
  MINMAXINFO info{};
  SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  SIZE frame = FrameOf(window_, 640, 320);
  EXPECT_EQ(info.ptMinTrackSize.x, frame.cx);
  EXPECT_EQ(info.ptMinTrackSize.y, frame.cy);
  // A smaller size asked of the platform stops at the limit, as a drag would.
  SetWindowPos(window_, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowGetInnerWidth(kTestWindow), 640);
  EXPECT_EQ(WindowGetInnerHeight(kTestWindow), 320);
}

TEST_F(WindowTest, CloseRequestRaisesTheEventAndTheFilterCanTakeIt) {
  RecordEvents(kEventCloseWindow);
  ForgetEvents();
  SendMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(CountSeen(kEventCloseWindow, kTestWindow, 0), 1u);

  WindowSetFilter(RefuseClose, kTestWindow);
  SendMessageW(window_, WM_CLOSE, 0, 0);
  WindowSetFilter(nullptr, kTestWindow);
  EXPECT_EQ(filteredMessage, static_cast<uint32_t>(WM_CLOSE));
  EXPECT_EQ(CountSeen(kEventCloseWindow, kTestWindow, 0), 1u);
}

TEST_F(WindowTest, MaximiseAndRestoreRaiseTheirEventsWithOneSize) {
  for (int32_t event : {kEventMaximise, kEventRestore, kEventSizeWindow}) RecordEvents(event);
  ForgetEvents();
  // Each change settles with the window manager before the next.
  ShowWindow(window_, SW_MAXIMIZE);
  PumpFor(300);
  ShowWindow(window_, SW_RESTORE);
  PumpFor(300);
  // A window manager may answer a change with more than one size message; what counts is
  // that each state event comes first and is followed by a size event.
  std::vector<int32_t> order;
  for (const SeenEvent& e : Seen())
    if (order.empty() || order.back() != e.event) order.push_back(e.event);
  EXPECT_EQ(order, (std::vector<int32_t>{kEventMaximise, kEventSizeWindow, kEventRestore,
                                         kEventSizeWindow}));
}

TEST_F(WindowTest, GadgetsReportTheirControlsMessagesWhereverTheySit) {
  GadgetCreateTextField(kField, 10, 10, 200, 24, u"", 0);
  GadgetCreateButton(kButton, 220, 10, 80, 24, u"Go", 0);
  GadgetCreatePanel(kPanel, 10, 50, 300, 60, 0);
  GadgetCreateButton(kInPanel, 5, 5, 80, 24, u"In", 0);
  GadgetEndPanel();
  RecordEvents(kEventGadget);
  ForgetEvents();

  HWND field = HwndOf(GadgetGetHandle(kField));
  SetFocus(field);
  SendMessageW(field, WM_CHAR, 'x', 0);
  SendMessageW(HwndOf(GadgetGetHandle(kButton)), BM_CLICK, 0, 0);
  SendMessageW(HwndOf(GadgetGetHandle(kInPanel)), BM_CLICK, 0, 0);
  PumpFor(20);
  EXPECT_EQ(CountSeen(kEventGadget, kField, kGadgetFocusIn), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, kField, kGadgetChange), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, kField, kGadgetFocusOut), 1u);  // the click took it
  EXPECT_EQ(CountSeen(kEventGadget, kButton, kGadgetClicked), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, kInPanel, kGadgetClicked), 1u);
  for (const SeenEvent& e : Seen()) EXPECT_EQ(e.window, kTestWindow);

  // Set by the program: no event.
  ForgetEvents();
  GadgetSetText(kField, u"typed");
  PumpFor(10);
  EXPECT_EQ(CountSeen(kEventGadget, kField, kGadgetChange), 0u);
  EXPECT_EQ(GadgetGetText(kField), u"typed");
}

TEST_F(WindowTest, MoveKeepsWhatIsKeptAndProgressShowsItsValueAtOnce) {
  GadgetCreateProgressBar(kBar, 10, 10, 200, 20, 1, 100, 0);
  GadgetMove(kBar, kKeepValue, kKeepValue, 300, kKeepValue);
  RECT r{};
  HWND bar = HwndOf(GadgetGetHandle(kBar));
  GetWindowRect(bar, &r);
  MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 20);

  GadgetSetValue(kBar, 37);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 37);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
  GadgetSetValue(kBar, -1);
  EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE);
  EXPECT_EQ(GadgetGetValue(kBar), -1);
  GadgetSetValue(kBar, 5);
  EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE);
  EXPECT_EQ(GadgetGetValue(kBar), 5);
}

TEST_F(WindowTest, ShortcutsAndTabRunFromTheMessageLoop) {
  GadgetCreateTextField(kField, 10, 10, 200, 24, u"", 0);
  GadgetCreateButton(kButton, 220, 10, 80, 24, u"Go", 0);
  WindowAddShortcut(kTestWindow, 'A' | kShortcutControl, 14);
  WindowAddShortcut(kTestWindow, 'A' | kShortcutControl, 15);
  RecordEvents(kEventMenu);
  ForgetEvents();
  HWND field = HwndOf(GadgetGetHandle(kField));
  SetFocus(field);
  // Keys as the queue delivers them; Control's state comes from the thread's key state.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(field, WM_KEYDOWN, 'A', 1);
  PumpFor(20);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(CountSeen(kEventMenu, 15, 0), 1u);
  EXPECT_EQ(CountSeen(kEventMenu, 14, 0), 0u);

  PostMessageW(field, WM_KEYDOWN, VK_TAB, 1);
  PumpFor(20);
  EXPECT_EQ(GetFocus(), HwndOf(GadgetGetHandle(kButton)));
}

}  // namespace
