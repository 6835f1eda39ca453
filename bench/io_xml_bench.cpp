// Parsing and releasing a catalogue answer of 100,000 entries, as the catalogue query does.
#include <benchmark/benchmark.h>

#include <string>

#include "xml_document.h"

namespace {

std::string Catalogue(int entries) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalogue>\n";
  for (int i = 0; i < entries; ++i) {
    if (i % 100 == 0) {
      if (i > 0) text += "  </group></section>\n";
      text += "  <album title=\"Album " + std::to_string(i / 100) + "\"/>\n";
      text += "  <section><group kind=\"pictures\">\n";
    }
    text += "    <entry><image src=\"http://127.0.0.1:8917/trawl/pictures/album-" +
            std::to_string(i / 100) + "/picture-" + std::to_string(i) + ".jpg\"/></entry>\n";
  }
  return text + "  </group></section>\n</catalogue>\n";
}

void BM_ParseCatalogue(benchmark::State& state) {
  XmlServiceInit();
  const std::string text = Catalogue(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    XmlParseMemory(1, text.data(), static_cast<int64_t>(text.size()));
    benchmark::DoNotOptimize(XmlGetRoot(1));
    XmlFree(1);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseCatalogue)->Arg(100000)->Unit(benchmark::kMillisecond);

// Walking the parsed tree the way the catalogue query does: names and one attribute each.
void BM_WalkCatalogue(benchmark::State& state) {
  XmlServiceInit();
  const std::string text = Catalogue(static_cast<int>(state.range(0)));
  XmlParseMemory(1, text.data(), static_cast<int64_t>(text.size()));
  for (auto _ : state) {
    int64_t found = 0;
    for (XmlNode* top = XmlNodeFirstChild(XmlGetRoot(1)); top; top = XmlNodeNextSibling(top)) {
      if (XmlNodeGetName(top) != u"section") continue;
      for (XmlNode* group = XmlNodeFirstChild(top); group; group = XmlNodeNextSibling(group))
        for (XmlNode* entry = XmlNodeFirstChild(group); entry; entry = XmlNodeNextSibling(entry))
          found += !XmlNodeGetAttribute(XmlNodeFirstChild(entry), u"src").empty();
    }
    benchmark::DoNotOptimize(found);
  }
  XmlFree(1);
}
BENCHMARK(BM_WalkCatalogue)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
