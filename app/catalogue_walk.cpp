#include "catalogue_walk.h"

#include "texts.h"
#include "xml_document.h"

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

bool IsElementNamed(const XmlNode* node, const Text& name) {
  return XmlNodeGetKind(node) == kXmlElement && XmlNodeGetName(node) == name;
}

class CatalogueWalk {
 public:
  explicit CatalogueWalk(const CatalogueEntrySink& sink) : sink_(sink) {}

  void Root(const XmlNode* root) {
    for (const XmlNode* child = XmlNodeFirstChild(root); child; child = XmlNodeNextSibling(child)) {
      if (IsElementNamed(child, contextElement_))
        context_ = XmlNodeGetAttribute(child, T(R::ContextAttribute));
      else if (IsElementNamed(child, sectionElement_))
        Section(child);
    }
  }

 private:
  void Section(const XmlNode* section) {
    for (const XmlNode* group = XmlNodeFirstChild(section); group; group = XmlNodeNextSibling(group))
      if (IsElementNamed(group, groupElement_) && XmlNodeGetAttribute(group, kindAttribute_) == wantedKind_)
        Group(group);
  }

  void Group(const XmlNode* group) {
    for (const XmlNode* entry = XmlNodeFirstChild(group); entry; entry = XmlNodeNextSibling(entry))
      if (IsElementNamed(entry, entryElement_) && XmlNodeChildCount(entry) > 0)
        Entry(XmlNodeGetAttribute(XmlNodeFirstChild(entry), sourceAttribute_));
  }

  void Entry(const Text& address) {
    sink_(OnOneLine(context_ + T(R::NameJoiner) + LastSegment(address)), address);
  }

  const CatalogueEntrySink& sink_;
  const Text& contextElement_ = T(R::ContextElement);
  const Text& sectionElement_ = T(R::SectionElement);
  const Text& groupElement_ = T(R::GroupElement);
  const Text& kindAttribute_ = T(R::KindAttribute);
  const Text& wantedKind_ = T(R::WantedKind);
  const Text& entryElement_ = T(R::EntryElement);
  const Text& sourceAttribute_ = T(R::SourceAttribute);
  Text context_;
};

}  // namespace

bool IsCatalogueRoot(const XmlNode* root) {
  return root && XmlNodeGetName(root) == T(R::RootElement) && XmlNodeChildCount(root) > 0;
}

void WalkCatalogue(const XmlNode* root, const CatalogueEntrySink& sink) {
  CatalogueWalk(sink).Root(root);
}
