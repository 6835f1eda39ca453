#pragma once
// HTTP and HTTPS transfers over libcurl. Connections and TLS sessions are reused from
// one transfer to the next (curl_handles.h); nothing else carries over: no cookies, no
// options. TLS is verified against
// the system trust store. Only http and https addresses are fetched. HTTP status codes are
// not examined: a 404 page delivered completely is a completed transfer. An empty body
// counts as a failure. A transfer that receives nothing for a minute fails, and so does a
// chain of more than 50 redirects.
//
// Bodies are handed over as memory blocks (memory.h): MemorySize gives the exact byte
// count, the block is not NUL-terminated, and the caller releases it with MemoryFree.
//
// Thread safety: any thread may fetch. An asynchronous transfer is filled by a thread of
// its own and polled, aborted and finished by one other thread; its state and byte count
// are atomic, so polling never blocks on the transfer.
#include <atomic>
#include <cstdint>

#include "text.h"

constexpr int kFetchAsync = 1;        // run the transfer on a thread of its own
constexpr int kFetchNoRedirects = 2;  // do not follow redirects

// End states reported by TransferProgress.
constexpr int64_t kTransferCompleted = -2;
constexpr int64_t kTransferFailed = -3;
constexpr int64_t kTransferAborted = -4;

inline constexpr char16_t kDefaultUserAgent[] = u"Mozilla/5.0 Gecko/41.0 Firefox/41.0";

// Bytes a body block grows by beyond the chunk that overflows it, and its first size when
// the server announces no length (else the first block is the announced length).
constexpr int64_t kFetchGrowthStep = 524288;
// A transfer that receives nothing for this long fails.
constexpr int64_t kFetchStallSeconds = 60;
constexpr int64_t kFetchMaxRedirects = 50;
// No limit on the body's size beyond what memory allows.
constexpr int64_t kFetchAnySize = INT64_MAX;

// Without kFetchAsync: fetches in the calling thread and returns the body block's address
// (reinterpret_cast<uint8_t*>), 0 on any failure. With kFetchAsync: returns a transfer
// handle at once (0 when no thread could be started) for the calls below. An empty url
// returns 0 at once. A body longer than `maxBytes` (announced or received) fails the
// transfer as soon as that shows, so a server cannot fill the memory.
int64_t FetchToMemory(TextView url, int flags = 0, TextView userAgent = kDefaultUserAgent,
                      int64_t maxBytes = kFetchAnySize);

// The synchronous form, typed: kFetchAsync is ignored.
uint8_t* FetchToMemoryBlock(TextView url, int flags = 0, TextView userAgent = kDefaultUserAgent,
                            int64_t maxBytes = kFetchAnySize);

// While the transfer runs: the body bytes received so far (0 or more; 0 while an abort is
// pending). Once it has ended: kTransferCompleted, kTransferFailed or kTransferAborted.
// kTransferFailed for a handle that is not (or no longer) a transfer.
int64_t TransferProgress(int64_t transfer);

// TransferProgress once the transfer has ended or `milliseconds` (at most a minute)
// have passed, whichever comes first: a poller's sleep that ends early at the end.
int64_t TransferWait(int64_t transfer, int64_t milliseconds);

// Asks a running transfer to stop; it ends as kTransferAborted within about a second,
// whatever the server does. Does not wait. Ignored once the transfer has ended, so every
// transfer reaches exactly one end state.
void RequestTransferAbort(int64_t transfer);

// Releases the transfer and returns its body block when it completed, else null. Call it
// exactly once per asynchronous transfer, after TransferProgress went negative. Called
// earlier, it aborts the transfer, which then cleans up after itself.
uint8_t* FinishTransfer(int64_t transfer);

// Bytes allocated for the body so far (diagnostics; the block is cut to size at the end).
int64_t TransferCapacity(int64_t transfer);

// Sends a HEAD request and returns the header lines of every response received, redirect
// responses included, each with the line end the server sent; empty on any failure. Of the
// flags only kFetchNoRedirects counts. When `abortWhenSet` is given, the request ends
// (empty) within about a second of that flag becoming non-zero, whatever the server does.
Text FetchHeaders(TextView url, int flags = 0, TextView userAgent = kDefaultUserAgent,
                  const std::atomic<int64_t>* abortWhenSet = nullptr);

// Decodes %XX escapes and "+" (a blank); other characters give their low 8 bits. A "%"
// without two hex digits after it ends the decoding there. The bytes are read as UTF-8 for
// mode 2 and as Latin-1 otherwise.
Text UrlDecode(TextView text, int mode);

// Shortens the stall limit of later transfers (tests); values below 1 restore the default.
void FetchSetStallSeconds(int64_t seconds);

// Tests and benchmarks: later transfers trust the CA bundle in this file instead of the
// system store; an empty path restores the default.
void FetchSetCaFile(TextView path);
