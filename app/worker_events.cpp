#include "worker_events.h"

#include <atomic>

#include "app_state.h"
#include "download_worker.h"
#include "events.h"
#include "gadgets.h"
#include "report_list.h"
#include "statusbar.h"
#include "texts.h"
#include "threads.h"
#include "toolbar.h"

namespace {

std::atomic<bool> workerPending{false};

bool IsChecked(int64_t row) { return (ListGetItemFlags(kItemList, row) & kListItemChecked) != 0; }

bool HasStatus(int64_t row, TextRole status) {
  return ListGetCellText(kItemList, row, kColumnStatus) == T(status);
}

bool IsQueued(int64_t row) { return IsChecked(row) && HasStatus(row, TextRole::StatusTextQueued); }

bool IsDownloading(int64_t row) {
  return IsChecked(row) && HasStatus(row, TextRole::StatusTextDownloading);
}

// First row from 0 for which the test holds, or -1.
int64_t FirstRow(bool (*test)(int64_t)) {
  int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row) {
    if (test(row)) return row;
  }
  return -1;
}

void SetStatus(int64_t row, TextRole status) {
  ListSetCellText(kItemList, row, T(status), kColumnStatus);
}

void SetStatusColour(int64_t row, uint32_t colour) {
  ListSetCellColor(kItemList, row, kListColourText, colour, kColumnStatus);
}

void ShowMessage(TextRole message) { StatusbarSetText(kMainStatusbar, kStatusField, T(message), 0); }

// The row is already marked downloading. A worker that cannot be started reports a
// failure like one that ran, so that the run goes on instead of waiting for ever.
void StartWorker(int64_t row) {
  workerPending = true;
  if (ThreadStart(DownloadWorker, ListGetItemValue(kItemList, row)) == 0) {
    EventPost(kEventEntryFailed);
  }
}

void EndRun() {
  DownloadActive = 0;
  SetControlState(kControlsIdle);
}

}  // namespace

int StartNextEntry() {
  workerPending = false;
  DownloadActive = 1;
  int64_t finished = FirstRow(IsDownloading);
  if (finished >= 0) SetStatus(finished, TextRole::StatusTextDone);
  int64_t next = FirstRow(IsQueued);
  if (next >= 0) {
    SetStatus(next, TextRole::StatusTextDownloading);
    StartWorker(next);
    return 0;
  }
  EndRun();
  ShowMessage(TextRole::RunFinishedMessage);
  return 0;
}

int EntryFailed() {
  workerPending = false;
  ShowMessage(TextRole::EntryFailedMessage);
  int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row) {
    if (!IsChecked(row)) continue;
    if (HasStatus(row, TextRole::StatusTextDownloading)) {
      SetStatusColour(row, kColourRed);
      SetStatus(row, TextRole::StatusTextFailed);
    }
    if (HasStatus(row, TextRole::StatusTextQueued)) {
      SetStatusColour(row, kColourBlue);
      SetStatus(row, TextRole::StatusTextDownloading);
      StartWorker(row);
      return 0;
    }
  }
  EndRun();
  return 0;
}

int RunStopped() {
  workerPending = false;
  GadgetSetValue(kFileProgressBar, 0);
  GadgetSetValue(kBatchProgressBar, 0);
  DownloadActive = 0;
  int64_t row = FirstRow(IsDownloading);
  if (row >= 0) {
    ListSetItemFlags(kItemList, row, ListGetItemFlags(kItemList, row) | kListItemChecked);
    SetStatusColour(row, kColourBlack);
    SetStatus(row, TextRole::StatusTextQueued);
  }
  return 0;
}

int SetControlState(int64_t mask) {
  ToolbarSetButtonDisabled(kMainToolbar, kClearButton, (mask & kControlClear) != 0);
  ToolbarSetButtonDisabled(kMainToolbar, kDownloadButton, (mask & kControlDownload) != 0);
  ToolbarSetButtonDisabled(kMainToolbar, kStopButton, (mask & kControlStop) != 0);
  GadgetSetDisabled(kSearchField, (mask & kControlSearchField) != 0);
  GadgetSetDisabled(kFolderButton, (mask & kControlFolderButton) != 0);
  GadgetSetDisabled(kFolderField, (mask & kControlFolderField) != 0);
  ToolbarInvalidate(kMainToolbar);
  SleepMs(100);
  return 0;
}

bool DownloadWorkerPending() { return workerPending; }
