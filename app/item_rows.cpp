#include "item_rows.h"

#include "app_state.h"
#include "gadgets.h"
#include "report_list.h"
#include "statusbar.h"

bool RowIsChecked(int64_t row) { return (ListGetItemFlags(kItemList, row) & kListItemChecked) != 0; }

bool RowHasStatus(int64_t row, TextRole status) {
  return ListGetCellText(kItemList, row, kColumnStatus) == T(status);
}

bool RowIsQueued(int64_t row) { return RowIsChecked(row) && RowHasStatus(row, TextRole::StatusTextQueued); }

bool RowIsDownloading(int64_t row) {
  return RowIsChecked(row) && RowHasStatus(row, TextRole::StatusTextDownloading);
}

int64_t FirstRow(bool (*test)(int64_t row)) {
  const int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row)
    if (test(row)) return row;
  return -1;
}

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
