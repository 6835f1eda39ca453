#include "xml_document.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

class XmlDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { XmlServiceInit(); }
  void TearDown() override { XmlFree(-1); }

  // Parses into document 1 and returns its status.
  static int64_t Parse(std::string_view text, int64_t number = 1) {
    EXPECT_NE(XmlParseMemory(number, text.data(), static_cast<int64_t>(text.size())), 0);
    return XmlGetStatus(number);
  }

  static std::vector<XmlNode*> Children(const XmlNode* node) {
    std::vector<XmlNode*> children;
    for (XmlNode* c = XmlNodeFirstChild(node); c; c = XmlNodeNextSibling(c)) children.push_back(c);
    return children;
  }
};

TEST_F(XmlDocumentTest, ACatalogueIsWalkedByRootChildrenNamesAndAttributes) {
  ASSERT_EQ(Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<catalogue>\n"
                  "  <album title=\"Harbour\"/>\n"
                  "  <section><group kind=\"pictures\">"
                  "<entry><image src=\"http://h/a.jpg\"/></entry>"
                  "<entry/>"
                  "</group></section>\n"
                  "</catalogue>"),
            0);
  XmlNode* root = XmlGetRoot(1);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(XmlNodeGetName(root), u"catalogue");
  EXPECT_EQ(XmlNodeGetKind(root), kXmlElement);
  const auto top = Children(root);
  ASSERT_EQ(top.size(), 2u);
  EXPECT_EQ(XmlNodeChildCount(root), 2);
  EXPECT_EQ(XmlNodeGetAttribute(top[0], u"title"), u"Harbour");
  EXPECT_EQ(XmlNodeGetAttribute(top[0], u"Title"), u"");  // names compare exactly
  EXPECT_EQ(XmlNodeGetAttribute(top[0], u""), u"");
  XmlNode* group = XmlNodeFirstChild(top[1]);
  EXPECT_EQ(XmlNodeGetAttribute(group, u"kind"), u"pictures");
  const auto entries = Children(group);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(XmlNodeChildCount(entries[1]), 0);
  EXPECT_EQ(XmlNodeGetAttribute(XmlNodeFirstChild(entries[0]), u"src"), u"http://h/a.jpg");
  EXPECT_EQ(XmlNodeParent(entries[1]), group);
  EXPECT_EQ(XmlNodePreviousSibling(entries[1]), entries[0]);
  EXPECT_EQ(XmlGetEncoding(1), kXmlEncodingUtf8);
  EXPECT_EQ(XmlGetStandalone(1), -1);  // declared without standalone
}

TEST_F(XmlDocumentTest, TextWithoutAnElementHasStatusThreeAndNoRoot) {
  for (std::string_view text : {std::string_view(""), std::string_view("<!-- only -->"),
                                std::string_view("<?xml version=\"1.0\"?>\n")}) {
    EXPECT_EQ(Parse(text), 3) << text;
    EXPECT_EQ(XmlGetRoot(1), nullptr) << text;
    EXPECT_FALSE(XmlGetErrorMessage(1).empty());
  }
}

TEST_F(XmlDocumentTest, JunkAfterTheRootKeepsTheTreeBuiltBeforeIt) {
  EXPECT_EQ(Parse("<a><b>x</b></a>\n<c/>"), 9);
  XmlNode* root = XmlGetRoot(1);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(XmlNodeGetName(root), u"a");
  EXPECT_EQ(XmlNodeGetText(XmlNodeFirstChild(root)), u"x");
  EXPECT_EQ(XmlGetErrorLine(1), 2);
  EXPECT_EQ(XmlGetErrorColumn(1), 1);  // 1-based
}

