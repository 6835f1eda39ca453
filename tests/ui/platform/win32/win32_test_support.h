#pragma once
// Shared by the Win32 platform tests: the event recorder, a shown toolkit window to put
// controls in, and pictures to read pixels from.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "event_recorder.h"
#include "platform/win32/win32_common.h"
#include "platform/win32/win32_resources.h"

// A toolkit window (number kTestWindow) made by the window service, shown and active, with
// room for gadgets; destroyed at the end of the test.
constexpr int64_t kTestWindow = 7;
class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND window_ = nullptr;
};

// A memory picture to paint into and read pixel by pixel.
class Canvas {
 public:
  Canvas(LONG width, LONG height);
  // A copy of what a window's inside shows now (drawn, if not yet on the screen).
  explicit Canvas(HWND window);

  HDC Dc() const { return dc_.Get(); }
  COLORREF At(LONG x, LONG y) const { return GetPixel(dc_.Get(), x, y); }
  std::vector<COLORREF> In(const RECT& r) const;
  bool AnyIn(const RECT& r, COLORREF colour) const;

 private:
  MemoryDc dc_;
  GdiObject<HBITMAP> bitmap_;
  Selection drawn_;
};
