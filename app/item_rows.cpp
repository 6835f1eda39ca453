#include "item_rows.h"

#include <algorithm>

#include "app_state.h"
#include "gadgets.h"
#include "report_list.h"
#include "statusbar.h"

bool RowIsChecked(int64_t row) { return (ListGetItemFlags(kItemList, row) & kListItemChecked) != 0; }

bool RowHasStatus(int64_t row, TextRole status) {
  return ListGetCellText(kItemList, row, kColumnStatus) == T(status);
}

bool RowIsDownloading(int64_t row) {
  return RowIsChecked(row) && RowHasStatus(row, TextRole::StatusTextDownloading);
}

namespace {

int64_t runCursor = 0;

}  // namespace

int64_t FirstRow(bool (*test)(int64_t row)) {
  const int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row)
    if (test(row)) return row;
  return -1;
}

int64_t FirstRunRow(TextRole status, int64_t from) {
  return ListFindCheckedItem(kItemList, from < 0 ? runCursor : from, kColumnStatus, T(status));
}

void RunCursorAt(int64_t row) { runCursor = row; }

void RunRowsChangedFrom(int64_t row) { runCursor = std::clamp<int64_t>(row, 0, runCursor); }

void SetRowStatus(int64_t row, TextRole status) {
  ListSetCellText(kItemList, row, T(status), kColumnStatus);
}

void SetRowStatusColour(int64_t row, uint32_t colour) {
  ListSetCellColor(kItemList, row, kListColourText, colour, kColumnStatus);
}

void ShowMessage(TextRole message) { StatusbarSetText(kMainStatusbar, kStatusField, T(message), 0); }

void ResetProgressBars() {
  GadgetSetValue(kFileProgressBar, 0);
  GadgetSetValue(kBatchProgressBar, 0);
}
