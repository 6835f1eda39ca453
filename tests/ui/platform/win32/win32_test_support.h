#pragma once
// Shared by the Win32 platform tests: the event recorder, and a shown toolkit window to
// put controls in.
#include <gtest/gtest.h>

#include <cstdint>

#include "event_recorder.h"
#include "platform/win32/win32_common.h"

// A toolkit window (number kTestWindow) made by the window service, shown and active, with
// room for gadgets; destroyed at the end of the test.
constexpr int64_t kTestWindow = 7;
class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND window_ = nullptr;
};
