// The process's random numbers: drawn on many threads at once, none repeats (threads that
// shared a seed, or a generator read without its lock, would repeat one).
#include "random_numbers.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

TEST(RandomNumbersTest, NumbersDrawnOnManyThreadsAtOnceDoNotRepeat) {
  constexpr int kThreads = 8;
  constexpr int kEach = 2000;
  std::vector<std::vector<uint64_t>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (auto& numbers : drawn)
    threads.emplace_back([&numbers] {
      for (int i = 0; i < kEach; ++i) numbers.push_back(RandomNumber());
    });
  for (std::thread& thread : threads) thread.join();
  std::set<uint64_t> seen;
  for (const auto& numbers : drawn)
    for (uint64_t number : numbers) EXPECT_TRUE(seen.insert(number).second) << "repeated: " << number;
  // The low bit decides the worker's compression: both values must come up.
  size_t odd = 0;
  for (uint64_t number : seen) odd += number & 1;
  EXPECT_GT(odd, seen.size() / 4);
  EXPECT_LT(odd, seen.size() * 3 / 4);
}

}  // namespace
