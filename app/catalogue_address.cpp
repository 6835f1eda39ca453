#include "catalogue_address.h"

#include "texts.h"

namespace {

using R = TextRole;

constexpr int64_t kCataloguePrefixLength = 35;
constexpr int64_t kWrapperLength = 20;  // what the unwrapping drops, wherever the marker stood

Text Unwrapped(Text query) {
  if (TextFind(query, T(R::FirstWrapperMarker)) == 0) return query;
  query = TextMid(query, kWrapperLength + 1);
  if (TextFind(query, T(R::SecondWrapperMarker)) != 0) query = TextField(query, 2, T(R::WrapperSeparator));
  return query;
}

// The word as a number when it is written exactly as TextFromInt writes it.
bool CanonicalInteger(const Text& word, int64_t& value) {
  value = TextToInt(word);
  return TextFromInt(value) == word;
}

Text AddressOfNumberPair(Text query) {
  query = TextTrim(query);
  while (TextFind(query, T(R::DoubleSeparator)) != 0)
    query = TextReplace(query, T(R::DoubleSeparator), T(R::WordSeparator));
  const Text first = TextField(query, 1, T(R::WordSeparator));
  const Text second = TextField(query, 2, T(R::WordSeparator));
  int64_t a = 0;
  int64_t b = 0;
  if (!CanonicalInteger(first, a) || !CanonicalInteger(second, b)) return Text();
  const Text tail = first + T(R::PathSeparator) + second + T(R::TemplateSuffix);
  if (a >= 900 && a <= 926) return T(R::FirstTemplatePrefix) + tail;
  if (a == 365) return T(R::SecondTemplatePrefix) + tail;
  return Text();
}

}  // namespace

Text CatalogueAddressOf(const Text& query) {
  const Text unwrapped = Unwrapped(query);
  if (TextLeft(unwrapped, kCataloguePrefixLength) == T(R::CataloguePrefix)) return unwrapped;
  return AddressOfNumberPair(unwrapped);
}