TEST_F(XmlDocumentTest, AnErrorRecordsItsPositionAndKeepsTheOpenNodesAndTheirText) {
  EXPECT_EQ(Parse("<a>one\n  <b>two</a>"), 7);  // mismatched tag
  EXPECT_EQ(XmlGetErrorLine(1), 2);
  EXPECT_EQ(XmlGetErrorColumn(1), 11);  // at the name of the end tag, counted from 1
  EXPECT_NE(XmlGetErrorMessage(1).find(u"mismatch"), Text::npos);
  XmlNode* a = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetText(a), u"one\n  ");
  EXPECT_EQ(XmlNodeGetText(XmlNodeFirstChild(a)), u"two");
  // Well-formed text after a failure under the same number starts afresh.
  EXPECT_EQ(Parse("<ok/>"), 0);
  EXPECT_EQ(XmlGetErrorLine(1), 0);
  EXPECT_EQ(XmlGetErrorMessage(1), u"");
}

TEST_F(XmlDocumentTest, TheLastIdAttributeInAnyCaseIsTheIdButLookupsAreExact) {
  ASSERT_EQ(Parse("<e id=\"x\" ID=\"y\" other=\"z\"/>"), 0);
  XmlNode* e = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeIdAttribute(e), 1);
  EXPECT_EQ(XmlNodeGetAttribute(e, u"ID"), u"y");
  EXPECT_EQ(XmlNodeGetAttribute(e, u"id"), u"x");
  EXPECT_EQ(XmlNodeGetAttribute(e, u"Id"), u"");
  EXPECT_EQ(XmlNodeAttributeCount(e), 3);
  EXPECT_EQ(XmlNodeAttributeName(e, 2), u"other");
  EXPECT_EQ(XmlNodeAttributeValue(e, 2), u"z");
  EXPECT_EQ(XmlNodeAttributeName(e, 3), u"");
  ASSERT_EQ(Parse("<e iD=\"1\"/>"), 0);
  EXPECT_EQ(XmlNodeIdAttribute(XmlGetRoot(1)), 0);
  ASSERT_EQ(Parse("<e idx=\"1\"/>"), 0);
  EXPECT_EQ(XmlNodeIdAttribute(XmlGetRoot(1)), -1);
}

TEST_F(XmlDocumentTest, TheFirstLineBreakDecidesHowEveryTextBreaksItsLines) {
  struct Case {
    std::string_view text;
    int32_t lineEnds;
    std::u16string_view rootText;
  };
  const Case cases[] = {
      {"<a>one\r\ntwo</a>", kXmlLineEndsCrLf, u"one\r\ntwo"},
      {"<a>one\rtwo</a>", kXmlLineEndsCr, u"one\rtwo"},
      {"<a>one\ntwo</a>", kXmlLineEndsLf, u"one\ntwo"},
      {"<a>one two</a>", kXmlLineEndsNone, u"one two"},
      {"<?xml version=\"1.0\"?>\r\n<a>x\ny\rz</a>", kXmlLineEndsCrLf, u"x\r\ny\r\nz"},
      {"<a>x\ny\r\nz\rw</a>", kXmlLineEndsLf, u"x\ny\nz\nw"},
      {"\n<a>x\ry</a>", kXmlLineEndsCr, u"x\ry"},  // a leading line feed is passed over
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Parse(c.text), 0) << c.text;
    EXPECT_EQ(XmlGetLineEnds(1), c.lineEnds) << c.text;
    EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), c.rootText) << c.text;
  }
  ASSERT_EQ(Parse("<a><!--1\r\n2--><?p 3\r\n4?></a>"), 0);
  const auto children = Children(XmlGetRoot(1));
  EXPECT_EQ(XmlNodeGetText(children[0]), u"1\r\n2");
  EXPECT_EQ(XmlNodeGetText(children[1]), u"3\r\n4");
}

TEST_F(XmlDocumentTest, SixteenBitTextIsDetectedForItsLineBreaks) {
  const std::u16string text = u"\uFEFF<a>1\r\n2</a>";
  std::string little, big;
  for (char16_t c : text) {
    little += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    big += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  for (const std::string& bytes : {little, big}) {
    ASSERT_EQ(Parse(bytes), 0);
    EXPECT_EQ(XmlGetLineEnds(1), kXmlLineEndsCrLf);
    EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"1\r\n2");
  }
}

