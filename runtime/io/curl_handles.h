#pragma once
// Reused libcurl easy handles. A handle keeps its live connections, TLS sessions, DNS
// answers and CA store between transfers, so a run of requests to one host pays for one
// connection and one handshake instead of one each. Options do not carry over: every
// handle handed out is reset.
//
// Thread safety: any thread. A handle is used by one thread at a time: the pool hands
// each one out exclusively, and takes it back when its holder goes.
#include <curl/curl.h>

#include <memory>

struct CurlHandleReturn {
  void operator()(CURL* curl) const;
};
using CurlHandle = std::unique_ptr<CURL, CurlHandleReturn>;

// A reset handle, idle or new; null when libcurl cannot make one.
CurlHandle CurlHandleTake();

// The TLS options of every request. With Schannel (Windows) a certificate whose revocation
// state cannot be learnt (no distribution point, as a private CA's; a list out of reach)
// would fail the handshake: it passes, while a revoked one, an untrusted chain, another
// host's name and dates out of range still fail. Other TLS libraries ignore the option.
constexpr long kCurlTlsOptions = CURLSSLOPT_REVOKE_BEST_EFFORT;
