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
  // A catalogue names an entry by a part common to its group (an album's title) and the
  // last part of its address: a name is kept as the part before the end it shares with
  // the address, that part stored once for a run of records with the same (by the run's
  // first record, its owner), and the number of units taken from the address's end.
  struct Record {
    uint32_t chunk;
    uint32_t start;          // the own name part's bytes (none unless the owner), then the address's
    uint32_t ownNameBytes;
    uint32_t addressBytes;
    uint32_t nameOwner;      // index of the record holding this name's first part
    uint32_t sharedUnits;    // the name's last units, which are the address's last
  };

  void Encode(TextView text);
  static Text Decode(const char* bytes, size_t length);

  std::vector<std::vector<char>> chunks_;  // each filled up to its capacity at most
  std::deque<Record> records_;
  std::string encoded_;  // the record being added
  Text lastNameStart_;   // the first part of the last record's name
};
