#pragma once
// The handlers of the download worker's events, which drive a download run from row to
// row, and the enabled state of the toolbar controls.
//
// Thread safety: UI thread only (the event dispatch calls the handlers there).
#include <cstdint>

// ControlStateMask bits: a set bit disables the control, a clear bit enables it.
constexpr int64_t kControlStop = 1;          // toolbar button 2
constexpr int64_t kControlFolderField = 2;   // gadget 4
constexpr int64_t kControlFolderButton = 4;  // gadget 3
constexpr int64_t kControlSearchField = 8;   // gadget 1
constexpr int64_t kControlDownload = 16;     // toolbar button 1
constexpr int64_t kControlClear = 32;        // toolbar button 0
// Masks in use.
constexpr int64_t kControlsRunning = 62;  // only stop enabled
constexpr int64_t kControlsIdle = 1;      // everything but stop enabled
constexpr int64_t kControlsCleared = 17;  // download and stop disabled

// EventEntryDone, and the start of a run: the downloading row becomes done, the next
// queued checked row starts downloading; with none left the run ends.
int StartNextEntry();
// EventEntryFailed: the downloading row becomes failed (red), the next queued checked
// row starts downloading (blue); with none left the run ends.
int EntryFailed();
// EventEntryAborted: both bars 0, the run inactive, the downloading row queued again,
// and the download button (held back by the stop command) enabled.
int RunStopped();
// Applies a ControlStateMask, repaints the toolbar and pauses 100 ms.
int SetControlState(int64_t mask);

// True from the start of a download worker until one of the handlers above has taken
// its event: a stopped worker may still be running after the stop command returned.
bool DownloadWorkerPending();
// Start-up: no worker pending and the run's scans from row 0 (a worker stopped at the
// previous close never had its event handled).
void WorkerEventsReset();
