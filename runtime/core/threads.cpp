#include "threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>

#include "detached_thread.h"
#include "thread_exit.h"

// Threads are detached ones with the system's default stack size; each
// shares a small state record with the registry so that the registry can tell when
// it has ended without owning or joining it.
namespace {

constexpr int64_t kLongestWaitMs = 24LL * 3600 * 1000;

struct ThreadState {
  std::atomic<bool> ended{false};
};

struct ThreadRecord {
  std::shared_ptr<ThreadState> state;
  int64_t number;
};

struct Registry {
  std::mutex mutex;
  std::list<ThreadRecord> records;  // newest first
  int64_t lastNumber = 0;           // numbers are never reused, not even after End
  int64_t running = 0;              // threads whose routine has not ended yet
  std::condition_variable allEnded;
};

// Never destroyed: detached threads may still be running when static objects go.
Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

void MarkEnded(void* data) {
  const std::unique_ptr<std::shared_ptr<ThreadState>> state(static_cast<std::shared_ptr<ThreadState>*>(data));
  (*state)->ended.store(true, std::memory_order_release);
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (--registry.running == 0) registry.allEnded.notify_all();
}

// The end is marked by exit work registered before the routine runs, so that it runs after
// the work registered later, per-thread areas' clean-up included: only then has the thread
// let go of every service.
void RunThread(ThreadRoutine routine, int64_t argument, std::shared_ptr<ThreadState> state) {
  auto* held = new std::shared_ptr<ThreadState>(std::move(state));
  const bool atExit = AtThreadExit(MarkEnded, held);
  routine(argument);
  if (!atExit) MarkEnded(held);  // the best that can be done then
}

}  // namespace

void ThreadServiceInit() { TheRegistry(); }

void ThreadServiceEnd() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.records.clear();
}

int64_t ThreadStart(ThreadRoutine routine, int64_t argument) {
  if (!routine) return 0;
  auto state = std::make_shared<ThreadState>();
  Registry& registry = TheRegistry();
  {
    std::lock_guard lock(registry.mutex);
    ++registry.running;
  }
  if (!StartDetachedThread([routine, argument, state] { RunThread(routine, argument, state); })) {
    std::lock_guard lock(registry.mutex);
    if (--registry.running == 0) registry.allEnded.notify_all();
    return 0;
  }
  std::lock_guard lock(registry.mutex);
  registry.records.remove_if(
      [](const ThreadRecord& r) { return r.state->ended.load(std::memory_order_acquire); });
  int64_t number = ++registry.lastNumber;
  registry.records.push_front({std::move(state), number});
  return number;
}

int ThreadIsRunning(int64_t number) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const auto& record : registry.records)
    if (record.number == number) return record.state->ended.load(std::memory_order_acquire) ? 0 : 1;
  return 0;
}

int ThreadWaitAll(int64_t timeoutMs) {
  Registry& registry = TheRegistry();
  // Clamped so that "now + bound" cannot overflow the clock.
  const auto bound = std::chrono::milliseconds(std::clamp<int64_t>(timeoutMs, 0, kLongestWaitMs));
  std::unique_lock lock(registry.mutex);
  return registry.allEnded.wait_for(lock, bound, [&registry] { return registry.running == 0; }) ? 1 : 0;
}
