#include "catalogue_walk.h"

#include <vector>

#include "texts.h"
#include "xml_document.h"
#include "xml_scan.h"

namespace {

using R = TextRole;

Text LastSegment(const Text& address) {
  const size_t separator = address.rfind(T(R::PathSeparator));
  return separator == Text::npos ? address : address.substr(separator + 1);
}

// The list splits a row's text into cells at line feeds, so a name must not hold one.
Text OnOneLine(Text name) {
  for (char16_t& unit : name)
    if (unit == u'\n' || unit == u'\r') unit = u' ';
  return name;
}

// Reads the nodes in document order: the context elements and sections under the root,
// the wanted groups in a section, and the first child of each entry in such a group.
class CatalogueReader final : public XmlScanReader {
 public:
  explicit CatalogueReader(const CatalogueEntrySink& sink) : sink_(sink) {}

  void ElementStart(TextView name, const XmlScanAttributes& attributes) override {
    ElementStart(name, [&attributes](TextView attribute) { return attributes.Get(attribute); });
  }

  template <class Attribute>
  void ElementStart(TextView name, const Attribute& attribute) {
    Level level = Level::kOther;
    switch (open_.empty() ? Level::kNone : open_.back()) {
      case Level::kNone:
        if (name == T(R::RootElement)) level = Level::kRoot;
        isCatalogue_ = level == Level::kRoot;
        break;
      case Level::kRoot:
        rootHasChild_ = true;
        if (name == T(R::ContextElement)) context_ = attribute(T(R::ContextAttribute));
        else if (name == T(R::SectionElement)) level = Level::kSection;
        break;
      case Level::kSection:
        if (name == T(R::GroupElement) && attribute(T(R::KindAttribute)) == T(R::WantedKind))
          level = Level::kGroup;
        break;
      case Level::kGroup:
        if (name == T(R::EntryElement)) level = Level::kEntry;
        break;
      case Level::kEntry:
        Entry(attribute(T(R::SourceAttribute)));
        break;
      case Level::kOther:
        break;
    }
    open_.push_back(level);
  }

  void ElementEnd() override {
    if (!open_.empty()) open_.pop_back();
  }

  // A node without attributes: under an entry its address is empty.
  void OtherNode() override {
    if (open_.empty()) return;
    if (open_.back() == Level::kRoot) rootHasChild_ = true;
    if (open_.back() == Level::kEntry) Entry(Text());
  }

  bool IsCatalogue() const { return isCatalogue_ && rootHasChild_; }

 private:
  enum class Level { kNone, kRoot, kSection, kGroup, kEntry, kOther };

  // Only an entry's first child counts; the entry is done with once it is read.
  void Entry(const Text& address) {
    open_.back() = Level::kOther;
    sink_(OnOneLine(context_ + T(R::NameJoiner) + LastSegment(address)), address);
  }

  const CatalogueEntrySink& sink_;
  std::vector<Level> open_;  // the open elements, innermost last
  Text context_;
  bool isCatalogue_ = false;
  bool rootHasChild_ = false;
};

// Tells the reader of every node under and including `root`, without recursion, so that
// deep trees cannot exhaust the stack.
void ReadTree(const XmlNode* root, CatalogueReader& reader) {
  const XmlNode* node = root;
  while (node) {
    if (XmlNodeGetKind(node) != kXmlElement) {
      reader.OtherNode();
    } else {
      reader.ElementStart(XmlNodeGetName(node),
                          [node](TextView name) { return XmlNodeGetAttribute(node, name); });
      if (const XmlNode* child = XmlNodeFirstChild(node)) {
        node = child;
        continue;
      }
      reader.ElementEnd();
    }
    // Up until a node has a next sibling, closing the elements left.
    while (node != root && !XmlNodeNextSibling(node)) {
      node = XmlNodeParent(node);
      reader.ElementEnd();
    }
    node = node == root ? nullptr : XmlNodeNextSibling(node);
  }
}

}  // namespace

bool IsCatalogueRoot(const XmlNode* root) {
  return root && XmlNodeGetName(root) == T(R::RootElement) && XmlNodeChildCount(root) > 0;
}

void WalkCatalogue(const XmlNode* root, const CatalogueEntrySink& sink) {
  if (!root) return;
  CatalogueReader reader(sink);
  ReadTree(root, reader);
}

bool ScanCatalogue(const void* data, int64_t length, const CatalogueEntrySink& sink) {
  CatalogueReader reader(sink);
  return XmlScanMemory(data, length, reader) == 0 && reader.IsCatalogue();
}
