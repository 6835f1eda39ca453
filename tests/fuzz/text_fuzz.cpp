// Text operations with fuzzed arguments: reading integers, splitting into fields, cutting
// and inserting at a position, and writing floats, each checked against what it
// promises. Input layout (little-endian, missing bytes read as zero): field index and
// position (8 bytes), decimals (8), a double (8), the separator's length in units (1,
// taken modulo 4), the separator (also the inserted text), then the text; units are 2
// bytes each.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "text.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint64_t Bytes(size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= uint64_t{Byte()} << (8 * i);
    return value;
  }
  Text Units(size_t most) {
    Text text;
    while (text.size() < most && at_ + 1 < size_) text.push_back(static_cast<char16_t>(Bytes(2)));
    return text;
  }

 private:
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void Check(bool promise) {
  if (!promise) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  const auto index = static_cast<int64_t>(input.Bytes(8));
  const auto decimals = static_cast<int64_t>(input.Bytes(8));
  const uint64_t bits = input.Bytes(8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  const Text separator = input.Units(input.Bytes(1) % 4);
  const Text text = input.Units(SIZE_MAX);

  const int64_t number = TextToInt(text);
  Check(TextToInt(TextFromInt(number)) == number);

  const Text field = TextField(text, index, separator);
  Check(field.size() <= text.size() && (field.empty() || text.find(field) != Text::npos));
  Check(separator.empty() || field.find(separator) == Text::npos);

  // Positions of 1 or less mean the start, those past the end the end.
  const size_t at = index <= 1 ? 0 : static_cast<size_t>(std::min<uint64_t>(index - 1, text.size()));
  Check(TextInsert(text, separator, index) == text.substr(0, at) + separator + text.substr(at));
  Check(TextMid(text, index) == text.substr(at));

  const Text written = TextFromFloat(value, decimals);
  Check(!written.empty() && written.size() <= 1024);
  return 0;
}
