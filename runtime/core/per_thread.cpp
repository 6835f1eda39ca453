#include "per_thread.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "thread_exit.h"

namespace {

struct AreaEntry {
  int64_t offset;
  size_t size;
  PerThreadRoutine initialise;
  PerThreadRoutine cleanUp;
};

struct Registry {
  std::mutex mutex;
  std::vector<AreaEntry> entries;  // in registration order
  size_t totalSize = 0;
};

// Never destroyed: on Windows the main thread's block is cleaned up as the process ends,
// after the static objects are gone.
Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

std::vector<AreaEntry> EntriesFrom(size_t offset) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::vector<AreaEntry> entries;
  for (const auto& e : registry.entries)
    if (static_cast<size_t>(e.offset) >= offset) entries.push_back(e);
  return entries;
}

size_t TotalSize() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.totalSize;
}

// One per thread: owns the thread's block and runs the clean-ups when the thread ends.
class ThreadBlock {
 public:
  ~ThreadBlock() {
    auto entries = EntriesFrom(0);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)  // newest first
      if (it->cleanUp && static_cast<size_t>(it->offset) < size_) it->cleanUp(data_ + it->offset);
    std::free(data_);
  }

  // Grows the block to the registered total, initialising the areas that are new to it.
  void Extend() {
    size_t oldSize = size_;
    const size_t newSize = TotalSize();
    if (newSize <= oldSize) return;
    auto* grown = static_cast<unsigned char*>(std::realloc(data_, newSize));
    if (!grown) throw std::bad_alloc();
    std::memset(grown + oldSize, 0, newSize - oldSize);
    data_ = grown;
    size_ = newSize;
    auto entries = EntriesFrom(oldSize);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)  // newest first
      if (it->initialise) it->initialise(data_ + it->offset);
  }

  void* At(int64_t offset) {
    if (static_cast<size_t>(offset) >= size_) Extend();
    return data_ + offset;
  }

 private:
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

// The block belongs to the thread's exit work, which deletes it (see thread_exit.h).
thread_local ThreadBlock* threadBlock = nullptr;

ThreadBlock& Block() {
  if (!threadBlock) {
    auto block = std::make_unique<ThreadBlock>();
    if (!AtThreadExit([](void* data) { delete static_cast<ThreadBlock*>(data); }, block.get()))
      throw std::bad_alloc();
    threadBlock = block.release();
  }
  return *threadBlock;
}

}  // namespace

int64_t PerThreadRegister(size_t size, PerThreadRoutine initialise, PerThreadRoutine cleanUp) {
  size_t rounded = (size + 7) / 8 * 8;
  if (rounded == 0) rounded = 8;
  int64_t offset;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    offset = static_cast<int64_t>(registry.totalSize);
    registry.totalSize += rounded;
    if (initialise || cleanUp) registry.entries.push_back({offset, rounded, initialise, cleanUp});
  }
  PerThreadGet(offset);  // runs the initialiser on the calling thread's new area
  return offset;
}

void* PerThreadGet(int64_t offset) { return Block().At(offset); }
