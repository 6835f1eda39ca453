#include "per_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

struct Area {
  int64_t marker;
  int64_t scratch[3];
};

// Each test registers its own routines (Tag), so that areas other tests registered do
// not show up in its counts.
template <int Tag>
std::atomic<int> initialised{0};
template <int Tag>
std::atomic<int> cleanedUp{0};

template <int Tag>
void InitialiseArea(void* area) {
  auto* a = static_cast<Area*>(area);
  // A fresh area must arrive zero-filled before the initialiser runs.
  bool zero = a->marker == 0 && a->scratch[0] == 0 && a->scratch[2] == 0;
  a->marker = zero ? 42 : -1;
  ++initialised<Tag>;
}

template <int Tag>
void CleanUpArea(void* area) {
  static_cast<Area*>(area)->marker = 0;
  ++cleanedUp<Tag>;
}

TEST(PerThread, ThreadStartedLaterGetsFreshInitialisedAreaCleanedUpOnce) {
  int64_t offset = PerThreadRegister(sizeof(Area), InitialiseArea<1>, CleanUpArea<1>);
  auto* mine = static_cast<Area*>(PerThreadGet(offset));
  EXPECT_EQ(mine->marker, 42);
  mine->scratch[0] = 7;
  int initialisedBefore = initialised<1>;
  int cleanedBefore = cleanedUp<1>;

  int64_t seenMarker = 0, seenScratch = -1;
  std::thread worker([&] {
    auto* theirs = static_cast<Area*>(PerThreadGet(offset));
    seenMarker = theirs->marker;
    seenScratch = theirs->scratch[0];
    theirs->scratch[0] = 99;
    EXPECT_EQ(PerThreadGet(offset), theirs);  // the same block on every call
  });
  worker.join();
  EXPECT_EQ(seenMarker, 42);
  EXPECT_EQ(seenScratch, 0);
  EXPECT_EQ(initialised<1> - initialisedBefore, 1);
  EXPECT_EQ(cleanedUp<1> - cleanedBefore, 1);
  EXPECT_EQ(mine->scratch[0], 7);  // untouched by the other thread
}

TEST(PerThread, AreaRegisteredWhileAThreadRunsReachesThatThread) {
  std::mutex m;
  std::condition_variable cv;
  int stage = 0;
  int64_t lateOffset = -1;
  int64_t seen = 0;
  int64_t early = PerThreadRegister(8, nullptr, nullptr);
  std::thread worker([&] {
    PerThreadGet(early);  // the thread's block exists before the late registration
    std::unique_lock lock(m);
    stage = 1;
    cv.notify_all();
    cv.wait(lock, [&] { return stage == 2; });
    seen = static_cast<Area*>(PerThreadGet(lateOffset))->marker;
  });
  {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return stage == 1; });
    lateOffset = PerThreadRegister(sizeof(Area), InitialiseArea<2>, CleanUpArea<2>);
    stage = 2;
  }
  cv.notify_all();
  worker.join();
  EXPECT_EQ(seen, 42);
  EXPECT_EQ(cleanedUp<2>, 1);  // the worker's late area, cleaned when it ended
}

// Straight to the standard error handle: at the end of the process the C library's
// streams may be gone.
void SayAtExit(const char* text) {
#ifdef _WIN32
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
#else
  [[maybe_unused]] const auto written = write(2, text, std::strlen(text));
#endif
}

template <int Tag>
void SayCleaned(void*) {
  static const std::string text = "cleaned " + std::to_string(Tag) + "\n";
  SayAtExit(text.c_str());
}

// The main thread's areas are cleaned up when the process ends, which on Windows is after
// the static objects are gone: the registry must outlive them.
TEST(PerThread, TheMainThreadsAreasAreCleanedUpWhenTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PerThreadRegister(8, nullptr, SayCleaned<1>);
        for (int i = 0; i < 64; ++i) PerThreadRegister(8, nullptr, [](void*) {});
        PerThreadRegister(8, nullptr, SayCleaned<2>);
        PerThreadRegister(8, nullptr, SayCleaned<3>);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "cleaned 3\ncleaned 2\ncleaned 1\n");
}

TEST(PerThread, TypedAreaIsPerThreadAndDestroyed) {
  static std::atomic<int> live{0};
  struct Counted {
    Counted() { ++live; }
    ~Counted() { --live; }
    int value = 5;
  };
  PerThread<Counted> area;
  area.Get().value = 1;
  int liveBefore = live;
  int seen = 0;
  std::thread([&] { seen = area.Get().value; }).join();
  EXPECT_EQ(seen, 5);
  EXPECT_EQ(live, liveBefore);  // the worker's copy is gone with the worker
  EXPECT_EQ(area.Get().value, 1);
}

}  // namespace
