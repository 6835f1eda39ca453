// The catalogue path without a window: an answer is parsed into document 1 and walked
// as the query walks it. Every entry must come out with a name on one line.
#include <cstdint>
#include <cstdlib>

#include "catalogue_walk.h"
#include "texts.h"
#include "xml_document.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  XmlServiceInit();
  TextsLoad(TextTable::BuiltIn());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int64_t kDocument = 1;
  if (XmlParseMemory(kDocument, data, static_cast<int64_t>(size), 0) == 0) return 0;
  // The query skips answers that are not well-formed; the tree built up to the error
  // must still be safe to walk, so the walk sees both.
  const XmlNode* root = XmlGetRoot(kDocument);
  if (IsCatalogueRoot(root)) {
    WalkCatalogue(root, [](const Text& name, const Text&) {
      if (name.find_first_of(u"\r\n") != Text::npos) std::abort();
    });
  }
  XmlFree(kDocument);
  return 0;
}
