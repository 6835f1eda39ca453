#include "catalogue_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "catalogue_routes.h"
#include "server_platform.h"

namespace catalogue {
namespace {

// Idle connections hold a serving thread; a short keep-alive lets Stop finish quickly.
constexpr time_t kKeepAliveSeconds = 1;

bool IsWildcard(const std::string& address) {
  return address.empty() || address == "0.0.0.0" || address == "::";
}

// Request targets come from the network: control bytes must not break the log's lines.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string LogLine(const httplib::Request& request, const httplib::Response& response) {
  return request.remote_addr + " \"" + Printable(request.method) + " " + Printable(request.target) +
         "\" " + std::to_string(response.status) + " " + std::to_string(response.body.size());
}

}  // namespace

struct CatalogueServer::State {
  CatalogueRoutes routes;
  Log log;
  std::mutex logLock;
  httplib::Server http;
  std::thread serving;
  std::string address;
  std::atomic<int> port{0};
  std::atomic<bool> running{false};

  State(std::shared_ptr<const PictureSet> pictures, Log logLines, SiteAddresses site)
      : routes(std::move(pictures), std::move(site)), log(std::move(logLines)) {}

  std::string BaseUrlFor(const httplib::Request& request) const {
    if (IsWildcard(address)) return MakeBaseUrl(request.local_addr, request.local_port);
    return MakeBaseUrl(address, port);
  }

  void InstallHandlers() {
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    // Instead of the library's default, with which a second server may bind an
    // occupied port.
    http.set_socket_options(
        [](socket_t sock) { platform::SetListenOptions(static_cast<std::uintptr_t>(sock)); });
    http.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
          HttpAnswer answer = routes.Answer(request.method, request.path, BaseUrlFor(request));
          response.status = answer.status;
          if (answer.status == 405) response.set_header("Allow", "GET, HEAD");
          response.set_content(std::move(answer.body), answer.contentType.c_str());
          return httplib::Server::HandlerResponse::Handled;
        });
    if (log) {
      http.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        std::lock_guard<std::mutex> hold(logLock);
        log(LogLine(request, response));
      });
    }
  }
};

CatalogueServer::CatalogueServer(std::shared_ptr<const PictureSet> pictures, Log log,
                                 SiteAddresses site)
    : state_(std::make_unique<State>(std::move(pictures), std::move(log), std::move(site))) {
  state_->InstallHandlers();
}

CatalogueServer::~CatalogueServer() { Stop(); }

bool CatalogueServer::Start(const std::string& address, int port, std::string& error) {
  // A client that goes away mid-answer must not end the process.
  platform::IgnoreBrokenPipes();
  if (state_->port != 0) {
    error = "the server has been started before";
    return false;
  }
  int bound = port == 0 ? state_->http.bind_to_any_port(address)
                        : (state_->http.bind_to_port(address, port) ? port : -1);
  if (bound <= 0) {
    error = "cannot listen on " + address + " port " + std::to_string(port) +
            " (the port is in use, or the address is not one of this machine's)";
    return false;
  }
  state_->address = address;
  state_->port = bound;
  state_->running = true;
  state_->serving = std::thread([state = state_.get()] {
    state->http.listen_after_bind();
    state->running = false;
  });
  // Stop must find the server running, so Start returns only once it accepts.
  while (!state_->http.is_running() && state_->running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void CatalogueServer::Stop() {
  if (!state_->serving.joinable()) return;
  state_->http.stop();
  state_->serving.join();
}

bool CatalogueServer::IsRunning() const { return state_->running; }

int CatalogueServer::Port() const { return state_->port; }

std::string CatalogueServer::BaseUrl() const { return MakeBaseUrl(state_->address, state_->port); }

std::string MakeBaseUrl(const std::string& host, int port) {
  bool ipv6 = host.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace catalogue
