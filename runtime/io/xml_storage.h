#pragma once
// Storage behind XML documents (internal to the XML service). Each document owns an arena:
// strings of up to 1024 bytes are cut from a chain of blocks (the first sized to the input,
// later ones 512 KiB), larger strings get blocks of their own; all of it goes at once with
// the document. Node records come from one pool shared by all documents, under a lock;
// the pool returns its memory when the last node comes back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "text.h"

// A string held by a document's storage; not terminated.
struct XmlString {
  const char16_t* data = nullptr;
  size_t length = 0;

  TextView View() const { return {data, length}; }
};

struct XmlNode {
  XmlNode* parent = nullptr;
  XmlNode* firstChild = nullptr;
  XmlNode* previous = nullptr;
  XmlNode* next = nullptr;
  XmlString name;
  XmlString text;
  XmlString* attributes = nullptr;  // name, value, name, value, ...
  int64_t documentId = 0;
  int64_t textOffset = 0;
  int64_t attributeCount = 0;  // pairs
  int32_t kind = 0;
  int32_t idAttribute = -1;
  Text* growingText = nullptr;  // while the node is open and has text
};

class XmlArena {
 public:
  static constexpr size_t kArenaLimit = 1024;
  static constexpr size_t kLaterBlockSize = 524288;

  explicit XmlArena(size_t firstBlockSize);
  XmlArena(const XmlArena&) = delete;
  XmlArena& operator=(const XmlArena&) = delete;

  // 8-byte aligned storage; throws std::bad_alloc when none is left.
  void* Allocate(size_t bytes);
  XmlString Store(TextView text);

  size_t ArenaBlockCount() const { return blocks_.size(); }
  size_t SeparateBlockCount() const { return separate_.size(); }

 private:
  bool AddBlock(size_t size);

  std::vector<std::unique_ptr<std::byte[]>> blocks_;    // arena blocks, newest last
  std::vector<std::unique_ptr<std::byte[]>> separate_;  // strings above the limit
  std::byte* cursor_ = nullptr;
  std::byte* end_ = nullptr;
};

class XmlNodePool {
 public:
  static XmlNodePool& Shared();

  // A fresh node; throws std::bad_alloc when none can be had.
  XmlNode* Take();
  // Takes back `count` nodes linked through `next` from `first` to `last`.
  void GiveChain(XmlNode* first, XmlNode* last, size_t count);
  size_t LiveCount();

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<XmlNode[]>> chunks_;
  XmlNode* free_ = nullptr;  // linked through `next`
  size_t capacity_ = 0;
  size_t live_ = 0;
};
