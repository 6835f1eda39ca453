#include "memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
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
  int64_t mappedBytes;  // 0: from the heap; else the length of the block's own mapping
};
static_assert(sizeof(Header) == kHeaderSize);

Header* HeaderOf(const uint8_t* block) {
  return reinterpret_cast<Header*>(const_cast<uint8_t*>(block) - kHeaderSize);
}

uint8_t* BlockOf(void* raw) { return static_cast<uint8_t*>(raw) + kHeaderSize; }

bool SizeIsValid(int64_t size) { return size >= 1 && size <= kLargestBlock; }

size_t TotalOf(int64_t size) { return kHeaderSize + static_cast<size_t>(size); }

// From this size on (a picture's or a catalogue's body) a block gets a mapping of its own
// where the system offers them.
constexpr size_t kLargeFrom = size_t{4} << 20;

#if defined(__linux__)
// A large block gets a mapping of its own: it takes its length rounded to pages (no
// allocator size class), comes zeroed from the kernel, and grows or moves without copying.
constexpr bool kOwnMappings = true;
constexpr size_t kPage = 4096;

size_t MappingLength(size_t total) { return (total + kPage - 1) & ~(kPage - 1); }

// The whole mapping is advised, not only its whole huge pages, so that it stays one
// region that can be remapped.
void* MapFresh(size_t length) {
  void* raw = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
#if defined(MADV_HUGEPAGE)
  madvise(raw, length, MADV_HUGEPAGE);
#endif
  return raw;
}

void* Remap(void* raw, size_t oldLength, size_t length) {
  void* moved = mremap(raw, oldLength, length, MREMAP_MAYMOVE);
  return moved == MAP_FAILED ? nullptr : moved;
}

void Unmap(void* raw, size_t length) { munmap(raw, length); }
#else
constexpr bool kOwnMappings = false;
size_t MappingLength(size_t total) { return total; }
void* MapFresh(size_t) { return nullptr; }
void* Remap(void*, size_t, size_t) { return nullptr; }
void Unmap(void*, size_t) {}
#endif

uint8_t* MakeBlock(void* raw, int64_t size, size_t mappedBytes) {
  auto* header = static_cast<Header*>(raw);
  header->size = size;
  header->mappedBytes = static_cast<int64_t>(mappedBytes);
  return BlockOf(raw);
}

uint8_t* AllocateMapped(int64_t size) {
  const size_t length = MappingLength(TotalOf(size));
  void* raw = MapFresh(length);
  return raw ? MakeBlock(raw, size, length) : nullptr;
}

// New bytes of a grown mapping are zero unless they lie in the old mapping's last page.
uint8_t* ResizeMapped(uint8_t* block, int64_t size, int flags) {
  Header* header = HeaderOf(block);
  const int64_t oldSize = header->size;
  const auto oldLength = static_cast<size_t>(header->mappedBytes);
  const size_t length = MappingLength(TotalOf(size));
  void* raw = length == oldLength ? header : Remap(header, oldLength, length);
  if (!raw) return nullptr;  // the old block is untouched
  uint8_t* resized = MakeBlock(raw, size, length);
  const auto oldEnd = static_cast<int64_t>(oldLength - kHeaderSize);
  if (size > oldSize && !(flags & kMemoryNoClear))
    std::memset(resized + oldSize, 0, static_cast<size_t>(std::min(size, oldEnd) - oldSize));
  return resized;
}

// A heap block that grows large moves into a mapping of its own.
uint8_t* MoveToMapping(uint8_t* block, int64_t size) {
  uint8_t* moved = AllocateMapped(size);
  if (!moved) return nullptr;
  std::memcpy(moved, block, static_cast<size_t>(std::min(size, HeaderOf(block)->size)));
  std::free(HeaderOf(block));
  return moved;
}

}  // namespace

uint8_t* MemoryAllocate(int64_t size, int flags) {
  if (!SizeIsValid(size)) return nullptr;
  if (kOwnMappings && TotalOf(size) >= kLargeFrom) return AllocateMapped(size);
  void* raw = (flags & kMemoryNoClear) ? std::malloc(TotalOf(size)) : std::calloc(1, TotalOf(size));
  return raw ? MakeBlock(raw, size, 0) : nullptr;
}

uint8_t* MemoryResize(uint8_t* block, int64_t size, int flags) {
  if (!SizeIsValid(size)) return nullptr;
  if (!block) return MemoryAllocate(size, flags);
  if (HeaderOf(block)->mappedBytes != 0) return ResizeMapped(block, size, flags);
  if (kOwnMappings && TotalOf(size) >= kLargeFrom) return MoveToMapping(block, size);
  const int64_t oldSize = HeaderOf(block)->size;
  void* raw = std::realloc(HeaderOf(block), TotalOf(size));
  if (!raw) return nullptr;  // the old block is untouched
  uint8_t* resized = MakeBlock(raw, size, 0);
  if (size > oldSize && !(flags & kMemoryNoClear))
    std::memset(resized + oldSize, 0, static_cast<size_t>(size - oldSize));
  return resized;
}

int64_t MemorySize(const uint8_t* block) { return block ? HeaderOf(block)->size : 0; }

void MemoryFree(uint8_t* block) {
  if (!block) return;
  Header* header = HeaderOf(block);
  if (header->mappedBytes != 0)
    Unmap(header, static_cast<size_t>(header->mappedBytes));
  else
    std::free(header);
}
