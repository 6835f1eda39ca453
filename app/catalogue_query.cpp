#include "catalogue_query.h"

#include <utility>

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

namespace {

using R = TextRole;

constexpr int kDecodeUtf8 = 2;
constexpr int64_t kRowNumberWidth = 4;
// A longer answer is no catalogue of ours; the limit keeps a server from filling memory.
constexpr int64_t kCatalogueSizeLimit = int64_t{256} << 20;

// The entries of a catalogue answer; none when the answer is no catalogue. The answer is
// scanned rather than parsed into a tree, and let go of before any row is made, so that
// a long catalogue never has its text, a tree and its rows in memory at once.
CatalogueRecords ReadAnswer(const Text& address) {
  CatalogueRecords entries;
  uint8_t* answer = FetchToMemoryBlock(address, 0, kDefaultUserAgent, kCatalogueSizeLimit);
  if (!answer) return entries;
  const auto keep = [&entries](const Text& name, const Text& address) {
    entries.Add(name, address);
  };
  const bool isCatalogue = ScanCatalogue(answer, MemorySize(answer), keep);
  MemoryFree(answer);
  if (!isCatalogue) entries.Clear();
  return entries;
}

// Makes one row per record from `first` (a handle) on, numbered from 1.
void AddRows(int64_t first) {
  const int64_t count = CatalogueItemsCount() - first + 1;
  for (int64_t number = 1; number <= count; ++number) {
    const int64_t handle = first + number - 1;
    ListAddItem(kItemList, -1,
                RowNumberText(number) + T(R::RowOpening) + CatalogueItemsGet(handle).name +
                    T(R::RowClosing));
    ListSetItemValue(kItemList, number - 1, handle);
  }
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
  CatalogueRecords entries = ReadAnswer(address);
  if (entries.Count() == 0) return;
  ListSetRedraw(kItemList, 0);
  AddRows(CatalogueItemsAppend(std::move(entries)));
  StatusbarSetText(kMainStatusbar, kStatusField,
                   T(R::WordSeparator) + TextFromInt(CatalogueItemsCount()) + T(R::CountText), 0);
  FitNumberColumn();
  ListSetRedraw(kItemList, 1);
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
