// The images suite renders text, so the platform's text part comes up first (under Qt an
// offscreen GUI application, which needs no display; GDI needs nothing).
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/text_render.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!PlatformTextStart()) {
    std::fprintf(stderr, "the platform's text part did not come up\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
