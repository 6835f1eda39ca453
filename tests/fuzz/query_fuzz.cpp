// Typed queries: the search field's text (any 16-bit units) is percent-decoded and
// turned into a catalogue address as the query does. An address, when there is one,
// starts with one of the configured prefixes.
#include <cstdint>
#include <cstdlib>

#include "catalogue_address.h"
#include "http.h"
#include "texts.h"

namespace {

constexpr int kDecodeUtf8 = 2;

bool StartsWith(const Text& text, TextRole prefix) { return text.starts_with(T(prefix)); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TextsLoad(TextTable::BuiltIn());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Text typed;
  for (size_t i = 0; i + 1 < size; i += 2) typed.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  const Text address = CatalogueAddressOf(UrlDecode(typed, kDecodeUtf8));
  if (!address.empty() && !StartsWith(address, TextRole::CataloguePrefix) &&
      !StartsWith(address, TextRole::FirstTemplatePrefix) && !StartsWith(address, TextRole::SecondTemplatePrefix))
    std::abort();
  return 0;
}
