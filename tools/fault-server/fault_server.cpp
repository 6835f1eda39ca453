#include "fault_server.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "catalogue_document.h"
#include "catalogue_server.h"

namespace faults {
namespace {

using namespace std::chrono_literals;

constexpr char kAddress[] = "127.0.0.1";
constexpr char kPicturesRoot[] = "/trawl/pictures/";
constexpr char kCataloguePath[] = "/trawl/catalog/soak.xml";
// Every fault ends within about a second: a request that never answered would hold the
// run for Trawl's minute-long stall limit.
constexpr auto kPause = 500ms;
constexpr auto kSlowHead = 1000ms;
constexpr auto kDripGap = 15ms;
// Long enough for the client to take the head and half the body before the reset; a
// connection reset before any answer would be retried by the client.
constexpr auto kBeforeReset = 20ms;
constexpr size_t kDripPieces = 8;
// Idle kept connections each hold a serving thread; let them go soon.
constexpr time_t kKeepAliveSeconds = 1;

constexpr char kNotFoundPage[] =
    "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
    "<body><h1>Not found</h1></body></html>\n";

// The accepted socket of the connection from `peerPort` to our `localPort`, or -1. The
// library does not hand its sockets to handlers; the two ports name one connection.
int FindConnection(int localPort, int peerPort) {
  int found = -1;
  DIR* fds = ::opendir("/proc/self/fd");
  if (!fds) return -1;
  while (dirent* entry = ::readdir(fds)) {
    int fd = std::atoi(entry->d_name);
    if (fd <= 2 || fd == ::dirfd(fds)) continue;
    sockaddr_in local{}, peer{};
    socklen_t localSize = sizeof local, peerSize = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
        local.sin_family != AF_INET || peer.sin_family != AF_INET)
      continue;
    if (ntohs(local.sin_port) == localPort && ntohs(peer.sin_port) == peerPort) {
      found = fd;
      break;
    }
  }
  ::closedir(fds);
  return found;
}

// Dissolving a TCP connection with an AF_UNSPEC connect sends a reset at once; the
// descriptor stays the library's to close.
bool ResetConnection(int fd) {
  sockaddr unspecified{};
  unspecified.sa_family = AF_UNSPEC;
  return fd >= 0 && ::connect(fd, &unspecified, sizeof unspecified) == 0;
}

class RequestLog {
 public:
  bool Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    return fd_ >= 0;
  }
  ~RequestLog() {
    if (fd_ >= 0) ::close(fd_);
  }
  // One write per line, so that a reader never meets half a line.
  void Line(uint64_t seq, const std::string& method, const std::string& path,
            std::string_view outcome, bool clientGone = false) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    std::string line = std::to_string(seq) + " " + std::to_string(ms.count()) + " " + method +
                       " " + path + " " + std::string(outcome) +
                       (clientGone ? " client-gone\n" : "\n");
    std::lock_guard<std::mutex> hold(lock_);
    if (fd_ >= 0 && ::write(fd_, line.data(), line.size()) < 0) {
      std::cerr << "trawl-fault-server: the log cannot be written" << std::endl;
    }
  }

 private:
  int fd_ = -1;
  std::mutex lock_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace

struct FaultServer::State {
  std::shared_ptr<const catalogue::PictureSet> set;
  std::unique_ptr<FaultPlan> plan;
  RequestLog log;
  httplib::Server http;
  std::thread serving;
  std::atomic<uint64_t> requests{0};
  std::atomic<bool> running{false};
  int port = 0;
  std::chrono::milliseconds headDelay{0};

  void InstallHandlers() {
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    // Without SO_REUSEPORT: a second server on the port must fail, not share it. The
    // accepted sockets inherit TCP_NODELAY: with Nagle's rule, a body written after its
    // head waits for the client's delayed acknowledgement on a kept connection (some
    // 40 ms), which would slow every answer and let a reset overtake the half body.
    http.set_socket_options([](socket_t sock) {
      int yes = 1;
      ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    });
    auto ok = [](const httplib::Request&, httplib::Response& response) {
      response.set_content("ok\n", "text/plain");
    };
    http.Get("/", ok);
    http.Get("/trawl/ping", ok);
    http.Get(kCataloguePath, [this](const httplib::Request& request, httplib::Response& response) {
      uint64_t seq = ++requests;
      std::vector<size_t> all(set->pictures.size());
      for (size_t i = 0; i < all.size(); ++i) all[i] = i;
      response.set_content(catalogue::CatalogueXml(*set, all, BaseUrl()), "application/xml");
      log.Line(seq, request.method, request.path, "catalogue");
    });
    http.Get(std::string(kPicturesRoot) + ".*",
             [this](const httplib::Request& request, httplib::Response& response) {
               Picture(request, response);
             });
  }

  std::string BaseUrl() const { return catalogue::MakeBaseUrl(kAddress, port); }

