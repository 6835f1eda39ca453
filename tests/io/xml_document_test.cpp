#include "xml_document.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
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

}  // namespace
