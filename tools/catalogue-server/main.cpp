// trawl-catalogue-server: see server_program.h and --help.
#include <signal.h>

#include <ctime>
#include <iostream>

#include "server_program.h"

namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

// The stop signals are blocked in every thread and taken here synchronously, so no
// handler runs in the middle of the server's work.
void WaitForStopSignal(const catalogue::CatalogueServer& server) {
  sigset_t set = StopSignals();
  timespec poll{0, 200 * 1000 * 1000};
  while (server.IsRunning()) {
    if (sigtimedwait(&set, nullptr, &poll) > 0) return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // before any thread starts
  return catalogue::RunServerProgram(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                     std::cerr, WaitForStopSignal);
}
