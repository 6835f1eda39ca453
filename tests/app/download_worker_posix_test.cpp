// A picture that cannot be saved whole where POSIX can stop a write half-way.
#include <sys/resource.h>

#include <csignal>

#include "app_state.h"
#include "run_fixture.h"

namespace run_test {
namespace {

using SaveFailureTest = RunTest;

// A copy that cannot be written whole (a file size limit stands in for a full disk)
// leaves the good file that was there exactly as it was, and no temporary beside it.
TEST_F(SaveFailureTest, AWriteCutShortLeavesTheFormerFileAlone) {
  Start();
  const std::string good = SaveWholeOnce();
  ASSERT_FALSE(good.empty());
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = good.size() / 2;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Command(kMenuDownload);
  const bool ended = WaitForRunEnd();
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_TRUE(ended);
  ExpectFailedAndLeftAlone(good);
}

}  // namespace
}  // namespace run_test
