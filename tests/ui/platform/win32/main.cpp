// The Win32 platform suite: the toolkit's services over the native layer, on the thread
// that runs the tests (Wine draws on an X display).
#include <gtest/gtest.h>

#include <algorithm>

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

Canvas::Canvas(LONG width, LONG height)
    : dc_(CreateCompatibleDC(WindowDc().Get())),
      bitmap_(CreateCompatibleBitmap(WindowDc().Get(), width, height)),
      drawn_(dc_.Get(), bitmap_.Get()) {}

namespace {
RECT InsideOf(HWND window) {
  RECT inside{};
  GetClientRect(window, &inside);
  return inside;
}
}  // namespace

Canvas::Canvas(HWND window) : Canvas(InsideOf(window).right, InsideOf(window).bottom) {
  const WindowDc shown(window);
  const RECT inside = InsideOf(window);
  BitBlt(dc_.Get(), 0, 0, inside.right, inside.bottom, shown.Get(), 0, 0, SRCCOPY);
}

std::vector<COLORREF> Canvas::In(const RECT& r) const {
  std::vector<COLORREF> pixels;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) pixels.push_back(At(x, y));
  return pixels;
}

bool Canvas::AnyIn(const RECT& r, COLORREF colour) const {
  std::vector<COLORREF> pixels = In(r);
  return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RunTestsWithToolkit(argc, argv);
}
