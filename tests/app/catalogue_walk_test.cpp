// The one-pass scan of an answer finds exactly the entries that parsing it into a tree and
// walking that finds, down to the odd corners of XML.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "catalogue_walk.h"
#include "texts.h"
#include "xml_document.h"

namespace {

using Entries = std::vector<std::pair<Text, Text>>;

// Whether the query listed the answer when it parsed it and walked the tree, and what.
std::pair<bool, Entries> ParsedAndWalked(const std::string& xml) {
  constexpr int64_t kDocument = 1;
  Entries entries;
  XmlParseMemory(kDocument, xml.data(), static_cast<int64_t>(xml.size()));
  const XmlNode* root = XmlGetRoot(kDocument);
  const bool listed = XmlGetStatus(kDocument) == 0 && IsCatalogueRoot(root);
  if (listed)
    WalkCatalogue(root, [&](const Text& name, const Text& address) {
      entries.emplace_back(name, address);
    });
  XmlFree(kDocument);
  return {listed, entries};
}

std::pair<bool, Entries> Scanned(const std::string& xml) {
  Entries entries;
  const bool listed = ScanCatalogue(xml.data(), static_cast<int64_t>(xml.size()),
                                    [&](const Text& name, const Text& address) {
                                      entries.emplace_back(name, address);
                                    });
  return {listed, listed ? entries : Entries()};
}

TEST(CatalogueWalkTest, ScanListsWhatParsingAndWalkingLists) {
  XmlServiceInit();
  TextsLoad(TextTable::BuiltIn());
  const std::pair<std::string, Entries> cases[] = {
      {"<catalogue><album title=\"A\"/><section><group kind=\"pictures\">"
       "<entry><image src=\"h/1.jpg\"/><image src=\"h/ignored.jpg\"/></entry><entry/>"
       "<entry><!-- first child --><image src=\"h/2.jpg\"/></entry>"
       "<entry><![CDATA[x]]><image src=\"h/3.jpg\"/></entry>"
       "<entry><?pi x?></entry>"
       "<entry>text only</entry>"
       "<entry>text <image src=\"h/4.jpg\"/></entry>"
       "<other><entry><image src=\"h/deep.jpg\"/></entry></other>"
       "</group><group kind=\"notes\"><entry><i src=\"n/no.jpg\"/></entry></group>"
       "<group><entry><i src=\"n/nokind.jpg\"/></entry></group></section>"
       "<entry><image src=\"h/outside.jpg\"/></entry>"
       "<album title=\"B&amp;C\"/><album/>"
       "<wrap><section><group kind=\"pictures\"><entry><i src=\"w/no.jpg\"/></entry></group>"
       "</section></wrap>"
       "<section><group kind=\"pictures\"><entry><i src=\"n\u00e9/\u65e5.jpg\"/></entry>"
       "<entry><i SRC=\"x/upper.jpg\"/></entry></group></section></catalogue>",
       {{u"A_1.jpg", u"h/1.jpg"}, {u"A_", u""}, {u"A_", u""}, {u"A_", u""},
        {u"A_4.jpg", u"h/4.jpg"},
        {u"_\u65e5.jpg", u"n\u00e9/\u65e5.jpg"}, {u"_", u""}}},
      // Line breaks in a context never reach a name; entries before any album have none.
      {"<?xml version=\"1.0\"?>\n<!-- c --><catalogue>\n<section><group kind=\"pictures\">"
       "<entry><i src=\"a/b\r\nc.jpg\"/></entry></group></section>"
       "<album title=\"two&#10;lines\"/><section><group kind=\"pictures\">"
       "<entry><i src=\"x/y.jpg\"/></entry></group></section></catalogue>",
       {{u"_b c.jpg", u"a/b c.jpg"}, {u"two lines_y.jpg", u"x/y.jpg"}}},
      // An internal entity in content stays a reference: its markup makes no entry.
      {"<!DOCTYPE catalogue [<!ENTITY e \"<entry><i src='e/e.jpg'/></entry>\"><!-- in dtd -->]>"
       "<catalogue><section><group kind=\"pictures\">&e;</group></section></catalogue>",
       {}},
      {"<catalogue><!-- only a comment --></catalogue>", {}},
      {"<catalogue></catalogue>", {}},
      {"<catalog><section><group kind=\"pictures\"><entry><i src=\"a/b\"/></entry></group>"
       "</section></catalog>",
       {}},
      {"<catalogue><section><group kind=\"pictures\"><entry><i src=\"a/b\"/></entry></group>", {}},
      {"", {}},
  };
  for (const auto& [xml, expected] : cases) {
    const auto walked = ParsedAndWalked(xml);
    EXPECT_EQ(walked.second, expected) << xml;
    EXPECT_EQ(Scanned(xml), walked) << xml;
  }
  EXPECT_TRUE(Scanned("<catalogue><!-- only a comment --></catalogue>").first)
      << "a root with a child is a catalogue, even without entries";
  EXPECT_FALSE(Scanned("<catalogue></catalogue>").first);
}

}  // namespace
