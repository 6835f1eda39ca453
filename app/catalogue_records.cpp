#include "catalogue_records.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

uint32_t Bytes(size_t count) {
  if (count > UINT32_MAX) throw std::length_error("catalogue record too long");
  return static_cast<uint32_t>(count);
}

// How many units `name` and `address` share at their ends.
size_t SharedEnd(TextView name, TextView address) {
  size_t shared = 0;
  while (shared < name.size() && shared < address.size() &&
         name[name.size() - 1 - shared] == address[address.size() - 1 - shared])
    ++shared;
  return shared;
}

}  // namespace

void CatalogueRecords::Clear() {
  chunks_ = {};
  records_ = {};
  lastNameStart_.clear();
}

void CatalogueRecords::Add(TextView name, TextView address) {
  const size_t sharedUnits = SharedEnd(name, address);
  const TextView nameStart = name.substr(0, name.size() - sharedUnits);
  const bool ownsNameStart = records_.empty() || nameStart != lastNameStart_;
  encoded_.clear();
  if (ownsNameStart) Encode(nameStart);
  const uint32_t ownNameBytes = Bytes(encoded_.size());
  Encode(address);
  const uint32_t addressBytes = Bytes(encoded_.size() - ownNameBytes);
  const uint32_t nameOwner = ownsNameStart ? Bytes(records_.size()) : records_.back().nameOwner;
  if (ownsNameStart) lastNameStart_ = Text(nameStart);
  if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < encoded_.size()) {
    chunks_.emplace_back().reserve(std::max(kChunkBytes, encoded_.size()));
    Bytes(chunks_.size());
  }
  std::vector<char>& chunk = chunks_.back();
  records_.push_back(Record{static_cast<uint32_t>(chunks_.size() - 1), Bytes(chunk.size()),
                            ownNameBytes, addressBytes, nameOwner, Bytes(sharedUnits)});
  chunk.insert(chunk.end(), encoded_.begin(), encoded_.end());
}

void CatalogueRecords::Append(CatalogueRecords&& other) {
  if (other.records_.empty()) return;
  if (records_.empty()) {
    chunks_ = std::move(other.chunks_);
    records_ = std::move(other.records_);
  } else {
    const auto chunkShift = static_cast<uint32_t>(chunks_.size());
    const uint32_t recordShift = Bytes(records_.size());
    for (Record record : other.records_) {
      record.chunk += chunkShift;
      record.nameOwner += recordShift;
      records_.push_back(record);
    }
    std::move(other.chunks_.begin(), other.chunks_.end(), std::back_inserter(chunks_));
  }
  lastNameStart_ = std::move(other.lastNameStart_);
  other.Clear();
}

CatalogueItem CatalogueRecords::Get(int64_t index) const {
  const Record& record = records_[static_cast<size_t>(index)];
  const Record& owner = records_[record.nameOwner];
  const char* bytes = chunks_[record.chunk].data() + record.start;
  CatalogueItem item{Decode(chunks_[owner.chunk].data() + owner.start, owner.ownNameBytes),
                     Decode(bytes + record.ownNameBytes, record.addressBytes)};
  item.name.append(item.address, item.address.size() - record.sharedUnits, record.sharedUnits);
  return item;
}

// Each unit takes at most three bytes (a pair four for two), so the bytes are written into
// room made beforehand and the rest cut off: a catalogue's texts are mostly ASCII.
void CatalogueRecords::Encode(TextView text) {
  const size_t before = encoded_.size();
  encoded_.resize(before + 3 * text.size());
  char* out = encoded_.data() + before;
  const auto byte = [&out](char32_t bits) { *out++ = static_cast<char>(bits); };
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    const bool paired = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (paired) code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (code < 0x80) {
      byte(code);
    } else if (code < 0x800) {
      byte(0xC0 | code >> 6);
      byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      byte(0xE0 | code >> 12);
      byte(0x80 | (code >> 6 & 0x3F));
      byte(0x80 | (code & 0x3F));
    } else {
      byte(0xF0 | code >> 18);
      byte(0x80 | (code >> 12 & 0x3F));
      byte(0x80 | (code >> 6 & 0x3F));
      byte(0x80 | (code & 0x3F));
    }
  }
  encoded_.resize(static_cast<size_t>(out - encoded_.data()));
}

Text CatalogueRecords::Decode(const char* bytes, size_t length) {
  Text text(length, u'\0');  // never more units than bytes
  char16_t* out = text.data();
  for (size_t i = 0; i < length;) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = lead & (0x7F >> extra);
    for (int k = 0; k < extra; ++k) code = code << 6 | (bytes[i++] & 0x3F);
    if (code >= 0x10000) {
      *out++ = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(code);
    }
  }
  text.resize(static_cast<size_t>(out - text.data()));
  return text;
}
