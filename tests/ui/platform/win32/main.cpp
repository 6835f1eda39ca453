// The Win32 platform suite: the toolkit's services over the native layer, on the thread
// that runs the tests (Wine draws on an X display).
#include <gtest/gtest.h>

#include <chrono>

#include "events.h"
#include "gadgets.h"
#include "menus.h"
#include "statusbar.h"
#include "toolbar.h"
#include "toolkit.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

std::vector<SeenEvent> seen;

int Record() {
  seen.push_back({EventCurrent(), EventCurrentWindow(), EventCurrentObject(), EventCurrentType()});
  return 0;
}

}  // namespace

std::vector<SeenEvent>& Seen() { return seen; }

void RecordEvents(int32_t event) { EventBind(event, Record); }

void ForgetEvents() {
  PumpFor(20);
  seen.clear();
}

size_t CountSeen(int32_t event, int64_t object, int64_t type) {
  size_t count = 0;
  for (const SeenEvent& e : seen) count += e.event == event && e.object == object && e.type == type;
  return count;
}

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    EventWait(10);
  }
  return true;
}

void PumpFor(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) EventWait(5);
  while (EventWait(0) != 0) {
  }
}

void Win32WindowTest::SetUp() {
  ASSERT_NE(WindowCreate(kTestWindow, 100, 100, 640, 400, u"test", kWindowSystemMenu | kWindowSizable | kWindowTitleBar), 0);
  window_ = HwndOf(WindowGetHandle(kTestWindow));
  SetForegroundWindow(window_);
  // The window manager activates it when X says so, a little later.
  PumpUntil([this] { return GetForegroundWindow() == window_; }, 2000);
  PumpFor(30);
}

void Win32WindowTest::TearDown() {
  WindowClose(kTestWindow);
  PumpFor(10);
  seen.clear();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!ToolkitInit(argc, argv)) return 1;
  EventServiceInit();
  WindowServiceInit();
  GadgetServiceInit();
  MenuServiceInit();
  ToolbarServiceInit();
  StatusbarServiceInit();
  int result = RUN_ALL_TESTS();
  StatusbarServiceEnd();
  ToolbarServiceEnd();
  MenuServiceEnd();
  GadgetServiceEnd();
  WindowServiceEnd();
  EventServiceEnd();
  ToolkitEnd();
  return result;
}
