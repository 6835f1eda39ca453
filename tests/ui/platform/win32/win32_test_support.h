#pragma once
// Shared by the Win32 platform tests: a recorder of raised events, pumping the UI
// thread's messages, and a shown toolkit window to put controls in.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win32/win32_common.h"

struct SeenEvent {
  int32_t event;
  int64_t window;
  int64_t object;
  int64_t type;
  bool operator==(const SeenEvent&) const = default;
};

// Every event raised for the bound event numbers, in raising order.
std::vector<SeenEvent>& Seen();
// Binds the recorder to an event number (any window, object and type).
void RecordEvents(int32_t event);
// Handles what is waiting, then empties the recorder.
void ForgetEvents();
size_t CountSeen(int32_t event, int64_t object, int64_t type);
// Handles messages and events until `done` holds; false when `limitMs` passed first.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 2000);
// Handles messages and events for a while.
void PumpFor(int milliseconds);

// A toolkit window (number kTestWindow) made by the window service, shown and active, with
// room for gadgets; destroyed at the end of the test.
constexpr int64_t kTestWindow = 7;
class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND window_ = nullptr;
};
