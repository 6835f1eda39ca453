#include "threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

// Threads are detached std::threads with the library's default stack size; each
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

// Made before the routine runs, so that it is destroyed after the thread's other
// thread_local objects, per-thread areas included: only then has the thread let go of
// every service.
class EndMarker {
 public:
  void Arm(std::shared_ptr<ThreadState> state) { state_ = std::move(state); }
  ~EndMarker() {
    if (!state_) return;
    state_->ended.store(true, std::memory_order_release);
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (--registry.running == 0) registry.allEnded.notify_all();
  }

 private:
  std::shared_ptr<ThreadState> state_;
};

void RunThread(ThreadRoutine routine, int64_t argument, std::shared_ptr<ThreadState> state) {
  thread_local EndMarker marker;
  marker.Arm(std::move(state));
  routine(argument);
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
  try {
    std::thread(RunThread, routine, argument, state).detach();
  } catch (const std::system_error&) {
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

void SleepMs(int64_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
