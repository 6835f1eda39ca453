// The application suite runs its tests on a second thread; the main thread is the UI
// thread of every application run the tests start.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app_harness.h"

int main(int argc, char** argv) {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
  testing::InitGoogleTest(&argc, argv);
  return AppHarnessRunTests(argc, argv);
}
