#include "catalogue_items.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

// The records are kept as their fields' bytes in one string, in a UTF-8 form that also
// keeps lone surrogates (each as its own three bytes), so that every text reads back
// exactly; a catalogue of 100,000 entries then costs a third of what its texts did.
class PackedRecords {
 public:
  void Clear() {
    bytes_ = {};
    fieldEnds_ = {};
  }
  void Add(TextView name, TextView address) {
    const size_t bytesBefore = bytes_.size();
    try {
      Append(name);
      Append(address);
    } catch (...) {
      bytes_.resize(bytesBefore);
      fieldEnds_.resize(2 * Count());
      throw;
    }
  }
  int64_t Count() const { return static_cast<int64_t>(fieldEnds_.size() / 2); }
  CatalogueItem Get(int64_t index) const {
    return CatalogueItem{Field(2 * static_cast<size_t>(index)),
                         Field(2 * static_cast<size_t>(index) + 1)};
  }

 private:
  void Append(TextView text) {
    for (size_t i = 0; i < text.size(); ++i) {
      const char32_t unit = text[i];
      const bool paired = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (paired) AppendCode(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
      else AppendCode(unit);
    }
    fieldEnds_.push_back(bytes_.size());
  }
  void AppendCode(char32_t code) {
    const auto byte = [this](char32_t bits) { bytes_.push_back(static_cast<char>(bits)); };
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
  Text Field(size_t field) const {
    const size_t end = fieldEnds_[field];
    Text text;
    for (size_t i = field == 0 ? 0 : fieldEnds_[field - 1]; i < end;) {
      const auto lead = static_cast<unsigned char>(bytes_[i++]);
      const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
      char32_t code = lead & (0x7F >> extra);
      for (int k = 0; k < extra; ++k) code = code << 6 | (bytes_[i++] & 0x3F);
      if (code >= 0x10000) {
        text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
      } else {
        text += static_cast<char16_t>(code);
      }
    }
    return text;
  }

  std::string bytes_;
  std::vector<size_t> fieldEnds_;  // name, address, name, ...
};

std::mutex itemsLock;
PackedRecords items;
int64_t current = 0;  // handle of the current record, 0 for none

bool IsHandle(int64_t handle) { return handle >= 1 && handle <= items.Count(); }

}  // namespace

void CatalogueItemsClear() {
  std::lock_guard lock(itemsLock);
  items.Clear();
  current = 0;
}

int64_t CatalogueItemsAdd(const Text& name, const Text& address) {
  std::lock_guard lock(itemsLock);
  items.Add(name, address);
  current = items.Count();
  return current;
}

int64_t CatalogueItemsCount() {
  std::lock_guard lock(itemsLock);
  return items.Count();
}

int CatalogueItemsSelect(int64_t handle, CatalogueItem* record) {
  std::lock_guard lock(itemsLock);
  if (!IsHandle(handle)) return 0;
  current = handle;
  if (record) *record = items.Get(handle - 1);
  return 1;
}

int64_t CatalogueItemsCurrent() {
  std::lock_guard lock(itemsLock);
  return current;
}

CatalogueItem CatalogueItemsCurrentItem() {
  std::lock_guard lock(itemsLock);
  return IsHandle(current) ? items.Get(current - 1) : CatalogueItem{};
}

CatalogueItem CatalogueItemsGet(int64_t handle) {
  std::lock_guard lock(itemsLock);
  return IsHandle(handle) ? items.Get(handle - 1) : CatalogueItem{};
}
