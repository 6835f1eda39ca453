#include "catalogue_query.h"

#include "app_state.h"
#include "catalogue_address.h"
#include "catalogue_items.h"
#include "catalogue_walk.h"
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

constexpr int kDecodeUtf8 = 2;
constexpr int64_t kCatalogueDocument = 1;
constexpr int64_t kRowNumberWidth = 4;
// A longer answer is no catalogue of ours; the limit keeps a server from filling memory.
constexpr int64_t kCatalogueSizeLimit = int64_t{256} << 20;

// Makes one row and one record per entry of the walk.
class CatalogueRows {
 public:
  void Add(const Text& name, const Text& address) {
    const int64_t handle = CatalogueItemsAdd(name, address);
    ++rows_;
    ListAddItem(kItemList, -1, RowNumberText(rows_) + T(R::RowOpening) + name + T(R::RowClosing));
    ListSetItemValue(kItemList, rows_ - 1, handle);
  }

 private:
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

void FillCatalogue(const Text& address) {
  if (!ParseAnswer(address)) return;
  const XmlNode* root = XmlGetRoot(kCatalogueDocument);
  if (XmlGetStatus(kCatalogueDocument) != 0 || !IsCatalogueRoot(root)) {
    XmlFree(kCatalogueDocument);
    return;
  }
  ListSetRedraw(kItemList, 0);
  CatalogueRows rows;
  WalkCatalogue(root, [&rows](const Text& name, const Text& address) { rows.Add(name, address); });
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
