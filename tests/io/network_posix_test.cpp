#include <gtest/gtest.h>

#include <csignal>

#include "network.h"

namespace {

TEST(NetworkPosixTest, StartingIgnoresBrokenPipes) {
  NetworkServiceInit();
  ASSERT_EQ(NetworkStart(), 1);
  struct sigaction action {};
  ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_IGN);
  NetworkEnd();
}

}  // namespace
