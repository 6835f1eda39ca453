#pragma once
// The application's globals and the fixed numbers of its main window.
//
// Thread safety: DownloadActive, StopRequested and ShutdownRequested are read and written
// by the UI thread and the workers without locks, hence atomic. ProgramFolder and DownloadFolder are
// written on the UI thread only (at start-up and by the folder command, which is
// disabled during a run) and read by the download worker.
#include <atomic>
#include <cstdint>

#include "text.h"

extern Text ProgramFolder;   // the program's own folder, with a trailing separator
extern Text DownloadFolder;  // where downloads go, with a trailing separator
extern std::atomic<int64_t> DownloadActive;  // 1 while a download run is in progress
extern std::atomic<int64_t> StopRequested;   // 1 once the user pressed stop
extern std::atomic<int64_t> ShutdownRequested;  // 1 once the main window was closed

// Zeroes the globals (start-up step one); the folders become empty.
void AppStateReset();

// Numbered objects.
constexpr int64_t kMainWindow = 0;
constexpr int64_t kMainToolbar = 0;
constexpr int64_t kMainStatusbar = 0;
constexpr int64_t kStatusField = 0;  // field 0 of the status bar: the messages

constexpr int64_t kItemList = 0;
constexpr int64_t kSearchField = 1;
constexpr int64_t kToolbarDivider = 2;
constexpr int64_t kFolderButton = 3;
constexpr int64_t kFolderField = 4;
constexpr int64_t kProgressPanel = 5;
constexpr int64_t kFileProgressBar = 6;
constexpr int64_t kBatchProgressBar = 7;

constexpr int64_t kListPopupMenu = 4;
constexpr int64_t kStopImage = 0;
constexpr int64_t kMarkFont = 1;

// Toolbar buttons (they raise the menu items of the same number).
constexpr int64_t kClearButton = 0;
constexpr int64_t kDownloadButton = 1;
constexpr int64_t kStopButton = 2;

// Menu items: toolbar buttons, shortcuts and popup menu items.
constexpr int64_t kMenuClear = 0;
constexpr int64_t kMenuDownload = 1;
constexpr int64_t kMenuStop = 2;
constexpr int64_t kMenuSearch = 3;  // Return
constexpr int64_t kMenuCheckSelected = 5;
constexpr int64_t kMenuCheckAll = 6;
constexpr int64_t kMenuUncheckAll = 7;
constexpr int64_t kMenuInvertChecks = 8;
constexpr int64_t kMenuSizeOfEntry = 9;
constexpr int64_t kMenuSizeOfSelected = 10;
constexpr int64_t kMenuSizeOfAll = 11;
constexpr int64_t kMenuRequeueFailed = 12;
constexpr int64_t kMenuResetAll = 13;
constexpr int64_t kMenuSelectAll = 14;  // Control+A

// Columns of the item list.
enum ListColumn : int64_t {
  kColumnNumber = 0,
  kColumnName = 1,
  kColumnSize = 2,
  kColumnStatus = 3,
};

// Custom events posted by the download worker.
constexpr int32_t kEventEntryDone = 0x10000;
constexpr int32_t kEventEntryFailed = 0x10001;
constexpr int32_t kEventEntryAborted = 0x10002;

// Status cell text colours (red in the low byte).
constexpr uint32_t kColourBlack = 0;
constexpr uint32_t kColourRed = 0x0000FF;
constexpr uint32_t kColourBlue = 0xFF0000;
// The control state masks live with SetControlState (worker_events.h).
