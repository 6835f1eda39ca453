// Whole-file replacement against Windows' sharing rules.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "read_file.h"
#include "replace_file.h"
#include "scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Opens `path` as a scanner does (reading, sharing no deletion, so no rename may replace
// it) and closes it after `hold`.
std::thread HoldFor(const Text& path, std::chrono::milliseconds hold, bool& opened) {
  HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  opened = file != INVALID_HANDLE_VALUE;
  return std::thread([file, hold] {
    std::this_thread::sleep_for(hold);
    CloseHandle(file);
  });
}

TEST(ReplaceFileWin32, AFileHeldForAMomentIsReplacedOnceLetGoAndOneHeldLongerIsLeftAlone) {
  ScratchFolder scratch;
  ASSERT_TRUE(scratch.Valid());
  const Text target = TextFromUtf8(scratch.Path() + "\\a.jpg");
  const uint8_t old[] = {'o', 'l', 'd'}, fresh[] = {'n', 'e', 'w', '!'};
  std::vector<uint8_t> read;
  struct Case {
    int holdMs;
    bool replaced;
  } cases[] = {{300, true}, {2500, false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(ReplaceFileWhole(target, old, sizeof old));
    bool opened = false;
    std::thread holder = HoldFor(target, std::chrono::milliseconds(c.holdMs), opened);
    ASSERT_TRUE(opened);
    const auto start = Clock::now();
    EXPECT_EQ(ReplaceFileWhole(target, fresh, sizeof fresh), c.replaced) << c.holdMs;
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    holder.join();
    ASSERT_TRUE(ReadFileWhole(target, 100, read));
    EXPECT_EQ(read.size(), c.replaced ? sizeof fresh : sizeof old) << c.holdMs;
    // Given up after about a second, not at once and not only when the holder let go.
    if (!c.replaced) EXPECT_GE(took.count(), 900) << c.holdMs;
    if (!c.replaced) EXPECT_LT(took.count(), 2000) << c.holdMs;
    EXPECT_EQ(NamesIn(scratch.Path(), false), std::vector<std::string>{"a.jpg"}) << "a temporary was left";
  }
}

}  // namespace