  void Picture(const httplib::Request& request, httplib::Response& response) {
    uint64_t seq = ++requests;
    const std::string& path = request.path;
    auto found = set->byPath.find(std::string_view(path).substr(std::size(kPicturesRoot) - 1));
    if (found == set->byPath.end()) {
      response.status = 404;
      response.set_content(kNotFoundPage, "text/html");
      log.Line(seq, request.method, path, "unknown");
      return;
    }
    auto bytes = set->pictures[found->second].bytes;
    if (request.method == "HEAD") {
      std::this_thread::sleep_for(headDelay);
      Outcome outcome = plan->ForHead(path);
      if (outcome == Outcome::SlowHead) {
        log.Line(seq, request.method, path, "slow-head begun");
        std::this_thread::sleep_for(kSlowHead);
      }
      response.set_content(*bytes, "image/jpeg");
      log.Line(seq, request.method, path, outcome == Outcome::SlowHead ? "slow-head" : "head");
      return;
    }
    Outcome outcome = plan->ForGet(path);
    switch (outcome) {
      case Outcome::NotFound:
        response.status = 404;
        response.set_content(kNotFoundPage, "text/html");
        break;
      case Outcome::Truncated: {
        // Three quarters of the picture: never its end marker, which only ends it.
        response.set_content(bytes->substr(0, bytes->size() * 3 / 4), "image/jpeg");
        break;
      }
      case Outcome::Reset:
      case Outcome::PauseThenWhole:
      case Outcome::DripThenWhole:
        SendSlowly(seq, request, response, outcome, bytes);
        return;  // logged once the body has gone out
      case Outcome::Whole:
      case Outcome::SlowHead:
        response.set_content(*bytes, "image/jpeg");
        break;
    }
    log.Line(seq, request.method, path, OutcomeName(outcome));
  }

  // The bodies that take their time or break off, written by the library's serving
  // thread as it asks for them.
  void SendSlowly(uint64_t seq, const httplib::Request& request, httplib::Response& response,
                  Outcome outcome, std::shared_ptr<const std::string> bytes) {
    std::string path = request.path;
    int peerPort = request.remote_port;
    if (outcome != Outcome::Reset) {
      log.Line(seq, "GET", path, std::string(OutcomeName(outcome)) + " begun");
    }
    response.set_content_provider(
        bytes->size(), "image/jpeg",
        [this, seq, path, peerPort, outcome, bytes](size_t offset, size_t,
                                                    httplib::DataSink& sink) {
          const char* data = bytes->data();
          size_t size = bytes->size(), half = size / 2;
          bool sent = true;
          auto send = [&](size_t from, size_t to) {
            if (sent && to > from) sent = sink.write(data + from, to - from);
          };
          if (outcome == Outcome::Reset) {
            send(offset, half);
            std::this_thread::sleep_for(kBeforeReset);
            bool reset = ResetConnection(FindConnection(port, peerPort));
            log.Line(seq, "GET", path, reset ? "reset" : "closed", !sent);
            return false;
          }
          if (outcome == Outcome::PauseThenWhole) {
            send(offset, std::max(offset, half));
            std::this_thread::sleep_for(kPause);
            send(std::max(offset, half), size);
          } else {
            size_t piece = (size + kDripPieces - 1) / kDripPieces;
            for (size_t from = offset; from < size; from += piece) {
              if (from > offset) std::this_thread::sleep_for(kDripGap);
              send(from, std::min(size, from + piece));
            }
          }
          log.Line(seq, "GET", path, OutcomeName(outcome), !sent);
          return sent;
        });
  }
};

FaultServer::FaultServer(std::shared_ptr<const catalogue::PictureSet> set,
                         std::unique_ptr<FaultPlan> plan)
    : state_(std::make_unique<State>()) {
  state_->set = std::move(set);
  state_->plan = std::move(plan);
  state_->InstallHandlers();
}

FaultServer::~FaultServer() { Stop(); }

void FaultServer::SetHeadDelay(std::chrono::milliseconds delay) { state_->headDelay = delay; }

bool FaultServer::Start(int port, const std::string& logPath, std::string& error) {
  // A client that goes away mid-answer must not end the process.
  ::signal(SIGPIPE, SIG_IGN);
  if (!state_->log.Open(logPath)) {
    error = "cannot write the log " + logPath;
    return false;
  }
  if (!state_->http.bind_to_port(kAddress, port)) {
    error = "cannot listen on " + std::string(kAddress) + " port " + std::to_string(port);
    return false;
  }
  state_->port = port;
  state_->running = true;
  state_->serving = std::thread([state = state_.get()] {
    state->http.listen_after_bind();
    state->running = false;
  });
  while (!state_->http.is_running() && state_->running) std::this_thread::sleep_for(1ms);
  return true;
}

void FaultServer::Stop() {
  if (!state_->serving.joinable()) return;
  state_->http.stop();
  state_->serving.join();
}

bool FaultServer::IsRunning() const { return state_->running; }

std::string FaultServer::BaseUrl() const { return state_->BaseUrl(); }

}  // namespace faults
