#include "memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool AllZero(const uint8_t* block, int64_t from, int64_t to) {
  for (int64_t i = from; i < to; ++i)
    if (block[i] != 0) return false;
  return true;
}

TEST(Memory, AllocateIsZeroFilledWithExactSize) {
  uint8_t* block = MemoryAllocate(1000);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(MemorySize(block), 1000);
  EXPECT_TRUE(AllZero(block, 0, 1000));
  MemoryFree(block);
  uint8_t* uncleared = MemoryAllocate(3, kMemoryNoClear);
  ASSERT_NE(uncleared, nullptr);
  EXPECT_EQ(MemorySize(uncleared), 3);
  MemoryFree(uncleared);
}

TEST(Memory, InvalidSizesGiveNone) {
  EXPECT_EQ(MemoryAllocate(0), nullptr);
  EXPECT_EQ(MemoryAllocate(-5), nullptr);
  EXPECT_EQ(MemoryAllocate(INT64_MAX), nullptr);
  EXPECT_EQ(MemoryResize(nullptr, 0), nullptr);
  EXPECT_EQ(MemorySize(nullptr), 0);
  MemoryFree(nullptr);
}

TEST(Memory, ResizeKeepsContentsAndClearsNewBytes) {
  uint8_t* block = MemoryAllocate(4, kMemoryNoClear);
  std::memcpy(block, "abcd", 4);
  block = MemoryResize(block, 4096);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(MemorySize(block), 4096);
  EXPECT_EQ(std::memcmp(block, "abcd", 4), 0);
  EXPECT_TRUE(AllZero(block, 4, 4096));
  block = MemoryResize(block, 2);
  EXPECT_EQ(MemorySize(block), 2);
  EXPECT_EQ(std::memcmp(block, "ab", 2), 0);
  block = MemoryResize(block, 3);  // bytes cut off earlier must come back as zero
  EXPECT_EQ(block[2], 0);
  MemoryFree(block);
}

// Large blocks live elsewhere than small ones; contents and cleared bytes must survive
// every crossing: small to large, shrinking within and across pages, growing back.
TEST(Memory, LargeBlocksKeepContentsAndClearNewBytesAcrossResizes) {
  constexpr int64_t kLarge = int64_t{6} << 20;
  uint8_t* block = MemoryAllocate(100, kMemoryNoClear);
  std::memset(block, 0xAB, 100);
  block = MemoryResize(block, kLarge);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[99], 0xAB);
  EXPECT_TRUE(AllZero(block, 100, kLarge));
  std::memset(block, 0xCD, static_cast<size_t>(kLarge));
  const struct {
    int64_t size;
    int64_t keptUpTo;  // bytes of 0xCD before this resize that must still be there
  } steps[] = {{kLarge - 5000, kLarge - 5000}, {kLarge - 100, kLarge - 5000},
               {kLarge * 3, kLarge - 5000}, {4100, 4100}, {kLarge, 4100}};
  for (const auto& step : steps) {
    block = MemoryResize(block, step.size);
    ASSERT_NE(block, nullptr) << step.size;
    EXPECT_EQ(MemorySize(block), step.size);
    EXPECT_EQ(block[step.keptUpTo - 1], 0xCD) << step.size;
    EXPECT_TRUE(AllZero(block, step.keptUpTo, step.size)) << step.size;
  }
  MemoryFree(block);
  uint8_t* fresh = MemoryAllocate(kLarge);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(AllZero(fresh, 0, kLarge));
  MemoryFree(fresh);
}

TEST(Memory, FailedResizeLeavesTheBlock) {
  uint8_t* block = MemoryAllocate(8);
  block[7] = 9;
  EXPECT_EQ(MemoryResize(block, 0), nullptr);
  EXPECT_EQ(MemoryResize(block, -1), nullptr);
  EXPECT_EQ(MemoryResize(block, INT64_MAX), nullptr);
  EXPECT_EQ(MemorySize(block), 8);  // still owned and intact
  EXPECT_EQ(block[7], 9);
  MemoryFree(block);
}

TEST(Memory, ResizeOfNoneAllocates) {
  uint8_t* block = MemoryResize(nullptr, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(MemorySize(block), 16);
  EXPECT_TRUE(AllZero(block, 0, 16));
  MemoryFree(block);
}

}  // namespace
