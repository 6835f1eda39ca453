#pragma once
// What other threads hand to the UI thread, in order: posted events, calls whose callers
// wait until they have run, and work whose senders do not wait. Shared by the platforms,
// which only carry a wake-up: everything passes through this lock, so that the hand-over
// is visible to race checkers as well, and nothing is lost when a modal loop (a message
// box, a menu) takes the wake-up.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "event_platform.h"

class UiInbox {
 public:
  // Asks the platform to wake the UI thread; true when a wake-up is on its way. Called
  // under the inbox's lock, for the first item after a delivery.
  using Wake = std::function<bool()>;
  // Readies the platform's next wake-up; called under the lock when the inbox opens and
  // at each delivery, on the UI thread.
  using Rearm = std::function<void()>;

  // On the UI thread.
  void Open(Wake wake, Rearm rearm = {});
  // Stops taking items; callers still waiting are released without their work done.
  void Close();
  bool Post(const PostedEvent& event);
  // Runs `work` on the UI thread and returns when it has run (or the inbox closed).
  void CallAndWait(const std::function<void()>& work);
  // Runs `work` on the UI thread after everything handed over before it, without waiting;
  // false (and `work` dropped) when the inbox is closed.
  bool Send(std::function<void()> work);
  // On the UI thread, when woken. Items are taken one at a time, so that a wait nested in
  // a handler goes on with the following items in order.
  void Deliver();
  bool Running();
  // Posted events raised so far.
  int64_t Delivered() const { return delivered_.load(std::memory_order_relaxed); }

 private:
  struct Call {
    const std::function<void()>* work;
    bool done = false;
  };
  struct Item {
    PostedEvent event;
    Call* call = nullptr;
    std::function<void()> sent;
  };

  bool Add(Item item);
  std::optional<Item> Next();

  std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<Item> items_;
  Wake wake_;
  Rearm rearm_;
  bool open_ = false;
  bool wakePosted_ = false;
  std::atomic<int64_t> delivered_{0};
};
