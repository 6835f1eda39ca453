#include "threads.h"

#include "per_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::atomic<bool> release{false};
std::atomic<int64_t> received{0};

int32_t WaitForRelease(int64_t argument) {
  received = argument;
  while (!release) SleepMs(1);
  return 0;
}

int32_t Return(int64_t) { return 0; }

bool EndsWithin(int64_t number, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 5) {
    if (!ThreadIsRunning(number)) return true;
    SleepMs(5);
  }
  return false;
}

TEST(Threads, FirstThreadOfTheProcessIsNumberOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, numbering from scratch
  EXPECT_EXIT(
      {
        ThreadServiceInit();
        int64_t first = ThreadStart(Return, 0);
        int64_t second = ThreadStart(Return, 0);
        std::_Exit(first == 1 && second == 2 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Threads, NumbersGrowByOneAndAreNeverReused) {
  ThreadServiceInit();
  int64_t first = ThreadStart(Return, 0);
  ASSERT_GT(first, 0);
  ASSERT_TRUE(EndsWithin(first, 5000));
  int64_t second = ThreadStart(Return, 0);  // the ended first thread is pruned here
  EXPECT_EQ(second, first + 1);
  ThreadServiceEnd();
  EXPECT_EQ(ThreadStart(Return, 0), first + 2);
  EXPECT_EQ(ThreadStart(nullptr, 0), 0);
  EXPECT_EQ(ThreadStart(Return, 0), first + 3);  // a refused start takes no number
}

TEST(Threads, RunningUntilTheRoutineReturns) {
  ThreadServiceInit();
  release = false;
  int64_t number = ThreadStart(WaitForRelease, 1234);
  ASSERT_GT(number, 0);
  EXPECT_EQ(ThreadIsRunning(number), 1);
  int64_t other = ThreadStart(Return, 0);  // pruning must keep the running thread
  EXPECT_TRUE(EndsWithin(other, 5000));
  EXPECT_EQ(ThreadIsRunning(number), 1);
  release = true;
  EXPECT_TRUE(EndsWithin(number, 5000));
  EXPECT_EQ(received, 1234);
  EXPECT_EQ(ThreadIsRunning(0), 0);
  EXPECT_EQ(ThreadIsRunning(-1), 0);
  EXPECT_EQ(ThreadIsRunning(number + 1000), 0);
}

TEST(Threads, EndForgetsRunningThreadsWithoutWaiting) {
  ThreadServiceInit();
  release = false;
  int64_t number = ThreadStart(WaitForRelease, 0);
  auto start = std::chrono::steady_clock::now();
  ThreadServiceEnd();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(ThreadIsRunning(number), 0);  // unknown now
  release = true;
}

std::atomic<bool> areaCleaned{false};
int64_t slowArea = PerThreadRegister(
    sizeof(int), nullptr, [](void*) {
      SleepMs(100);  // a clean-up that takes a while: the wait must cover it
      areaCleaned = true;
    });

int32_t UseAreaThenWait(int64_t) {
  PerThreadGet(slowArea);
  return WaitForRelease(0);
}

TEST(Threads, WaitAllIsBoundedAndCoversPerThreadCleanUps) {
  ThreadServiceInit();
  release = false;
  areaCleaned = false;
  ASSERT_GT(ThreadStart(UseAreaThenWait, 0), 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ThreadWaitAll(100), 0);  // still running: the bound ends the wait
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  release = true;
  EXPECT_EQ(ThreadWaitAll(5000), 1);
  EXPECT_TRUE(areaCleaned);
  EXPECT_EQ(ThreadWaitAll(0), 1);
}

std::atomic<int64_t> summed{0};
int32_t AddArgument(int64_t argument) {
  summed += argument;
  return 0;
}

// Threads that end as soon as they start, many of them, while other threads keep the
// processor busy: each must run once with its own argument, and none may break the next
// one's start (detached threads on Windows once did, under load).
TEST(Threads, ManyShortThreadsUnderLoadEachRunOnceWithTheirArgument) {
  ThreadServiceInit();
  std::atomic<bool> busy{true};
  std::vector<std::thread> load;
  for (int i = 0; i < 2; ++i)
    load.emplace_back([&busy] {
      while (busy) {
      }
    });
  summed = 0;
  constexpr int64_t kThreads = 1000;
  int64_t started = 0;
  for (int64_t i = 1; i <= kThreads; ++i) started += ThreadStart(AddArgument, i) > 0 ? 1 : 0;
  const bool ended = ThreadWaitAll(20000) == 1;
  busy = false;
  for (std::thread& t : load) t.join();
  EXPECT_EQ(started, kThreads);
  EXPECT_TRUE(ended);
  EXPECT_EQ(summed, kThreads * (kThreads + 1) / 2);
}

TEST(Threads, SleepWaitsAtLeastTheTimeAsked) {
  auto start = std::chrono::steady_clock::now();
  SleepMs(50);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  start = std::chrono::steady_clock::now();
  SleepMs(-100);
  SleepMs(0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  // Short sleeps are not stretched to a coarse system tick (15.6 ms on Windows by default):
  // the workers poll in steps of 50 ms and less.
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) SleepMs(2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

}  // namespace
