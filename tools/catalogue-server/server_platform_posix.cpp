#include "server_platform.h"

#include <signal.h>
#include <sys/socket.h>

#include <ctime>

#include "catalogue_server.h"

namespace catalogue::platform {
namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path PathFromUtf8(std::string_view text) { return std::filesystem::path(text); }

bool IsHidden(const std::filesystem::directory_entry& entry) {
  return entry.path().filename().string().starts_with('.');
}

void IgnoreBrokenPipes() {
  struct sigaction current {};
  if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    ::signal(SIGPIPE, SIG_IGN);
  }
}

// The library's default adds SO_REUSEPORT, with which a second server binds an occupied
// port and the kernel splits the connections between the two.
void SetListenOptions(std::uintptr_t socket) {
  int yes = 1;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// The stop signals are blocked in every thread and taken by WaitForStopRequest
// synchronously, so no handler runs in the middle of the server's work.
void PrepareProcess() {
  sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void WaitForStopRequest(const CatalogueServer& server) {
  while (server.IsRunning()) {
    if (StopRequested(std::chrono::milliseconds(200))) return;
  }
}

bool StopRequested(std::chrono::milliseconds wait) {
  sigset_t set = StopSignals();
  auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
  timespec poll{static_cast<time_t>(nanoseconds / 1000000000), static_cast<long>(nanoseconds % 1000000000)};
  return sigtimedwait(&set, nullptr, &poll) > 0;
}

void BeforeExit(int) {}

std::string_view StopRequestHelp() { return "SIGINT or SIGTERM stops the server."; }

}  // namespace catalogue::platform
