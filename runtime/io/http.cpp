#include "http.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "curl_handles.h"
#include "detached_thread.h"
#include "memory.h"

namespace {

constexpr int32_t kRunning = -1;
constexpr int32_t kAbortRequested = -5;

// Bodies are received in large reads: fewer calls into the kernel and into the write
// callback (libcurl's default is 16 KiB; curl's own tool uses 100 KiB).
constexpr long kBodyReceiveBuffer = 512 * 1024;

std::atomic<int64_t> stallSeconds{kFetchStallSeconds};

std::mutex caFileMutex;
std::string caFile;  // empty: the system store

struct Transfer {
  std::atomic<int32_t> state{kRunning};
  std::string url;  // the library's 8-bit text is UTF-8 here
  std::string userAgent;
  uint8_t* data = nullptr;  // owned until handed over
  std::atomic<int64_t> capacity{0};
  CURL* curl = nullptr;  // while it runs: for the length the server announces
  int flags = 0;
  int64_t maxBytes = kFetchAnySize;
  std::atomic<int64_t> received{0};
  std::mutex endLock;  // with `ended`: wakes a waiter as soon as the end state is written
  std::condition_variable ended;

  Transfer(TextView u, int f, TextView agent, int64_t limit)
      : url(TextToUtf8(u)), userAgent(TextToUtf8(agent)), flags(f), maxBytes(limit < 0 ? 0 : limit) {}
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;
  ~Transfer() { MemoryFree(data); }
};

// Running asynchronous transfers by handle. The transfer thread holds its own reference,
// so a record outlives an early FinishTransfer.
std::mutex registryMutex;
std::unordered_map<int64_t, std::shared_ptr<Transfer>> registry;

std::shared_ptr<Transfer> Lookup(int64_t handle) {
  std::lock_guard lock(registryMutex);
  auto it = registry.find(handle);
  return it == registry.end() ? nullptr : it->second;
}

std::shared_ptr<Transfer> Unregister(int64_t handle) {
  std::lock_guard lock(registryMutex);
  auto it = registry.find(handle);
  if (it == registry.end()) return nullptr;
  auto transfer = std::move(it->second);
  registry.erase(it);
  return transfer;
}

// The block's next size once `needed` bytes do not fit. The first block takes the length
// the server announces, so that a body arrives in one block without moves; past it, or
// without one, the block grows by the chunk plus the growth step.
int64_t NextCapacity(const Transfer& t, int64_t capacity, int64_t needed) {
  if (capacity == 0) {
    curl_off_t announced = -1;
    curl_easy_getinfo(t.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced >= needed && announced <= t.maxBytes) return announced;
    return std::max(needed, kFetchGrowthStep);
  }
  return needed + kFetchGrowthStep;
}

size_t WriteBody(char* bytes, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  if (t.state.load() == kAbortRequested) return 0;  // libcurl ends with a write error
  const auto n = static_cast<int64_t>(size * count);
  const int64_t received = t.received.load(std::memory_order_relaxed);
  if (n > t.maxBytes - received) return 0;  // over the limit: a write error ends it
  int64_t capacity = t.capacity.load(std::memory_order_relaxed);
  if (received + n > capacity) {
    capacity = NextCapacity(t, capacity, received + n);
    uint8_t* grown = MemoryResize(t.data, capacity, kMemoryNoClear);
    if (!grown) return 0;
    t.data = grown;
    t.capacity.store(capacity);
  }
  std::memcpy(t.data + received, bytes, static_cast<size_t>(n));
  t.received.store(received + n);
  return static_cast<size_t>(n);
}

// Called by libcurl at least once a second, also while nothing arrives: lets an abort
// end a stalled transfer.
int CheckAbort(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->state.load() == kAbortRequested ? 1 : 0;
}

size_t AppendHeader(char* bytes, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(bytes, size * count);
  return size * count;
}

int CheckAbortFlag(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<int64_t>*>(user)->load() != 0 ? 1 : 0;
}

// Options every request gets: the address, the agent, redirects, and the limits that keep
// a bad server from hanging the caller.
void SetCommonOptions(CURL* curl, const std::string& url, const std::string& userAgent,
                      int flags) {
  if (!(flags & kFetchNoRedirects)) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(kFetchMaxRedirects));
  }
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stallSeconds.load()));
  curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS, kCurlTlsOptions);
  std::lock_guard lock(caFileMutex);
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());  // libcurl copies it
}

