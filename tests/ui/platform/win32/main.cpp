// The Win32 platform suite: the toolkit's services over the native layer, on the thread
// that runs the tests (Wine draws on an X display).
#include <gtest/gtest.h>

#include "event_recorder.h"
#include "events.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

void Win32WindowTest::SetUp() {
  ASSERT_NE(WindowCreate(kTestWindow, 100, 100, 640, 400, u"test",
                         kWindowSystemMenu | kWindowSizable | kWindowTitleBar),
            0);
  window_ = HwndOf(WindowGetHandle(kTestWindow));
  SetForegroundWindow(window_);
  // The window manager activates it when X says so, a little later.
  PumpUntil([this] { return GetForegroundWindow() == window_; }, 2000);
  PumpFor(30);
}

void Win32WindowTest::TearDown() {
  WindowClose(kTestWindow);
  PumpFor(10);
  Seen().clear();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsWithToolkit(argc, argv);
}