TEST_F(XmlDocumentTest, MixedContentGathersTheTextAndRecordsWhereEachChildStood) {
  ASSERT_EQ(Parse("<p>T1<a>in</a>Text2<b/>T3</p>"), 0);
  XmlNode* p = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetText(p), u"T1Text2T3");
  const auto children = Children(p);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(XmlNodeGetTextOffset(children[0]), 2);
  EXPECT_EQ(XmlNodeGetTextOffset(children[1]), 5);
  EXPECT_EQ(XmlNodeGetText(children[0]), u"in");
  // Offsets count 16-bit units, with restored line breaks.
  ASSERT_EQ(Parse("<p>\u00e9\U0001F600\r\n<a/></p>"), 0);
  EXPECT_EQ(XmlNodeGetTextOffset(XmlNodeFirstChild(XmlGetRoot(1))), 5);
}

TEST_F(XmlDocumentTest, PrologNodesAreChildrenOfTheDocumentNode) {
  ASSERT_EQ(Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>"
                  "<!-- before --><?style x?><root><x/></root><!--after-->"),
            0);
  XmlNode* document = XmlGetDocumentNode(1);
  EXPECT_EQ(XmlNodeGetKind(document), kXmlDocumentNode);
  const auto top = Children(document);
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(XmlNodeGetKind(top[0]), kXmlComment);
  EXPECT_EQ(XmlNodeGetText(top[0]), u" before ");
  EXPECT_EQ(XmlNodeGetKind(top[1]), kXmlProcessingInstruction);
  EXPECT_EQ(XmlNodeGetName(top[1]), u"style");
  EXPECT_EQ(XmlNodeGetText(top[1]), u"x");
  EXPECT_EQ(top[2], XmlGetRoot(1));
  EXPECT_EQ(XmlNodeChildCount(XmlGetRoot(1)), 1);
  EXPECT_EQ(XmlNodeGetKind(top[3]), kXmlComment);
  EXPECT_EQ(XmlGetEncoding(1), kXmlEncodingLatin1);
  EXPECT_EQ(XmlGetStandalone(1), 1);
}

TEST_F(XmlDocumentTest, TheDeclaredEncodingDecodesTheTextUnlessOneIsForced) {
  const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>";
  ASSERT_EQ(Parse(latin1), 0);
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"caf\u00E9");
  const std::string plain = "<a>caf\xE9</a>";
  EXPECT_EQ(Parse(plain), 4);  // not UTF-8
  ASSERT_NE(XmlParseMemory(1, plain.data(), static_cast<int64_t>(plain.size()), kXmlEncodingLatin1), 0);
  EXPECT_EQ(XmlGetStatus(1), 0);
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"caf\u00E9");
  EXPECT_EQ(XmlGetEncoding(1), kXmlEncodingLatin1);
}

TEST_F(XmlDocumentTest, TheDoctypeIsRebuiltAsText) {
  struct Case {
    std::string_view text;
    std::u16string_view doctype;
  };
  const Case cases[] = {
      {"<!DOCTYPE cat><cat/>", u"<!DOCTYPE cat>"},
      {"<!DOCTYPE cat SYSTEM \"cat.dtd\"><cat/>", u"<!DOCTYPE cat SYSTEM \"cat.dtd\">"},
      {"<!DOCTYPE cat PUBLIC \"-//T//C\" 'c.dtd'><cat/>",
       u"<!DOCTYPE cat PUBLIC \"-//T//C\" \"c.dtd\">"},
      {"<!DOCTYPE cat SYSTEM 'say\"so'><cat/>", u"<!DOCTYPE cat SYSTEM 'say\"so'>"},
      {"<!DOCTYPE cat [<!ENTITY e \"v\">]><cat/>", u"<!DOCTYPE cat [<!ENTITY e \"v\">]>"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Parse(c.text), 0) << c.text;
    XmlNode* doctype = XmlNodeFirstChild(XmlGetDocumentNode(1));
    EXPECT_EQ(XmlNodeGetKind(doctype), kXmlDocType) << c.text;
    EXPECT_EQ(XmlNodeGetText(doctype), c.doctype) << c.text;
    EXPECT_EQ(XmlNodeNextSibling(doctype), XmlGetRoot(1)) << c.text;
  }
}

