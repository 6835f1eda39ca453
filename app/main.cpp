// Trawl's program entry. --help and --version answer on standard output and open no
// window. Workers still running when the window closes are not waited for: after the
// orderly stop the process ends at once, without running the static destructors a
// worker might still be using.
#include <cstdio>
#include <cstdlib>

#include "program.h"
#include "startup.h"

int main(int argc, char** argv) {
  const Text answer = CommandLineAnswer(argc, argv, TextTable::BuiltIn());
  if (!answer.empty()) return WriteOutputLine(answer) ? 0 : 1;
  const int code = AppMain(argc, argv, TextTable::BuiltIn());
  std::fflush(nullptr);
  std::_Exit(code);
}
