#pragma once
// The platform's side of the network service (network.cpp): starting and stopping the
// socket layer, resolving a host and one connection attempt bounded by a deadline.
// Thread safety: resolving and connecting may run on any thread.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// One resolved address, in the platform's own form.
struct SocketAddress {
  int family = 0;
  int type = 0;
  int protocol = 0;
  std::vector<uint8_t> bytes;
};

// false when the platform's socket layer could not be started.
bool SocketLayerStart();
// Stops what a successful start started.
void SocketLayerEnd();
// The stream addresses of `host` and `port` (blocking; empty when it cannot be resolved).
std::vector<SocketAddress> SocketResolve(const std::string& host, const std::string& port);
// true when a connection to `address` was made before `deadline`; it is closed again.
bool SocketConnectOnce(const SocketAddress& address, std::chrono::steady_clock::time_point deadline);
void SocketClose(int64_t socket);