// A kept connection can turn out unusable only once it is used again: the server closed
// it meanwhile, or left bytes on it beyond the length it announced. A request that failed
// that way before any of its answer counted goes once more over a fresh connection, so
// that reuse fails nothing that a new connection would have carried.
bool WorthAFreshConnection(CURL* curl, CURLcode code) {
  switch (code) {
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:  // leftover bytes read as the answer's status line
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_PARTIAL_FILE:
      break;
    default:
      return false;
  }
  long connects = -1;
  return curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects) == CURLE_OK && connects == 0;
}

// Performs the request; `mayRetry` says whether nothing of the answer counted yet (and
// clears what the caller gathered) before the one retry over a fresh connection.
template <class MayRetry>
CURLcode PerformWithFreshRetry(CURL* curl, MayRetry mayRetry) {
  CURLcode code = curl_easy_perform(curl);
  if (!WorthAFreshConnection(curl, code) || !mayRetry()) return code;
  curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
  return curl_easy_perform(curl);
}

// Writes the end state, as the last access of the transfer thread. A compare-and-swap
// from running: an abort requested in the meantime turns the end into kTransferAborted.
void WriteEndState(Transfer& t, uint8_t* result) {
  t.data = result;
  int32_t expected = kRunning;
  const auto end = static_cast<int32_t>(result ? kTransferCompleted : kTransferFailed);
  if (t.state.compare_exchange_strong(expected, end)) return;
  MemoryFree(t.data);
  t.data = nullptr;
  t.state.store(static_cast<int32_t>(kTransferAborted));
}

void Conclude(Transfer& t, uint8_t* result) {
  {
    std::lock_guard lock(t.endLock);
    WriteEndState(t, result);
  }
  t.ended.notify_all();
}

bool HasEnded(int32_t state) {
  return state == kTransferCompleted || state == kTransferFailed || state == kTransferAborted;
}

void Perform(Transfer& t) {
  CurlHandle handle = CurlHandleTake();
  CURL* curl = handle.get();
  if (!curl) return Conclude(t, nullptr);
  t.curl = curl;  // the body's block is made when its first bytes come
  SetCommonOptions(curl, t.url, t.userAgent, t.flags);
  // Refuses an announced length over the limit before any of the body comes (0 would
  // mean no limit to libcurl; the write callback holds the line in every case).
  if (t.maxBytes > 0) curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t.maxBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBodyReceiveBuffer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckAbort);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  const CURLcode code = PerformWithFreshRetry(
      curl, [&t] { return t.received.load() == 0 && t.state.load() == kRunning; });
  t.curl = nullptr;
  handle.reset();  // back to the pool before the end state lets the caller go on

  uint8_t* data = std::exchange(t.data, nullptr);
  const int64_t received = t.received.load();
  uint8_t* result = nullptr;
  if (code == CURLE_OK && received > 0 && t.state.load() != kAbortRequested)
    result = MemoryResize(data, received, kMemoryNoClear);
  if (!result) MemoryFree(data);
  Conclude(t, result);
}

int64_t StartAsync(TextView url, int flags, TextView userAgent, int64_t maxBytes) {
  auto transfer = std::make_shared<Transfer>(url, flags, userAgent, maxBytes);
  const auto handle = reinterpret_cast<intptr_t>(transfer.get());
  {
    std::lock_guard lock(registryMutex);
    registry.emplace(handle, transfer);
  }
  if (!StartDetachedThread([transfer] { Perform(*transfer); })) {
    Unregister(handle);
    return 0;
  }
  return handle;
}

constexpr std::array<int8_t, 256> kHexValues = [] {
  std::array<int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (int c = 0; c < 10; ++c) values['0' + c] = static_cast<int8_t>(c);
  for (int c = 0; c < 6; ++c) {
    values['A' + c] = static_cast<int8_t>(10 + c);
    values['a' + c] = static_cast<int8_t>(10 + c);
  }
  return values;
}();

