#include "bench_app.h"

#include <cstdlib>

#include "app_state.h"
#include "catalogue_query.h"
#include "events.h"
#include "fonts.h"
#include "images.h"
#include "item_rows.h"
#include "main_window.h"
#include "report_list.h"
#include "run_commands.h"
#include "startup.h"
#include "texts.h"
#include "worker_events.h"

namespace {

constexpr int64_t kMarkFontPoints = 216;
constexpr uint32_t kServeMs = 20;

}  // namespace

void BenchAppStart() {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // Windows draws its hidden window anyway
#endif
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  StartServices(argc, argv);
  TextsLoad(TextTable::BuiltIn());
  BuildMainWindow();
}

void BenchAppStartForRuns(const Text& folder) {
  BenchAppStart();
  ImageRegisterJpeg();
  FontLoad(kMarkFont, T(TextRole::FontFace), kMarkFontPoints, kFontBold);
  EventBind(kEventEntryDone, &StartNextEntry);
  EventBind(kEventEntryFailed, &EntryFailed);
  EventBind(kEventEntryAborted, &RunStopped);
  DownloadFolder = folder;
}

int64_t BenchAppPrepareRun(const Text& address, const Text& folder, int64_t runRows) {
  BenchAppStartForRuns(folder);
  FillCatalogue(address);
  const int64_t rows = ListItemCount(kItemList);
  if (runRows == 0) runRows = rows;
  if (runRows < 1 || rows < runRows) return 0;
  for (int64_t row = rows - runRows; row < rows; ++row)
    ListSetItemFlags(kItemList, row, kListItemChecked);
  return runRows;
}

int64_t BenchAppRunDownloads() {
  CommandDownload();
  while (DownloadActive != 0 || DownloadWorkerPending()) EventWait(kServeMs);
  int64_t done = 0;
  for (int64_t row = 0, rows = ListItemCount(kItemList); row < rows; ++row)
    done += RowHasStatus(row, TextRole::StatusTextDone) ? 1 : 0;
  return done;
}
