#include "worker_events.h"

#include <atomic>

#include "app_state.h"
#include "download_worker.h"
#include "events.h"
#include "gadgets.h"
#include "item_rows.h"
#include "report_list.h"
#include "texts.h"
#include "threads.h"
#include "toolbar.h"

namespace {

std::atomic<bool> workerPending{false};

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
  int64_t finished = FirstRunRow(TextRole::StatusTextDownloading);
  if (finished >= 0) SetRowStatus(finished, TextRole::StatusTextDone);
  int64_t next = FirstRunRow(TextRole::StatusTextQueued);
  if (next >= 0) {
    SetRowStatus(next, TextRole::StatusTextDownloading);
    RunCursorAt(next);
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
  // As one pass over the checked rows would: every downloading row before the first
  // queued one fails, and that queued row starts.
  const int64_t next = FirstRunRow(TextRole::StatusTextQueued);
  for (int64_t row = FirstRunRow(TextRole::StatusTextDownloading); row >= 0 && (next < 0 || row < next);
       row = FirstRunRow(TextRole::StatusTextDownloading, row + 1)) {
    SetRowStatusColour(row, kColourRed);
    SetRowStatus(row, TextRole::StatusTextFailed);
  }
  if (next >= 0) {
    SetRowStatusColour(next, kColourBlue);
    SetRowStatus(next, TextRole::StatusTextDownloading);
    RunCursorAt(next);
    StartWorker(next);
    return 0;
  }
  EndRun();
  return 0;
}

int RunStopped() {
  workerPending = false;
  ResetProgressBars();
  DownloadActive = 0;
  int64_t row = FirstRunRow(TextRole::StatusTextDownloading);
  if (row >= 0) {
    ListSetItemFlags(kItemList, row, ListGetItemFlags(kItemList, row) | kListItemChecked);
    SetRowStatusColour(row, kColourBlack);
    SetRowStatus(row, TextRole::StatusTextQueued);
  }
  // The stop command kept the download button disabled until now.
  ToolbarSetButtonDisabled(kMainToolbar, kDownloadButton, 0);
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

void WorkerEventsReset() {
  workerPending = false;
  RunRowsChangedFrom(0);
}
