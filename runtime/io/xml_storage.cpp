#include "xml_storage.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kAlignment = 8;
constexpr size_t kFirstChunkNodes = 1024;

size_t AlignUp(size_t bytes) { return (bytes + kAlignment - 1) & ~(kAlignment - 1); }

}  // namespace

XmlArena::XmlArena(size_t firstBlockSize) { AddBlock(firstBlockSize); }

// A block that cannot be had is no failure: requests then go to separate blocks.
bool XmlArena::AddBlock(size_t size) {
  std::unique_ptr<std::byte[]> block(new (std::nothrow) std::byte[size]);
  if (!block) return false;
  cursor_ = block.get();
  end_ = cursor_ + size;
  blocks_.push_back(std::move(block));
  return true;
}

void* XmlArena::Allocate(size_t bytes) {
  const size_t size = AlignUp(bytes == 0 ? 1 : bytes);
  if (bytes <= kArenaLimit) {
    const auto fits = [&] { return cursor_ && static_cast<size_t>(end_ - cursor_) > size; };
    if (fits() || (AddBlock(kLaterBlockSize) && fits())) {
      void* cut = cursor_;
      cursor_ += size;
      return cut;
    }
  }
  separate_.emplace_back(new std::byte[size]);
  return separate_.back().get();
}

XmlString XmlArena::Store(TextView text) {
  if (text.empty()) return {};
  auto* copy = static_cast<char16_t*>(Allocate(text.size() * sizeof(char16_t)));
  std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
  return {copy, text.size()};
}

XmlNodePool& XmlNodePool::Shared() {
  static XmlNodePool* pool = new XmlNodePool();  // documents may outlive static objects
  return *pool;
}

XmlNode* XmlNodePool::Take() {
  std::lock_guard lock(mutex_);
  if (!free_) {
    // Chunks double with the pool, so a large tree needs few of them.
    const size_t count = capacity_ < kFirstChunkNodes ? kFirstChunkNodes : capacity_;
    chunks_.emplace_back(new XmlNode[count]);
    XmlNode* chunk = chunks_.back().get();
    for (size_t i = 0; i + 1 < count; ++i) chunk[i].next = &chunk[i + 1];
    free_ = chunk;
    capacity_ += count;
  }
  XmlNode* node = free_;
  free_ = node->next;
  *node = XmlNode{};
  ++live_;
  return node;
}

void XmlNodePool::GiveChain(XmlNode* first, XmlNode* last, size_t count) {
  if (!first) return;
  std::lock_guard lock(mutex_);
  live_ -= count;
  if (live_ == 0) {
    chunks_.clear();
    free_ = nullptr;
    capacity_ = 0;
    return;
  }
  last->next = free_;
  free_ = first;
}

size_t XmlNodePool::LiveCount() {
  std::lock_guard lock(mutex_);
  return live_;
}
