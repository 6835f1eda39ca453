#include "curl_handles.h"

#include <mutex>
#include <vector>

namespace {

// Enough for the transfers that run at once (a download and a size total, each with
// its header requests); more would only hold idle connections open.
constexpr size_t kMostIdle = 4;

std::mutex poolLock;
std::vector<CURL*>& Idle() {
  static auto* idle = new std::vector<CURL*>();  // transfer threads may outlive statics
  return *idle;
}

}  // namespace

void CurlHandleReturn::operator()(CURL* curl) const {
  if (!curl) return;
  {
    std::lock_guard lock(poolLock);
    if (Idle().size() < kMostIdle) {
      Idle().push_back(curl);
      return;
    }
  }
  curl_easy_cleanup(curl);
}

CurlHandle CurlHandleTake() {
  CURL* curl = nullptr;
  {
    std::lock_guard lock(poolLock);
    if (!Idle().empty()) {
      curl = Idle().back();
      Idle().pop_back();
    }
  }
  if (curl) {
    curl_easy_reset(curl);
    return CurlHandle(curl);
  }
  return CurlHandle(curl_easy_init());
}