TEST_F(XmlDocumentTest, InternalEntityReferencesStayAsWrittenButCharacterReferencesDecode) {
  ASSERT_EQ(Parse("<!DOCTYPE r [<!ENTITY e \"value\">]><r a=\"&e;\">x&e;y&amp;&#65;</r>"), 0);
  XmlNode* r = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetText(r), u"x&e;y&A");
  EXPECT_EQ(XmlNodeGetAttribute(r, u"a"), u"value");
}

TEST_F(XmlDocumentTest, CDataSectionsAreNodesHoldingTheirCharacters) {
  ASSERT_EQ(Parse("<a>x<![CDATA[<y>&amp;]]>z</a>"), 0);
  XmlNode* a = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetText(a), u"xz");
  XmlNode* section = XmlNodeFirstChild(a);
  EXPECT_EQ(XmlNodeGetKind(section), kXmlCData);
  EXPECT_EQ(XmlNodeGetText(section), u"<y>&amp;");
  EXPECT_EQ(XmlNodeGetTextOffset(section), 1);
}

TEST_F(XmlDocumentTest, NumbersAreReusedAndDynamicDocumentsAreIndependent) {
  ASSERT_EQ(Parse("<first/>"), 0);
  ASSERT_EQ(Parse("<second/>"), 0);
  EXPECT_EQ(XmlNodeGetName(XmlGetRoot(1)), u"second");

  const std::string a = "<a/>", b = "<b/>";
  const int64_t ha = XmlParseMemory(-1, a.data(), 4);
  const int64_t hb = XmlParseMemory(-1, b.data(), 4);
  ASSERT_NE(ha, 0);
  ASSERT_NE(hb, 0);
  EXPECT_NE(ha, hb);
  EXPECT_EQ(XmlNodeGetName(XmlGetRoot(ha)), u"a");
  XmlFree(ha);
  EXPECT_EQ(XmlGetRoot(ha), nullptr);
  EXPECT_EQ(XmlNodeGetName(XmlGetRoot(hb)), u"b");

  ASSERT_EQ(Parse("<seven/>", 7), 0);  // beyond the first 8 slots is fine too
  ASSERT_EQ(Parse("<many/>", 100), 0);
  XmlFree(-1);
  EXPECT_EQ(XmlGetRoot(1), nullptr);
  EXPECT_EQ(XmlGetRoot(hb), nullptr);
  EXPECT_EQ(XmlGetRoot(100), nullptr);
  EXPECT_EQ(XmlGetStatus(100), 0);
  EXPECT_EQ(XmlParseMemory(-2, a.data(), 4), 0);
  EXPECT_EQ(XmlParseMemory(1, a.data(), -1), 0);
}

struct TreeShape {
  int64_t nodes = 0;
  int64_t depth = 0;
  int64_t brokenLinks = 0;
};

