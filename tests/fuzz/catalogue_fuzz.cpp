// The catalogue path without a window: an answer is scanned as the query scans it, and
// parsed into document 1 and walked. Every entry must come out with a name on one line,
// and for a well-formed answer the scan must list what the walk lists.
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "catalogue_walk.h"
#include "texts.h"
#include "xml_document.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  XmlServiceInit();
  TextsLoad(TextTable::BuiltIn());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Entries = std::vector<std::pair<Text, Text>>;
  const auto into = [](Entries& entries) {
    return [&entries](const Text& name, const Text& address) {
      if (name.find_first_of(u"\r\n") != Text::npos) std::abort();
      entries.emplace_back(name, address);
    };
  };
  Entries scanned, walked;
  const bool listed = ScanCatalogue(data, static_cast<int64_t>(size), into(scanned));
  constexpr int64_t kDocument = 1;
  if (XmlParseMemory(kDocument, data, static_cast<int64_t>(size), 0) == 0) return 0;
  // The tree built up to an error must still be safe to walk, so the walk sees both.
  const XmlNode* root = XmlGetRoot(kDocument);
  if (IsCatalogueRoot(root)) WalkCatalogue(root, into(walked));
  const bool wellFormed = XmlGetStatus(kDocument) == 0;
  if (wellFormed && (listed != IsCatalogueRoot(root) || (listed && scanned != walked)))
    std::abort();
  XmlFree(kDocument);
  return 0;
}
