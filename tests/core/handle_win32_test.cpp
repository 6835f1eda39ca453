// Owners of Win32 handles: each handle is closed exactly once, by whoever holds it last,
// and the tally counts the handles held.
#include "handle_win32.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(KernelHandle, ClosesWhatItHoldsOnceAndCountsIt) {
  const int64_t start = kernelHandleTally.Live();
  const int64_t one = kCountingHandles ? 1 : 0;
  HANDLE first = nullptr, second = nullptr;
  {
    KernelHandle owner(NewEvent());
    first = owner.Get();
    ASSERT_TRUE(owner);
    EXPECT_EQ(kernelHandleTally.Live(), start + one);

    KernelHandle moved(std::move(owner));  // handed over, not closed
    EXPECT_FALSE(owner);
    EXPECT_EQ(moved.Get(), first);
    EXPECT_TRUE(IsOpen(first));
    EXPECT_EQ(kernelHandleTally.Live(), start + one);

    moved.Reset(NewEvent());  // the first one closes
    second = moved.Get();
    EXPECT_FALSE(IsOpen(first));
    EXPECT_EQ(kernelHandleTally.Live(), start + one);

    // A failed call's result is nothing to close.
    for (HANDLE failed : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
      KernelHandle none(failed);
      EXPECT_FALSE(none);
      EXPECT_EQ(none.Get(), nullptr);
    }
    EXPECT_EQ(kernelHandleTally.Live(), start + one);
  }
  EXPECT_FALSE(IsOpen(second));
  EXPECT_EQ(kernelHandleTally.Live(), start);

  // Released, it stays open for its new owner and is no longer counted.
  KernelHandle owner(NewEvent());
  HANDLE given = owner.Release();
  EXPECT_FALSE(owner);
  EXPECT_TRUE(IsOpen(given));
  EXPECT_EQ(kernelHandleTally.Live(), start);
  CloseHandle(given);
}

}  // namespace
