#include "memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

// Each block is preceded by a header holding its exact size; 16 bytes keep the
// caller's bytes aligned for any scalar type.
namespace {

constexpr size_t kHeaderSize = 16;
constexpr int64_t kLargestBlock =
    static_cast<int64_t>(std::numeric_limits<std::ptrdiff_t>::max() - kHeaderSize);

struct Header {
  int64_t size;
};

Header* HeaderOf(const uint8_t* block) {
  return reinterpret_cast<Header*>(const_cast<uint8_t*>(block) - kHeaderSize);
}

uint8_t* BlockOf(void* raw) { return static_cast<uint8_t*>(raw) + kHeaderSize; }

bool SizeIsValid(int64_t size) { return size >= 1 && size <= kLargestBlock; }

// Large blocks (a picture's or a catalogue's body, a picture's pixels) are first written
// page by page.
constexpr int64_t kHugePageAdviceFrom = int64_t{4} << 20;

}  // namespace

void MemoryAdviseLarge([[maybe_unused]] void* raw, [[maybe_unused]] size_t total) {
  if (total < static_cast<size_t>(kHugePageAdviceFrom)) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (begin + total) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

uint8_t* MemoryAllocate(int64_t size, int flags) {
  if (!SizeIsValid(size)) return nullptr;
  size_t total = kHeaderSize + static_cast<size_t>(size);
  void* raw = (flags & kMemoryNoClear) ? std::malloc(total) : std::calloc(1, total);
  if (!raw) return nullptr;
  MemoryAdviseLarge(raw, total);
  static_cast<Header*>(raw)->size = size;
  return BlockOf(raw);
}

uint8_t* MemoryResize(uint8_t* block, int64_t size, int flags) {
  if (!SizeIsValid(size)) return nullptr;
  if (!block) return MemoryAllocate(size, flags);
  int64_t oldSize = HeaderOf(block)->size;
  void* raw = std::realloc(HeaderOf(block), kHeaderSize + static_cast<size_t>(size));
  if (!raw) return nullptr;  // the old block is untouched
  if (size > oldSize) MemoryAdviseLarge(raw, kHeaderSize + static_cast<size_t>(size));
  static_cast<Header*>(raw)->size = size;
  uint8_t* grown = BlockOf(raw);
  if (size > oldSize && !(flags & kMemoryNoClear))
    std::memset(grown + oldSize, 0, static_cast<size_t>(size - oldSize));
  return grown;
}

int64_t MemorySize(const uint8_t* block) { return block ? HeaderOf(block)->size : 0; }

void MemoryFree(uint8_t* block) {
  if (block) std::free(HeaderOf(block));
}
