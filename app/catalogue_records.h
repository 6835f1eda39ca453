#pragma once
// CatalogueRecords: names and addresses of catalogue entries, packed as the bytes of their
// texts in a UTF-8 form that also keeps lone surrogates (each as its own three bytes), so
// that every text reads back exactly; an entry then costs less than half of what its two
// texts did. The bytes fill chunks of a fixed size that never move, so a growing
// collection copies nothing and leaves no outgrown blocks behind. Indexes are 0-based.
//
// Thread safety: none; CatalogueItems guards the collection's records with its lock.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "text.h"

struct CatalogueItem {
  Text name;     // shown in column 1; the saved file's name
  Text address;  // where the item's data is fetched
};

class CatalogueRecords {
 public:
  void Clear();
  void Add(TextView name, TextView address);
  // Appends all of `other`'s records, which it then no longer holds.
  void Append(CatalogueRecords&& other);
  int64_t Count() const { return static_cast<int64_t>(records_.size()); }
  // The record at `index` (0 <= index < Count()).
  CatalogueItem Get(int64_t index) const;

 private:
  struct Record {
    uint32_t chunk;
    uint32_t start;
    uint32_t nameBytes;
    uint32_t addressBytes;
  };

  void Encode(TextView text);
  static Text Decode(const char* bytes, size_t length);

  std::vector<std::vector<char>> chunks_;  // each filled up to its capacity at most
  std::deque<Record> records_;
  std::string encoded_;  // the record being added
};
