#include "threads.h"

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

// Threads are detached std::threads with the library's default stack size; each
// shares a small state record with the registry so that the registry can tell when
// it has ended without owning or joining it.
namespace {

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
};

// Never destroyed: detached threads may still be running when static objects go.
Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

void RunThread(ThreadRoutine routine, int64_t argument, std::shared_ptr<ThreadState> state) {
  routine(argument);
  state->ended.store(true, std::memory_order_release);
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
  try {
    std::thread(RunThread, routine, argument, state).detach();
  } catch (const std::system_error&) {
    return 0;
  }
  Registry& registry = TheRegistry();
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

void SleepMs(int64_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
