#include "events.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "event_bindings.h"
#include "event_platform.h"
#include "per_thread.h"

namespace {

constexpr uint32_t kAlwaysDeliver = 1;
constexpr size_t kSmallestPoolBlock = 16;
constexpr size_t kLargestPoolBlock = 256;

struct EventRecord {
  EventRecord* next;
  int32_t event;
  uint32_t flags;
  int64_t object;
  int64_t window;
  int64_t type;
  uint64_t data;
};

// Recycles one thread's records; grows in blocks so that queuing and taking events do
// not reach the general allocator in the steady state. Used by its own thread only.
class RecordPool {
 public:
  EventRecord* Take() {
    if (!free_) Grow();
    EventRecord* record = free_;
    free_ = record->next;
    return record;
  }
  void Give(EventRecord* record) {
    record->next = free_;
    free_ = record;
  }

 private:
  void Grow() {
    size_t size = std::clamp(made_, kSmallestPoolBlock, kLargestPoolBlock);
    blocks_.push_back(std::make_unique<EventRecord[]>(size));
    for (size_t i = 0; i < size; ++i) Give(&blocks_.back()[i]);
    made_ += size;
  }

  std::vector<std::unique_ptr<EventRecord[]>> blocks_;
  EventRecord* free_ = nullptr;
  size_t made_ = 0;
};

// The five values of an event, as carried between threads and as the current event.
using CurrentEvent = PostedEvent;

struct ThreadEvents {
  RecordPool pool;
  EventRecord* head = nullptr;
  EventRecord* tail = nullptr;
  int32_t suppression = 0;
  CurrentEvent current;
};

// Made on first use so that the service works before its initialisation and its
// per-thread area is registered only once however often the service is restarted.
ThreadEvents& Mine() {
  static PerThread<ThreadEvents>* area = new PerThread<ThreadEvents>();
  return area->Get();
}

// Process-wide and recursive: callbacks run under it and may raise, post, bind and wait.
std::recursive_mutex& EventLock() {
  static auto* lock = new std::recursive_mutex();
  return *lock;
}

bool Matches(const EventRecord& r, int32_t event, int64_t window, int64_t object, int64_t type) {
  return (event == -1 || r.event == event) && (window == -1 || r.window == window) &&
         (object == -1 || r.object == object) && (type == -1 || r.type == type);
}

bool SameAsTail(const ThreadEvents& mine, int32_t event, int64_t window, int64_t object, int64_t type) {
  const EventRecord* tail = mine.tail;
  return tail && tail->event == event && tail->window == window && tail->object == object &&
         tail->type == type;
}

void Enqueue(ThreadEvents& mine, const CurrentEvent& e, uint32_t flags) {
  EventRecord* record = mine.pool.Take();
  *record = EventRecord{nullptr, e.event, flags, e.object, e.window, e.type, e.data};
  if (mine.tail)
    mine.tail->next = record;
  else
    mine.head = record;
  mine.tail = record;
}

// Removes every queued record of the calling thread for which `drop` is true.
template <class Predicate>
void DropWhere(Predicate drop) {
  std::lock_guard lock(EventLock());
  ThreadEvents& mine = Mine();
  EventRecord* kept = nullptr;
  for (EventRecord** link = &mine.head; *link;) {
    EventRecord* record = *link;
    if (drop(*record)) {
      *link = record->next;
      mine.pool.Give(record);
    } else {
      kept = record;
      link = &record->next;
    }
  }
  mine.tail = kept;
}

// The five lookups, in this order; (event, -1, object, -1) is deliberately not one of them.
void RunCallbacks(const CurrentEvent& e) {
  BindingRun(e.event, e.window, e.object, e.type);
  BindingRun(e.event, e.window, e.object, -1);
  BindingRun(e.event, e.window, -1, -1);
  BindingRun(e.event, -1, -1, -1);
  BindingRun(e.event, -1, e.object, e.type);
}

}  // namespace

void EventServiceInit() {
  EventLock();
  Mine();
}

void EventServiceEnd() {
  std::lock_guard lock(EventLock());
  BindingRemoveAll();
  DropWhere([](const EventRecord&) { return true; });
  EventSetPlatform(nullptr);
  EventDiscardBuiltInPosts();
}

int EventBind(int32_t event, EventCallback callback, int64_t window, int64_t object, int64_t type) {
  if (!callback) return 0;
  std::lock_guard lock(EventLock());
  return BindingAdd(event, window, object, type, callback) ? 1 : 0;
}

void EventRaise(int32_t event, int64_t window, int64_t object, int64_t type, uint64_t data,
                bool always) {
  std::lock_guard lock(EventLock());
  ThreadEvents& mine = Mine();
  if (mine.suppression != 0 && !always) return;
  CurrentEvent raised{event, window, object, type, data};
  // A flood of identical toolkit notifications keeps one queued record (with its own data).
  bool coalesce = event < kFirstCustomEvent && SameAsTail(mine, event, window, object, type);
  if (!coalesce) Enqueue(mine, raised, always ? kAlwaysDeliver : 0);
  CurrentEvent saved = mine.current;
  mine.current = raised;
  RunCallbacks(raised);
  mine.current = saved;
}

void EventDeliverPosted(const PostedEvent& e) {
  EventRaise(e.event, e.window, e.object, e.type, e.data, true);
}

int EventPost(int32_t event, int64_t window, int64_t object, int64_t type, uint64_t data) {
  return EventCurrentPlatform().Post(PostedEvent{event, window, object, type, data}) ? 1 : 0;
}

int32_t EventWait(uint32_t timeoutMs) {
  {
    std::lock_guard lock(EventLock());
    ThreadEvents& mine = Mine();
    mine.current.event = 0;
    mine.current.type = -1;
    if (EventRecord* record = mine.head) {
      mine.head = record->next;
      if (!mine.head) mine.tail = nullptr;
      mine.current = CurrentEvent{record->event, record->window, record->object, record->type,
                                  record->data};
      mine.pool.Give(record);
      return mine.current.event;
    }
  }
  // Not under the event lock: other threads may raise while this one waits.
  return EventCurrentPlatform().PumpMessages(timeoutMs);
}

int32_t EventCurrent() { return Mine().current.event; }
int64_t EventCurrentWindow() { return Mine().current.window; }
int64_t EventCurrentObject() { return Mine().current.object; }
int64_t EventCurrentType() { return Mine().current.type; }
uint64_t EventCurrentData() { return Mine().current.data; }

void EventSuppress() { ++Mine().suppression; }
// An unbalanced resume must not leave the counter negative, which would drop events forever.
void EventResume() {
  int32_t& suppression = Mine().suppression;
  if (suppression > 0) --suppression;
}

void EventDropQueued(int32_t event, int64_t window, int64_t object, int64_t type) {
  DropWhere([&](const EventRecord& r) { return Matches(r, event, window, object, type); });
}

void EventDropWindow(int64_t window) {
  DropWhere([window](const EventRecord& r) { return r.window == window; });
}

void EventUnbindWindow(int64_t window) {
  std::lock_guard lock(EventLock());
  BindingRemoveWindow(window);
}
