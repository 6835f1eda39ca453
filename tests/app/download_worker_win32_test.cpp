// A picture that cannot be saved where Windows refuses to replace a file.
#include <windows.h>

#include "app_state.h"
#include "handle_win32.h"
#include "run_fixture.h"

namespace run_test {
namespace {

using SaveFailureTest = RunTest;

// A file another program holds open (without letting it be deleted) cannot be replaced:
// the entry fails, and the file stays exactly as it was with no temporary beside it.
TEST_F(SaveFailureTest, AFileHeldOpenElsewhereIsLeftAlone) {
  Start();
  const std::string good = SaveWholeOnce();
  ASSERT_FALSE(good.empty());
  const Text path = TextFromUtf8(folder_ + "Run_whole.jpg");
  KernelHandle held(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  ASSERT_TRUE(held);
  Command(kMenuDownload);
  const bool ended = WaitForRunEnd();
  held.Reset();
  ASSERT_TRUE(ended);
  ExpectFailedAndLeftAlone(good);
}

}  // namespace
}  // namespace run_test
