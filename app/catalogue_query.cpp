#include "catalogue_query.h"

#include "app_state.h"
#include "catalogue_items.h"
#include "gadgets.h"
#include "http.h"
#include "item_rows.h"
#include "main_window.h"
#include "memory.h"
#include "report_list.h"
#include "statusbar.h"
#include "texts.h"
#include "xml_document.h"

namespace {

using R = TextRole;

constexpr int64_t kCataloguePrefixLength = 35;
constexpr int64_t kWrapperLength = 20;  // what the unwrapping drops, wherever the marker stood
constexpr int kDecodeUtf8 = 2;
constexpr int64_t kCatalogueDocument = 1;
constexpr int64_t kRowNumberWidth = 4;
// A longer answer is no catalogue of ours; the limit keeps a server from filling memory.
constexpr int64_t kCatalogueSizeLimit = int64_t{256} << 20;

Text Unwrapped(Text query) {
  if (TextFind(query, T(R::FirstWrapperMarker)) == 0) return query;
  query = TextMid(query, kWrapperLength + 1);
  if (TextFind(query, T(R::SecondWrapperMarker)) != 0) query = TextField(query, 2, T(R::WrapperSeparator));
  return query;
}

// The word as a number when it is written exactly as TextFromInt writes it.
bool CanonicalInteger(const Text& word, int64_t& value) {
  value = TextToInt(word);
  return TextFromInt(value) == word;
}

Text AddressOfNumberPair(Text query) {
  query = TextTrim(query);
  while (TextFind(query, T(R::DoubleSeparator)) != 0)
    query = TextReplace(query, T(R::DoubleSeparator), T(R::WordSeparator));
  const Text first = TextField(query, 1, T(R::WordSeparator));
  const Text second = TextField(query, 2, T(R::WordSeparator));
  int64_t a = 0;
  int64_t b = 0;
  if (!CanonicalInteger(first, a) || !CanonicalInteger(second, b)) return Text();
  const Text tail = first + T(R::PathSeparator) + second + T(R::TemplateSuffix);
  if (a >= 900 && a <= 926) return T(R::FirstTemplatePrefix) + tail;
  if (a == 365) return T(R::SecondTemplatePrefix) + tail;
  return Text();
}

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

// Walks the answer in document order and makes one row and record per entry.
class CatalogueWalk {
 public:
  void Root(const XmlNode* root) {
    for (const XmlNode* child = XmlNodeFirstChild(root); child; child = XmlNodeNextSibling(child)) {
      if (IsElementNamed(child, contextElement_))
        context_ = XmlNodeGetAttribute(child, T(R::ContextAttribute));
      else if (IsElementNamed(child, sectionElement_))
        Section(child);
    }
  }
  int64_t Rows() const { return rows_; }

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
    const Text name = OnOneLine(context_ + T(R::NameJoiner) + LastSegment(address));
    const int64_t handle = CatalogueItemsAdd(name, address);
    ++rows_;
    ListAddItem(kItemList, -1, RowNumberText(rows_) + T(R::RowOpening) + name + T(R::RowClosing));
    ListSetItemValue(kItemList, rows_ - 1, handle);
  }

  const Text& contextElement_ = T(R::ContextElement);
  const Text& sectionElement_ = T(R::SectionElement);
  const Text& groupElement_ = T(R::GroupElement);
  const Text& kindAttribute_ = T(R::KindAttribute);
  const Text& wantedKind_ = T(R::WantedKind);
  const Text& entryElement_ = T(R::EntryElement);
  const Text& sourceAttribute_ = T(R::SourceAttribute);
  Text context_;
  int64_t rows_ = 0;
};

bool ParseAnswer(const Text& address) {
  uint8_t* answer = FetchToMemoryBlock(address, 0, kDefaultUserAgent, kCatalogueSizeLimit);
  if (!answer) return false;
  const int64_t made = XmlParseMemory(kCatalogueDocument, answer, MemorySize(answer), 0);
  MemoryFree(answer);
  return made != 0;
}

void EmptyCatalogue() {
  RunRowsChangedFrom(0);
  CatalogueItemsClear();
  ListRemoveAllItems(kItemList);
}

bool FoundAt(const Text& address) {
  EmptyCatalogue();
  FillCatalogue(address);
  return CatalogueItemsCount() > 0;
}

}  // namespace

Text RowNumberText(int64_t number) {
  const Text digits = TextFromInt(number);
  if (TextLength(digits) >= kRowNumberWidth) return digits;
  return TextPadLeft(digits, kRowNumberWidth, T(R::PadCharacter));
}

Text CatalogueAddressOf(const Text& query) {
  const Text unwrapped = Unwrapped(query);
  if (TextLeft(unwrapped, kCataloguePrefixLength) == T(R::CataloguePrefix)) return unwrapped;
  return AddressOfNumberPair(unwrapped);
}

void FillCatalogue(const Text& address) {
  if (!ParseAnswer(address)) return;
  const XmlNode* root = XmlGetRoot(kCatalogueDocument);
  if (XmlGetStatus(kCatalogueDocument) != 0 || !root || XmlNodeGetName(root) != T(R::RootElement) ||
      XmlNodeChildCount(root) == 0) {
    XmlFree(kCatalogueDocument);
    return;
  }
  ListSetRedraw(kItemList, 0);
  CatalogueWalk walk;
  walk.Root(root);
  if (CatalogueItemsCount() > 0)
    StatusbarSetText(kMainStatusbar, kStatusField,
                     T(R::WordSeparator) + TextFromInt(CatalogueItemsCount()) + T(R::CountText), 0);
  FitNumberColumn();
  ListSetRedraw(kItemList, 1);
  XmlFree(kCatalogueDocument);
}

int RunCatalogueQuery() {
  if (GadgetFocused() != kSearchField) return 0;
  const Text query = UrlDecode(GadgetGetText(kSearchField), kDecodeUtf8);
  if (query.empty()) {
    ShowMessage(R::EmptyQueryMessage);
    return 0;
  }
  const Text address = CatalogueAddressOf(query);
  if (address.empty() || !FoundAt(address)) ShowMessage(R::NothingFoundMessage);
  return 0;
}
