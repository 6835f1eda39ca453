// Trawl's program entry. Workers still running when the window closes are not waited
// for: after the orderly stop the process ends at once, without running the static
// destructors a worker might still be using.
#include <cstdio>
#include <cstdlib>

#include "startup.h"

int main(int argc, char** argv) {
  const int code = AppMain(argc, argv, TextTable::BuiltIn());
  std::fflush(nullptr);
  std::_Exit(code);
}