// The value of the hex digit at `index`, or -1 (also past the end and above 255).
int HexDigitAt(TextView text, size_t index) {
  if (index >= text.size() || text[index] > 0xFF) return -1;
  return kHexValues[text[index]];
}

// An address libcurl would read as another one (cut at a NUL) is refused.
bool Usable(TextView url) { return !url.empty() && url.find(u'\0') == TextView::npos; }

}  // namespace

int64_t FetchToMemory(TextView url, int flags, TextView userAgent, int64_t maxBytes) {
  if (!Usable(url)) return 0;
  if (flags & kFetchAsync) return StartAsync(url, flags, userAgent, maxBytes);
  return reinterpret_cast<intptr_t>(FetchToMemoryBlock(url, flags, userAgent, maxBytes));
}

uint8_t* FetchToMemoryBlock(TextView url, int flags, TextView userAgent, int64_t maxBytes) {
  if (!Usable(url)) return nullptr;
  Transfer transfer(url, flags & ~kFetchAsync, userAgent, maxBytes);
  Perform(transfer);
  return std::exchange(transfer.data, nullptr);
}

int64_t TransferProgress(int64_t handle) {
  auto t = Lookup(handle);
  if (!t) return kTransferFailed;
  const int32_t state = t->state.load();
  if (state == kRunning) return t->received.load();
  if (state == kAbortRequested) return 0;
  return state;
}

int64_t TransferWait(int64_t handle, int64_t milliseconds) {
  auto t = Lookup(handle);
  if (!t) return kTransferFailed;
  {
    std::unique_lock lock(t->endLock);
    t->ended.wait_for(lock, std::chrono::milliseconds(std::clamp<int64_t>(milliseconds, 0, 60000)),
                      [&t] { return HasEnded(t->state.load()); });
  }
  return TransferProgress(handle);
}

void RequestTransferAbort(int64_t handle) {
  if (auto t = Lookup(handle)) {
    int32_t expected = kRunning;
    t->state.compare_exchange_strong(expected, kAbortRequested);
  }
}

uint8_t* FinishTransfer(int64_t handle) {
  auto t = Unregister(handle);
  if (!t) return nullptr;
  const int32_t state = t->state.load();
  if (state == kRunning || state == kAbortRequested) {
    // Nobody will poll it any more: stop it; its thread frees the record.
    int32_t expected = kRunning;
    t->state.compare_exchange_strong(expected, kAbortRequested);
    return nullptr;
  }
  return state == kTransferCompleted ? std::exchange(t->data, nullptr) : nullptr;
}

int64_t TransferCapacity(int64_t handle) {
  auto t = Lookup(handle);
  return t ? t->capacity.load() : 0;
}

Text FetchHeaders(TextView url, int flags, TextView userAgent,
                  const std::atomic<int64_t>* abortWhenSet) {
  if (!Usable(url)) return {};
  CurlHandle handle = CurlHandleTake();
  CURL* curl = handle.get();
  if (!curl) return {};
  const std::string url8 = TextToUtf8(url);
  const std::string agent8 = TextToUtf8(userAgent);
  std::string headers;
  SetCommonOptions(curl, url8, agent8, flags);
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &AppendHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &headers);
  if (abortWhenSet) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckAbortFlag);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, abortWhenSet);
  }
  const CURLcode code = PerformWithFreshRetry(curl, [&headers, abortWhenSet] {
    headers.clear();
    return !(abortWhenSet && abortWhenSet->load() != 0);
  });
  return code == CURLE_OK ? TextFromUtf8(headers) : Text{};
}

Text UrlDecode(TextView text, int mode) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'%') {
      const int high = HexDigitAt(text, i + 1);
      const int low = high < 0 ? -1 : HexDigitAt(text, i + 2);
      if (low < 0) break;
      bytes.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      bytes.push_back(c == u'+' ? ' ' : static_cast<char>(c & 0xFF));
    }
  }
  return mode == 2 ? TextFromUtf8(bytes) : TextFromLatin1(bytes);
}

void FetchSetStallSeconds(int64_t seconds) {
  stallSeconds.store(seconds > 0 ? seconds : kFetchStallSeconds);
}

void FetchSetCaFile(TextView path) {
  std::lock_guard lock(caFileMutex);
  caFile = TextToUtf8(path);
}
