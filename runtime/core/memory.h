#pragma once
// Memory blocks: byte blocks whose size query is exact. The holder of a block owns it
// and releases it with MemoryFree. Safe on any thread.
#include <cstddef>
#include <cstdint>
#include <new>

constexpr int kMemoryNoClear = 1;  // flag: new bytes are not zero-filled

// A new block of `size` bytes, or null when size < 1 or no memory is left.
uint8_t* MemoryAllocate(int64_t size, int flags = 0);
// The block grown or shrunk to `size`; a null block is allocated. size < 1 gives null
// and leaves the block as it was; so does a failed resize.
uint8_t* MemoryResize(uint8_t* block, int64_t size, int flags = 0);
int64_t MemorySize(const uint8_t* block);  // 0 for null
void MemoryFree(uint8_t* block);

// Advises the kernel that a large region is written soon as a whole (huge pages where the
// system offers them: one fault per 2 MiB instead of per 4 KiB). Small regions are left
// alone.
void MemoryAdviseLarge(void* region, size_t bytes);

// A standard allocator for containers that may hold large buffers (a picture's pixels):
// regions from 4 MiB on get MemoryAdviseLarge.
template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() noexcept = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    void* region = ::operator new(n * sizeof(T));
    MemoryAdviseLarge(region, n * sizeof(T));
    return static_cast<T*>(region);
  }
  void deallocate(T* p, size_t) noexcept { ::operator delete(p); }

  template <class U>
  bool operator==(const LargeBlockAllocator<U>&) const noexcept { return true; }
};
