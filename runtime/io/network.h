#pragma once
// Network start-up and the connectivity check. Starting readies the platform's socket
// layer: on Windows it starts Winsock; on Linux there is none to start, and the process
// ignores SIGPIPE instead, so that a peer closing a connection never kills it (libcurl
// runs without signals). The connection table exists for the service's numbering; nothing
// in the program opens a connection through it.
//
// Thread safety: start-up and the orderly stop run on the UI thread; CheckConnectivity
// may run on any thread.
#include <cstdint>

#include "text.h"

// The longest a connectivity check waits for name resolution and connection together.
constexpr int64_t kConnectivityTimeoutMs = 10000;

void NetworkServiceInit();
// Starts the network layer once; returns the started flag (0 when the socket layer could
// not be started).
int NetworkStart();
void NetworkEnd();
// Closes one connection, or every connection for -1.
void NetworkConnectionClose(int64_t number);

// Non-zero when a TCP connection to the address's host and port could be made within the
// time-out. The address is "scheme://host[:port][/path]" (http: port 80, https: 443) or
// "host[:port]"; IPv6 hosts are written in brackets.
int CheckConnectivity(TextView address);
