// The message loop under the toolkit's event wait.
#include <gtest/gtest.h>

#include <chrono>

#include "events.h"
#include "win32_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// Nothing in the program posts WM_QUIT, but should anything do so, the wait must not turn
// into a loop that finds the message again and again at full CPU.
TEST(MessageLoop, AQuitMessageEndsOneWaitAndLeavesTheNextToWait) {
  PostQuitMessage(3);
  const auto start = Clock::now();
  EventWait(1000);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500)) << "the quit woke nothing";
  int wakes = 0;
  const auto second = Clock::now();
  while (Clock::now() - second < std::chrono::milliseconds(300)) {
    EventWait(100);
    ++wakes;
  }
  EXPECT_LE(wakes, 6) << "each wait came back at once";
}

}  // namespace
