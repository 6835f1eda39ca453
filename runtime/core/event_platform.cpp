#include "event_platform.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "events.h"

namespace {

// Carries posted records to the UI thread through a locked queue; PumpMessages is
// the UI thread's wait on it.
class BuiltInPlatform final : public EventPlatform {
 public:
  bool Post(const PostedEvent& event) override {
    {
      std::lock_guard lock(mutex_);
      if (pending_.size() >= kMaxPending) return false;  // a UI thread that stopped listening
      pending_.push_back(event);
    }
    arrived_.notify_one();
    return true;
  }

  int32_t PumpMessages(uint32_t timeoutMs) override {
    size_t count = WaitForPending(timeoutMs);
    if (count == 0) return 0;
    // Only what was there when the wait ended: steady posting cannot keep the loop here.
    // Records are taken one by one so that a nested wait inside a callback keeps the order.
    for (size_t i = 0; i < count; ++i) {
      PostedEvent event;
      {
        std::lock_guard lock(mutex_);
        if (pending_.empty()) break;
        event = pending_.front();
        pending_.pop_front();
      }
      EventDeliverPosted(event);
    }
    return kPlatformMessage;
  }

  void Discard() {
    std::lock_guard lock(mutex_);
    pending_.clear();
  }

 private:
  static constexpr size_t kMaxPending = size_t{1} << 22;

  size_t WaitForPending(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    auto hasPending = [this] { return !pending_.empty(); };
    if (timeoutMs == kWaitForever)
      arrived_.wait(lock, hasPending);
    else if (timeoutMs > 0)
      arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasPending);
    return pending_.size();
  }

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<PostedEvent> pending_;
};

// Never destroyed: worker threads may post while static objects are torn down.
BuiltInPlatform& BuiltIn() {
  static auto* platform = new BuiltInPlatform();
  return *platform;
}

std::atomic<EventPlatform*> installed{nullptr};

}  // namespace

void EventSetPlatform(EventPlatform* platform) { installed.store(platform, std::memory_order_release); }

EventPlatform& EventCurrentPlatform() {
  EventPlatform* platform = installed.load(std::memory_order_acquire);
  return platform ? *platform : BuiltIn();
}

void EventDiscardBuiltInPosts() { BuiltIn().Discard(); }
