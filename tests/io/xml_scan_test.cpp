// The one-pass scan tells its reader of the nodes a parsed document would hold.
#include "xml_scan.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <new>
#include <string>

namespace {

// Writes what it is told as "<name attribute=value>", ">" for an end and "*" for any
// other node; throws at the element named "boom".
class Recorder final : public XmlScanReader {
 public:
  void ElementStart(TextView name, const XmlScanAttributes& attributes) override {
    if (name == u"boom") throw std::bad_alloc();
    log += u"<" + Text(name) + u" a=" + attributes.Get(u"a") + u">";
  }
  void ElementEnd() override { log += u">"; }
  void OtherNode() override { log += u"*"; }
  Text log;
};

TEST(XmlScan, TellsElementsAttributesAndOtherNodesInDocumentOrder) {
  const struct {
    std::string xml;
    int64_t status;
    Text log;
  } cases[] = {
      {"<?xml version=\"1.0\"?><!-- before --><r a=\"1\" b=\"2\">text<c A=\"no\" a=\"x&amp;y\"/>"
       "<!-- c --><![CDATA[d]]><?p i?><\xC3\xA9 a=\"\xE6\x97\xA5\"/></r>",
       0, u"*<r a=1><c a=x&y>>***<\u00e9 a=\u65e5>>>"},
      {"<!DOCTYPE r [<!ENTITY e \"<c/>\">]><r>&e;</r>", 0, u"<r a=>>"},
      {"<r><c></r>", XML_ERROR_TAG_MISMATCH, u"<r a=><c a=>"},
      {"<r><boom><c/></boom></r>", XML_ERROR_NO_MEMORY, u"<r a=>"},
      {"", XML_ERROR_NO_ELEMENTS, u""},
  };
  for (const auto& c : cases) {
    Recorder recorder;
    EXPECT_EQ(XmlScanMemory(c.xml.data(), static_cast<int64_t>(c.xml.size()), recorder), c.status)
        << c.xml;
    EXPECT_EQ(recorder.log, c.log) << c.xml;
  }
}

}  // namespace
