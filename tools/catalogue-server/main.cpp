// trawl-catalogue-server: see server_program.h and --help.
#include <iostream>

#include "server_platform.h"
#include "server_program.h"

int main(int argc, char** argv) {
  namespace platform = catalogue::platform;
  platform::PrepareProcess();  // before any thread starts
  int code = catalogue::RunServerProgram(platform::ProgramArguments(argc, argv), std::cout,
                                         std::cerr, platform::WaitForStopRequest);
  platform::BeforeExit(code);
  return code;
}
