// Parsing text that is broken, huge, deep or malicious ends in a status, never a crash,
// a stack overflow or a runaway expansion.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "xml_document.h"

namespace {

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

int64_t ParseInto(int64_t number, const std::string& text) {
  EXPECT_NE(XmlParseMemory(number, text.data(), static_cast<int64_t>(text.size())), 0);
  return XmlGetStatus(number);
}

std::string Repeat(const std::string& part, size_t times) {
  std::string text;
  text.reserve(part.size() * times);
  for (size_t i = 0; i < times; ++i) text += part;
  return text;
}

class XmlHostileInputTest : public ::testing::Test {
 protected:
  void SetUp() override { XmlServiceInit(); }
  void TearDown() override { XmlFree(-1); }
};

TEST_F(XmlHostileInputTest, AMillionNestedElementsAreBuiltWalkedAndFreed) {
  constexpr size_t kDepth = 1000000;
  ASSERT_EQ(ParseInto(1, Repeat("<a>", kDepth) + Repeat("</a>", kDepth)), 0);
  const TreeShape shape = Inspect(XmlGetDocumentNode(1));
  EXPECT_EQ(shape.nodes, static_cast<int64_t>(kDepth) + 1);
  EXPECT_EQ(shape.depth, static_cast<int64_t>(kDepth));
  EXPECT_EQ(shape.brokenLinks, 0);
  XmlFree(1);
  EXPECT_EQ(XmlGetRoot(1), nullptr);
}

TEST_F(XmlHostileInputTest, DeepElementsLeftOpenByTheEndKeepTheirText) {
  constexpr size_t kDepth = 300000;
  EXPECT_NE(ParseInto(1, Repeat("<a>x", kDepth)), 0);
  const TreeShape shape = Inspect(XmlGetDocumentNode(1));
  EXPECT_EQ(shape.depth, static_cast<int64_t>(kDepth));
  EXPECT_EQ(shape.brokenLinks, 0);
  XmlNode* deepest = XmlGetRoot(1);
  while (XmlNodeFirstChild(deepest)) deepest = XmlNodeFirstChild(deepest);
  EXPECT_EQ(XmlNodeGetText(deepest), u"x");
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"x");
  // Replacing the document frees the open tree too.
  EXPECT_EQ(ParseInto(1, "<b/>"), 0);
}

TEST_F(XmlHostileInputTest, HugeAttributeValuesAndTextsAreKeptWhole) {
  const std::string value(20 << 20, 'v');
  const std::string text(5 << 20, 't');
  ASSERT_EQ(ParseInto(1, "<a big=\"" + value + "\" small=\"s\">" + text + "</a>"), 0);
  XmlNode* a = XmlGetRoot(1);
  EXPECT_EQ(XmlNodeGetAttribute(a, u"big").size(), value.size());
  EXPECT_EQ(XmlNodeGetAttribute(a, u"small"), u"s");
  EXPECT_EQ(XmlNodeGetText(a).size(), text.size());
  // Many attributes, beyond any small counter.
  std::string many = "<m";
  for (int i = 0; i < 70000; ++i) many += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  ASSERT_EQ(ParseInto(2, many + " ID=\"last\"/>"), 0);
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
    EXPECT_NE(ParseInto(1, text), 0) << text;
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
  ASSERT_EQ(ParseInto(1, declarations + "<bomb>&l9;</bomb>"), 0);
  EXPECT_EQ(XmlNodeGetText(XmlGetRoot(1)), u"&l9;");
  // In attribute values expat expands, and its amplification limit stops it.
  EXPECT_NE(ParseInto(2, declarations + "<bomb a=\"&l9;\"/>"), 0);
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
  ASSERT_EQ(ParseInto(1, seed), 0);
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
    ParseInto(1, noise);
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
