#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "sockets.h"

bool SocketLayerStart() {
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

void SocketLayerEnd() {}

std::vector<SocketAddress> SocketResolve(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::vector<SocketAddress> addresses;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return addresses;
  for (const addrinfo* a = found; a; a = a->ai_next) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(a->ai_addr);
    addresses.push_back({a->ai_family, a->ai_socktype, a->ai_protocol, {bytes, bytes + a->ai_addrlen}});
  }
  freeaddrinfo(found);
  return addresses;
}

bool SocketConnectOnce(const SocketAddress& address, std::chrono::steady_clock::time_point deadline) {
  const int fd = ::socket(address.family, address.type | SOCK_NONBLOCK | SOCK_CLOEXEC, address.protocol);
  if (fd < 0) return false;
  sockaddr_storage target{};
  std::memcpy(&target, address.bytes.data(), std::min(address.bytes.size(), sizeof target));
  bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&target),
                             static_cast<socklen_t>(address.bytes.size())) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd entry{fd, POLLOUT, 0};
    int ready;
    do {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      ready = ::poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    } while (ready < 0 && errno == EINTR);
    int error = 0;
    socklen_t size = sizeof error;
    connected = ready > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
                error == 0;
  }
  ::close(fd);
  return connected;
}

void SocketClose(int64_t socket) { ::close(static_cast<int>(socket)); }
