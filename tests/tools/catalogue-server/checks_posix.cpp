// The POSIX parts of the catalogue server tests' helpers.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "catalogue_checks.h"

namespace checks {

int ProcessId() { return static_cast<int>(::getpid()); }

std::string RawExchange(int port, const std::string& request, bool endSending) {
  int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval guard{10, 0};  // a hung server fails the test instead of stalling it
  ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(sock, request.data(), request.size(), MSG_NOSIGNAL) >= 0) {
    if (endSending) ::shutdown(sock, SHUT_WR);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  }
  ::close(sock);
  return answer;
}

struct Child::Process {
  pid_t pid = -1;
  int output = -1;
};

Child::Child(std::vector<std::string> args, const std::filesystem::path& errorFile)
    : process_(std::make_unique<Process>()) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  args.insert(args.begin(), TRAWL_CATALOGUE_SERVER_BINARY);
  std::vector<char*> argv;  // made before the fork: the child may only exec
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  process_->pid = ::fork();
  if (process_->pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  process_->output = out[0];
}

Child::~Child() {
  pid_t pid = process_->pid;
  if (pid > 0 && ::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
  ::close(process_->output);
}

std::string Child::FirstLine() {
  std::string line;
  char c;
  pollfd wanted{process_->output, POLLIN, 0};
  while (::poll(&wanted, 1, 20000) == 1 && ::read(process_->output, &c, 1) == 1 && c != '\n')
    line += c;
  return line;
}

int Child::ExitCode() {
  for (int tries = 0; tries < 400 && process_->pid > 0; ++tries) {
    int status = 0;
    if (::waitpid(process_->pid, &status, WNOHANG) == process_->pid) {
      process_->pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

std::vector<std::string> StopRequests() { return {"SIGTERM", "SIGINT"}; }

bool Child::RequestStop(const std::string& how) {
  return ::kill(process_->pid, how == "SIGINT" ? SIGINT : SIGTERM) == 0;
}

}  // namespace checks
