#pragma once
// Memory blocks: byte blocks whose size query is exact. The holder of a block owns it
// and releases it with MemoryFree. Safe on any thread.
#include <cstdint>

constexpr int kMemoryNoClear = 1;  // flag: new bytes are not zero-filled

// A new block of `size` bytes, or null when size < 1 or no memory is left.
uint8_t* MemoryAllocate(int64_t size, int flags = 0);
// The block grown or shrunk to `size`; a null block is allocated. size < 1 gives null
// and leaves the block as it was; so does a failed resize.
uint8_t* MemoryResize(uint8_t* block, int64_t size, int flags = 0);
int64_t MemorySize(const uint8_t* block);  // 0 for null
void MemoryFree(uint8_t* block);
