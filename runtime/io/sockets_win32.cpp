#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

#include "sockets.h"
#include "text.h"

bool SocketLayerStart() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void SocketLayerEnd() { WSACleanup(); }

// The wide-character resolver: a host name outside ASCII reaches it whole.
std::vector<SocketAddress> SocketResolve(const std::string& host, const std::string& port) {
  const Text wideHost = TextFromUtf8(host);
  const Text widePort = TextFromUtf8(port);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* found = nullptr;
  std::vector<SocketAddress> addresses;
  if (GetAddrInfoW(reinterpret_cast<const wchar_t*>(wideHost.c_str()),
                   reinterpret_cast<const wchar_t*>(widePort.c_str()), &hints, &found) != 0)
    return addresses;
  for (const ADDRINFOW* a = found; a; a = a->ai_next) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(a->ai_addr);
    addresses.push_back({a->ai_family, a->ai_socktype, a->ai_protocol, {bytes, bytes + a->ai_addrlen}});
  }
  FreeAddrInfoW(found);
  return addresses;
}

bool SocketConnectOnce(const SocketAddress& address, std::chrono::steady_clock::time_point deadline) {
  const SOCKET s = ::socket(address.family, address.type, address.protocol);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  sockaddr_storage target{};
  std::memcpy(&target, address.bytes.data(), std::min(address.bytes.size(), sizeof target));
  bool connected = ::connect(s, reinterpret_cast<const sockaddr*>(&target),
                             static_cast<int>(address.bytes.size())) == 0;
  if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
    // A refused connection shows in the exception set, not as writable.
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    const auto left = std::max<int64_t>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now())
               .count());
    timeval wait{static_cast<long>(left / 1000000), static_cast<long>(left % 1000000)};
    connected = ::select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &writable) &&
                !FD_ISSET(s, &failed);
  }
  ::closesocket(s);
  return connected;
}

void SocketClose(int64_t socket) { ::closesocket(static_cast<SOCKET>(socket)); }
