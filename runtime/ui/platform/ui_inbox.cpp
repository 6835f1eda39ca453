#include "platform/ui_inbox.h"

#include <utility>

void UiInbox::Open(Wake wake, Rearm rearm) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
  rearm_ = std::move(rearm);
  open_ = true;
  wakePosted_ = false;
  if (rearm_) rearm_();
}

void UiInbox::Close() {
  std::deque<Item> dropped;
  {
    std::lock_guard lock(mutex_);
    open_ = false;
    wake_ = nullptr;
    rearm_ = nullptr;
    dropped.swap(items_);
    for (Item& item : dropped)
      if (item.call) item.call->done = true;
  }
  finished_.notify_all();
}

bool UiInbox::Post(const PostedEvent& event) { return Add({event, nullptr, {}}); }

void UiInbox::CallAndWait(const std::function<void()>& work) {
  Call call{&work};
  if (!Add({{}, &call, {}})) return;
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&call] { return call.done; });
}

bool UiInbox::Send(std::function<void()> work) { return Add({{}, nullptr, std::move(work)}); }

void UiInbox::Deliver() {
  {
    std::lock_guard lock(mutex_);
    wakePosted_ = false;
    if (rearm_) rearm_();
  }
  while (auto item = Next()) {
    if (item->sent) {
      item->sent();
      continue;
    }
    if (!item->call) {
      delivered_.fetch_add(1, std::memory_order_relaxed);
      EventDeliverPosted(item->event);
      continue;
    }
    (*item->call->work)();
    {
      std::lock_guard lock(mutex_);
      item->call->done = true;
    }
    finished_.notify_all();
  }
}

bool UiInbox::Running() {
  std::lock_guard lock(mutex_);
  return open_;
}

bool UiInbox::Add(Item item) {
  std::lock_guard lock(mutex_);  // the platform's receiver is not destroyed under a post
  if (!open_) return false;
  items_.push_back(std::move(item));
  if (!wakePosted_ && wake_) wakePosted_ = wake_();
  return true;
}

std::optional<UiInbox::Item> UiInbox::Next() {
  std::lock_guard lock(mutex_);
  if (items_.empty()) return std::nullopt;
  Item item = std::move(items_.front());
  items_.pop_front();
  return item;
}