// Walks the tree in document order without recursion and checks every link.
TreeShape Inspect(XmlNode* document) {
  TreeShape shape;
  int64_t depth = 0;
  for (XmlNode* node = document; node;) {
    ++shape.nodes;
    shape.depth = std::max(shape.depth, depth);
    XmlNode* previous = nullptr;
    for (XmlNode* c = XmlNodeFirstChild(node); c; previous = c, c = XmlNodeNextSibling(c)) {
      const int32_t kind = XmlNodeGetKind(c);
      if (XmlNodeParent(c) != node || XmlNodePreviousSibling(c) != previous || kind < 1 || kind > 5)
        ++shape.brokenLinks;
    }
    if (XmlNode* child = XmlNodeFirstChild(node)) {
      node = child;
      ++depth;
      continue;
    }
    while (node != document && !XmlNodeNextSibling(node)) {
      node = XmlNodeParent(node);
      --depth;
    }
    node = node == document ? nullptr : XmlNodeNextSibling(node);
  }
  return shape;
}

std::string Repeat(const std::string& part, size_t times) {
  std::string text;
  text.reserve(part.size() * times);
  for (size_t i = 0; i < times; ++i) text += part;
  return text;
}

// Text that is broken, huge, deep or malicious ends in a status, never a crash, a stack
// overflow or a runaway expansion.
using XmlHostileInputTest = XmlDocumentTest;

TEST_F(XmlHostileInputTest, AMillionNestedElementsAreBuiltWalkedAndFreed) {
  constexpr size_t kDepth = 1000000;
  ASSERT_EQ(Parse(Repeat("<a>", kDepth) + Repeat("</a>", kDepth), 1), 0);
  const TreeShape shape = Inspect(XmlGetDocumentNode(1));
  EXPECT_EQ(shape.nodes, static_cast<int64_t>(kDepth) + 1);
  EXPECT_EQ(shape.depth, static_cast<int64_t>(kDepth));
  EXPECT_EQ(shape.brokenLinks, 0);
  XmlFree(1);
  EXPECT_EQ(XmlGetRoot(1), nullptr);
}

TEST_F(XmlHostileInputTest, DeepElementsLeftOpenByTheEndKeepTheirText) {
  constexpr size_t kDepth = 300000;
  EXPECT_NE(Parse(Repeat("<a>x", kDepth), 1), 0);
  const TreeShape shape = Inspect(XmlGetDocumentNode(1));
  EXPECT_EQ(shape.depth, static_cast<int64_t>(kDepth));
  EXPECT_EQ(shape.brokenLinks, 0);
  XmlNode* deepest = XmlGetRoot(1);
  while (XmlNodeFirstChild(deepest)) deepest = XmlNodeFirstChild(deepest);
  EXPECT_EQ(XmlNodeGetText(deepest), u"x");
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"x");
  // Replacing the document frees the open tree too.
  EXPECT_EQ(Parse("<b/>", 1), 0);
}

TEST_F(XmlHostileInputTest, HugeAttributeValuesAndTextsAreKeptWhole) {
  const std::string value(20 << 20, 'v');
  const std::string text(5 << 20, 't');
  ASSERT_EQ(Parse("<a big=\"" + value + "\" small=\"s\">" + text + "</a>", 1), 0);
  XmlNode* a = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetAttribute(a, u"big").size(), value.size());
  EXPECT_EQ(XmlNodeGetAttribute(a, u"small"), u"s");
  EXPECT_EQ(XmlNodeGetText(a).size(), text.size());
  // Many attributes, beyond any small counter.
  std::string many = "<m";
  for (int i = 0; i < 70000; ++i) many += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  ASSERT_EQ(Parse(many + " ID=\"last\"/>", 2), 0);
  XmlNode* m = XmlGetRoot(2);
  EXPECT_EQ(XmlNodeAttributeCount(m), 70001);
  EXPECT_EQ(XmlNodeIdAttribute(m), 70000);
  EXPECT_EQ(XmlNodeGetAttribute(m, u"a69999"), u"69999");
}

TEST_F(XmlHostileInputTest, InvalidUtf8EndsTheParseWithAStatus) {
  const std::string broken[] = {
      "<a>\xC3\x28</a>",     "<a>\xFF</a>",         "<a>\xC0\xAF</a>", "<a>\xED\xA0\x80</a>",
      "<a b='\x80'/>",       "<\xE2\x82\xAC\xFF/>", "<a>\xE2\x82",     std::string("<a>\0</a>", 8),
  };
  for (const std::string& text : broken) {
    EXPECT_NE(Parse(text, 1), 0) << text;
    EXPECT_EQ(Inspect(XmlGetDocumentNode(1)).brokenLinks, 0);
  }
}

