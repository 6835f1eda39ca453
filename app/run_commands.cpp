#include "run_commands.h"

#include "app_state.h"
#include "catalogue_items.h"
#include "gadgets.h"
#include "item_rows.h"
#include "report_list.h"
#include "requesters.h"
#include "size_query.h"
#include "texts.h"
#include "threads.h"
#include "worker_events.h"

namespace {

// Rows beyond the last record do not count.
int64_t CountQueuedCheckedRows() {
  return ListCountCheckedItems(kItemList, CatalogueItemsCount(), kColumnStatus,
                               T(TextRole::StatusTextQueued));
}

// The row the single-entry size command measures: the one the popup was opened on (a
// right click focuses and selects it), else the first selected one, else row 0; -1 in an
// empty list.
int64_t RowToMeasure() {
  int64_t focused = ListGetFocusedRow(kItemList);
  if (focused >= 0 && (ListGetItemFlags(kItemList, focused) & kListItemSelected)) return focused;
  int64_t selected = GadgetGetValue(kItemList);
  if (selected >= 0) return selected;
  return ListItemCount(kItemList) > 0 ? 0 : -1;
}

}  // namespace

int CommandDownload() {
  // Right after a stop the stopped worker may still be winding down; a second worker
  // now would share its file and picture and could save its data under the wrong row.
  if (DownloadWorkerPending()) return 0;
  ShowMessage(TextRole::NeutralText);
  int64_t count = CountQueuedCheckedRows();
  GadgetSetValue(kBatchProgressBar, 0);
  GadgetSetProperty(kBatchProgressBar, kProgressMaximum, count + 1);
  if (count == 0) return 0;
  SetControlState(kControlsRunning);
  RunRowsChangedFrom(0);
  DownloadActive = 1;
  StopRequested = 0;
  ShowMessage(TextRole::DownloadRunningMessage);
  StartNextEntry();
  return 0;
}

int CommandStop() {
  StopRequested = 1;
  DownloadActive = 0;
  // The stopped worker may take a moment to wind down, and a run cannot start before it
  // has: the download button waits for RunStopped instead of ignoring presses.
  SetControlState(DownloadWorkerPending() ? kControlsIdle | kControlDownload : kControlsIdle);
  return 0;
}

int CommandSizeOfEntry() {
  int64_t row = RowToMeasure();
  int64_t size = row < 0 ? 0 : QueryEntrySize(ListGetItemValue(kItemList, row));
  Text message = size > 0 ? T(TextRole::SizeMessagePrefix) + FormatSize(size, 1) +
                                 T(TextRole::SizeMessageSuffix)
                           : T(TextRole::SizeUnknownText);
  ShowMessageBox(T(TextRole::SizeMessageTitle), message, kMessageInformation);
  return 0;
}

int CommandSizeOfSelected() {
  ThreadStart(SelectedSizeWorker, 0);
  return 0;
}

int CommandSizeOfAll() {
  ThreadStart(AllSizeWorker, 0);
  return 0;
}
