#include "network.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "detached_thread.h"
#include "object_table.h"
#include "sockets.h"

namespace {

struct ConnectionRecord {
  int64_t handle = 0;  // the socket plus 1, so that socket 0 still counts as open
  int32_t kind = 0;    // 1: a server, whose clients are closed with it
  std::vector<int64_t> clients;
};

std::optional<ObjectTable<ConnectionRecord>> connections;
std::atomic<int> started{0};
bool layerStarted = false;  // only the UI thread starts and ends the network

using Clock = std::chrono::steady_clock;

struct Endpoint {
  std::string host;
  std::string port;
};

// "scheme://[user@]host[:port][/...]" or "host[:port]".
std::optional<Endpoint> ParseAddress(std::string_view address) {
  std::string port = "80";
  const size_t scheme = address.find("://");
  if (scheme != std::string_view::npos) {
    const std::string_view name = address.substr(0, scheme);
    if (name == "https") port = "443";
    else if (name != "http") return std::nullopt;
    address.remove_prefix(scheme + 3);
  }
  address = address.substr(0, address.find_first_of("/?#"));
  if (const size_t at = address.rfind('@'); at != std::string_view::npos)
    address.remove_prefix(at + 1);
  std::string_view host = address;
  std::string_view portText;
  if (!address.empty() && address.front() == '[') {  // [IPv6]:port
    const size_t close = address.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = address.substr(1, close - 1);
    const std::string_view after = address.substr(close + 1);
    if (!after.empty() && after.front() != ':') return std::nullopt;
    if (!after.empty()) portText = after.substr(1);
  } else if (const size_t colon = address.find(':'); colon != std::string_view::npos) {
    host = address.substr(0, colon);
    portText = address.substr(colon + 1);
  }
  if (host.empty() || host.find('\0') != std::string_view::npos) return std::nullopt;
  if (!portText.empty()) {
    if (portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string_view::npos)
      return std::nullopt;
    if (std::stoi(std::string(portText)) > 65535) return std::nullopt;
    port = std::string(portText);
  }
  return Endpoint{std::string(host), port};
}

// Name resolution cannot be given a time limit, so it runs on a thread of its own that
// the caller stops waiting for at the deadline; the shared record outlives the caller.
struct Resolution {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::vector<SocketAddress> result;
};

std::shared_ptr<Resolution> Resolve(const Endpoint& endpoint, Clock::time_point deadline) {
  auto resolution = std::make_shared<Resolution>();
  const bool started = StartDetachedThread([resolution, endpoint] {
    std::vector<SocketAddress> result = SocketResolve(endpoint.host, endpoint.port);
    std::lock_guard lock(resolution->mutex);
    resolution->result = std::move(result);
    resolution->finished = true;
    resolution->done.notify_all();
  });
  if (!started) return nullptr;
  std::unique_lock lock(resolution->mutex);
  if (!resolution->done.wait_until(lock, deadline, [&] { return resolution->finished; }))
    return nullptr;
  return resolution;
}

void CloseConnection(ConnectionRecord& record) {
  if (record.kind == 1)
    for (int64_t client : record.clients) SocketClose(client);
  record.clients.clear();
  SocketClose(record.handle - 1);
}

}  // namespace

void NetworkServiceInit() {
  if (!connections) connections.emplace(16, [](int64_t n) { NetworkConnectionClose(n); });
}

int NetworkStart() {
  if (started.load() == 1) return 1;
  layerStarted = SocketLayerStart();
  started.store(layerStarted ? 1 : 0);
  return started.load();
}

void NetworkEnd() {
  NetworkConnectionClose(kDynamicNumber);
  if (layerStarted) SocketLayerEnd();
  layerStarted = false;
  started.store(0);
}

void NetworkConnectionClose(int64_t number) {
  if (!connections) return;
  if (number == kDynamicNumber) return connections->ReleaseAll();
  if (ConnectionRecord* record = connections->Get(number)) {
    CloseConnection(*record);
    connections->Release(number);
  }
}

int CheckConnectivity(TextView address) {
  const auto endpoint = ParseAddress(TextToUtf8(address));
  if (!endpoint) return 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kConnectivityTimeoutMs);
  const auto resolution = Resolve(*endpoint, deadline);
  if (!resolution) return 0;
  for (const SocketAddress& a : resolution->result)
    if (SocketConnectOnce(a, deadline)) return 1;
  return 0;
}