TEST_F(XmlHostileInputTest, EntityExpansionBombsDoNotRunAway) {
  std::string declarations = "<!DOCTYPE bomb [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i)
    declarations += "<!ENTITY l" + std::to_string(i) + " \"" +
                    Repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  declarations += "]>";
  // In content the reference is kept as written, never expanded.
  ASSERT_EQ(Parse(declarations + "<bomb>&l9;</bomb>", 1), 0);
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"&l9;");
  // In attribute values expat expands, and its amplification limit stops it.
  EXPECT_NE(Parse(declarations + "<bomb a=\"&l9;\"/>", 2), 0);
  EXPECT_LT(XmlNodeGetAttribute(XmlGetRoot(2), u"a").size(), 1000u);
}

std::string SampleCatalogue() {
  std::string text =
      "<?xml version=\"1.0\"?>\r\n<!DOCTYPE catalogue [<!ENTITY e \"x\">]>\r\n<catalogue>"
      "<!-- c --><album title=\"A &amp; B\" ID=\"1\"/>";
  for (int i = 0; i < 6; ++i)
    text += "<section><group kind=\"pictures\"><entry><image src=\"http://h/" + std::to_string(i) +
            ".jpg\"/></entry>text&e;<![CDATA[<raw>]]><?pi data?></group></section>\r\n";
  return text + "</catalogue>";
}

TEST_F(XmlHostileInputTest, MutatedAndRandomTextNeverBreaksTheTree) {
  std::mt19937 random(20240611);
  const std::string seed = SampleCatalogue();
  ASSERT_EQ(Parse(seed, 1), 0);
  const std::string_view fragments[] = {"<",    ">",  "</",   "/>", "&",  ";",  "\"",
                                        "'",    "<!--", "-->", "<![CDATA[", "]]>", "<?", "?>",
                                        "<!DOCTYPE x [", "]>", "\r", "\n", "\xC3",
                                        std::string_view("\0", 1)};
  for (int round = 0; round < 3000; ++round) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const size_t at = random() % text.size();
      switch (random() % 4) {
        case 0: text[at] = static_cast<char>(random()); break;
        case 1: text.erase(at, 1 + random() % 16); break;
        case 2: text.insert(at, std::string(fragments[random() % std::size(fragments)])); break;
        default: text.resize(at); break;
      }
    }
    const int64_t number = round % 2 ? -1 : 1;
    const int64_t made = XmlParseMemory(number, text.data(), static_cast<int64_t>(text.size()));
    ASSERT_NE(made, 0);
    const int64_t key = number == -1 ? made : number;
    ASSERT_EQ(Inspect(XmlGetDocumentNode(key)).brokenLinks, 0) << round;
    if (number == -1) XmlFree(made);
  }
  for (int round = 0; round < 500; ++round) {
    std::string noise(random() % 2000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    Parse(noise, 1);
    ASSERT_EQ(Inspect(XmlGetDocumentNode(1)).brokenLinks, 0) << round;
  }
}

TEST_F(XmlHostileInputTest, DocumentsParsedOnSeveralThreadsShareTheNodePoolSafely) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      const std::string text = SampleCatalogue();
      for (int round = 0; round < 100; ++round) {
        const int64_t handle = XmlParseMemory(-1, text.data(), static_cast<int64_t>(text.size()));
        const TreeShape shape = Inspect(XmlGetDocumentNode(handle));
        if (XmlGetStatus(handle) != 0 || shape.brokenLinks != 0 || shape.nodes < 40) ++wrong[t];
        XmlFree(handle);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0) << t;
}

}  // namespace
