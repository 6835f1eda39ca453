#include "event_bindings.h"

#include <array>
#include <charconv>
#include <forward_list>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t kBucketCount = 1024;

struct Entry {
  std::string key;  // ASCII, so its bytes are the key text's UTF-16 units
  int64_t window;
  std::forward_list<EventCallback> callbacks;  // newest first
  bool removed = false;
};

using Chain = std::forward_list<Entry>;  // newest key first

std::array<Chain, kBucketCount> buckets;
Chain graveyard;  // entries removed while a dispatch may still be walking them
int dispatchDepth = 0;

// The key text of the four values; -1 is written as "-1".
class Key {
 public:
  Key(int32_t event, int64_t window, int64_t object, int64_t type) {
    char* at = std::to_chars(text_, std::end(text_), event).ptr;
    for (int64_t value : {window, object, type}) {
      *at++ = ':';
      at = std::to_chars(at, std::end(text_), value).ptr;
    }
    length_ = static_cast<size_t>(at - text_);
  }
  std::string_view View() const { return {text_, length_}; }
  Chain& Bucket() const {
    uint32_t h = 0;
    for (char unit : View()) h = h * 0x1003F + static_cast<unsigned char>(unit);
    return buckets[h % kBucketCount];
  }

 private:
  char text_[4 * 21 + 3];  // four signed 64-bit numbers and three colons
  size_t length_;
};

Entry* Find(const Key& key) {
  for (Entry& entry : key.Bucket())
    if (entry.key == key.View()) return &entry;
  return nullptr;
}

}  // namespace

bool BindingAdd(int32_t event, int64_t window, int64_t object, int64_t type, EventCallback callback) {
  Key key(event, window, object, type);
  Entry* entry = Find(key);
  if (!entry) {
    Chain& chain = key.Bucket();
    chain.push_front(Entry{std::string(key.View()), window, {}});
    entry = &chain.front();
  }
  for (EventCallback bound : entry->callbacks)
    if (bound == callback) return false;
  entry->callbacks.push_front(callback);
  entry->window = window;
  return true;
}

void BindingRun(int32_t event, int64_t window, int64_t object, int64_t type) {
  Entry* entry = Find(Key(event, window, object, type));
  if (!entry) return;
  ++dispatchDepth;
  // The next link is read before each call, so a callback may bind more callbacks.
  for (auto it = entry->callbacks.begin(); it != entry->callbacks.end() && !entry->removed;) {
    EventCallback callback = *it++;
    callback();
  }
  if (--dispatchDepth == 0) graveyard.clear();
}

void BindingRemoveWindow(int64_t window) {
  for (Chain& chain : buckets) {
    for (auto before = chain.before_begin(); std::next(before) != chain.end();) {
      Entry& entry = *std::next(before);
      if (entry.window != window) {
        ++before;
        continue;
      }
      entry.removed = true;
      if (dispatchDepth > 0)
        graveyard.splice_after(graveyard.before_begin(), chain, before);
      else
        chain.erase_after(before);
    }
  }
}

void BindingRemoveAll() {
  for (Chain& chain : buckets) {
    for (Entry& entry : chain) entry.removed = true;
    if (dispatchDepth > 0) graveyard.splice_after(graveyard.before_begin(), chain);
    chain.clear();
  }
}
