#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "event_platform.h"
#include "events.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

constexpr int kPosters = 4;
constexpr int kPostsEach = 10000;
std::vector<uint64_t> dispatchedSeq[kPosters];
int64_t dispatchFaults = 0;

// Runs on the waiting thread for each posted event: each poster's sequence must be
// dispatched without gaps, in order.
int CheckDispatchOrder() {
  int64_t poster = EventCurrentType();
  if (poster < 0 || poster >= kPosters) return ++dispatchFaults, 0;
  auto& seen = dispatchedSeq[poster];
  if (EventCurrentData() != seen.size()) ++dispatchFaults;
  seen.push_back(EventCurrentData());
  return 0;
}

class Posting : public ::testing::Test {
 protected:
  void SetUp() override {
    EventServiceEnd();
    EventServiceInit();
  }
  void TearDown() override { EventServiceEnd(); }
};

TEST_F(Posting, PostsFromSeveralThreadsArriveInOrderAndNoneIsLost) {
  for (auto& seen : dispatchedSeq) seen.clear();
  dispatchFaults = 0;
  EventBind(kFirstCustomEvent, CheckDispatchOrder);
  std::vector<std::thread> posters;
  std::atomic<int> refused{0};
  for (int p = 0; p < kPosters; ++p)
    posters.emplace_back([p, &refused] {
      for (int i = 0; i < kPostsEach; ++i)
        if (!EventPost(kFirstCustomEvent, 0, 0, p, static_cast<uint64_t>(i))) ++refused;
    });

  std::vector<uint64_t> nextSeq(kPosters, 0);
  int taken = 0, queueFaults = 0;
  auto start = Clock::now();
  while (taken < kPosters * kPostsEach && MillisecondsSince(start) < 60000) {
    int32_t event = EventWait(1000);
    if (event != kFirstCustomEvent) continue;
    int64_t poster = EventCurrentType();
    if (poster < 0 || poster >= kPosters || EventCurrentData() != nextSeq[poster]++) ++queueFaults;
    ++taken;
  }
  for (auto& t : posters) t.join();
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(taken, kPosters * kPostsEach);
  EXPECT_EQ(queueFaults, 0);
  EXPECT_EQ(dispatchFaults, 0);
  for (auto& seen : dispatchedSeq) EXPECT_EQ(seen.size(), static_cast<size_t>(kPostsEach));
  EXPECT_EQ(EventWait(0), 0);  // nothing extra
}

TEST_F(Posting, WaitTimeouts) {
  auto start = Clock::now();
  EXPECT_EQ(EventWait(0), 0);
  EXPECT_LT(MillisecondsSince(start), 50);

  start = Clock::now();
  EXPECT_EQ(EventWait(100), 0);
  int64_t waited = MillisecondsSince(start);
  EXPECT_GE(waited, 95);
  EXPECT_LT(waited, 2000);
  EXPECT_EQ(EventCurrent(), 0);
  EXPECT_EQ(EventCurrentType(), -1);
}

TEST_F(Posting, PostWakesAWaitWithoutLimitAndAWaitWithALongLimit) {
  for (uint32_t timeout : {kWaitForever, 20000u}) {
    std::thread poster([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EventPost(kFirstCustomEvent + 2, 0, 0, 0, 5);
    });
    auto start = Clock::now();
    EXPECT_EQ(EventWait(timeout), kPlatformMessage);
    EXPECT_LT(MillisecondsSince(start), 5000);
    poster.join();
    EXPECT_EQ(EventWait(0), kFirstCustomEvent + 2);
    EXPECT_EQ(EventCurrentData(), 5u);
  }
}

}  // namespace
