// Every list command on a big list, inside a running program: the fill of the query, then
// each command of the list once, as its menu runs it, with the events it leaves for the
// window served before the clock stops. Closing is the program's own ending: the workers
// stopped, the window and services released.
//   big_list_job ADDRESS EXPECTED_ENTRIES FOLDER/
// Prints one line per command, "command=NAME seconds=S", then the fill's line of
// job_clock.h (its peak is the fill's) with rows=N, resident_growth_kib (the resident size
// after the fill less that before it) and job_peak_kib (the whole job's peak). Fails unless
// every command left the rows as it must.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "app_state.h"
#include "bench_app.h"
#include "catalogue_items.h"
#include "catalogue_query.h"
#include "events.h"
#include "gadgets.h"
#include "item_rows.h"
#include "job_clock.h"
#include "list_commands.h"
#include "report_list.h"
#include "run_commands.h"
#include "startup.h"
#include "threads.h"
#include "toolkit_windows.h"
#include "worker_events.h"

namespace {

using Clock = std::chrono::steady_clock;
using R = TextRole;

constexpr int64_t kStopBoundMs = 10000;

void ServePendingEvents() {
  while (EventWait(0) != 0) {
  }
}

void Timed(const char* name, const std::function<void()>& command) {
  const Clock::time_point start = Clock::now();
  command();
  ServePendingEvents();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("command=%s seconds=%.6f\n", name, seconds);
  std::fflush(stdout);
}

// How many rows pass `test`.
template <class Test>
int64_t RowsWhere(Test test) {
  int64_t count = 0;
  for (int64_t row = 0, rows = ListItemCount(kItemList); row < rows; ++row)
    count += test(row) ? 1 : 0;
  return count;
}

// How many rows have every bit of `flags` set.
int64_t RowsWith(int64_t flags) {
  return RowsWhere(
      [flags](int64_t row) { return (ListGetItemFlags(kItemList, row) & flags) == flags; });
}

int64_t RowsWithStatus(R status) {
  return RowsWhere([status](int64_t row) { return RowHasStatus(row, status); });
}

// Serves the UI thread until the run or the totals have stopped.
void StopAndWait() {
  CommandStop();
  while (DownloadActive != 0 || DownloadWorkerPending()) EventWait(20);
  ThreadWaitAll(kStopBoundMs);
  ServePendingEvents();
  StopRequested = 0;
}

struct Check {
  const char* what;
  int64_t got, wanted;
};

bool AllHold(const char* program, std::initializer_list<Check> checks) {
  bool held = true;
  for (const Check& check : checks)
    if (check.got != check.wanted) {
      JobFailed(program, std::string(check.what) + ": " + std::to_string(check.got) +
                             ", expected " + std::to_string(check.wanted));
      held = false;
    }
  return held;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return JobFailed(argv[0], "usage: ADDRESS EXPECTED_ENTRIES FOLDER/");
  BenchAppStartForRuns(TextFromUtf8(argv[3]));
  WindowSetHidden(kMainWindow, 0, 0);
  ServePendingEvents();
  const Text address = TextFromUtf8(argv[1]);
  const int64_t n = std::stoll(argv[2]);

  const long residentBefore = ResidentKib();
  JobClock clock;
  FillCatalogue(address);
  ServePendingEvents();
  const double fillSeconds = clock.Seconds();
  const long residentGrowth = ResidentKib() - residentBefore;
  const long fillPeak = PeakKib();
  if (ListItemCount(kItemList) != n || CatalogueItemsCount() != n)
    return JobFailed(argv[0], "listed " + std::to_string(ListItemCount(kItemList)) + " rows");
  std::printf("command=fill seconds=%.6f\n", fillSeconds);

  GadgetSetFocus(kItemList);
  ServePendingEvents();
  if (GadgetFocused() != kItemList) return JobFailed(argv[0], "the list took no focus");
  Timed("select-all", CommandSelectAll);
  if (!AllHold(argv[0], {{"selected after select all", RowsWith(kListItemSelected), n}}))
    return 1;
  Timed("check-selected", CommandCheckSelected);
  Timed("uncheck-all", CommandUncheckAll);
  Timed("check-all", CommandCheckAll);
  Timed("invert-all", CommandInvertChecks);
  if (!AllHold(argv[0], {{"checked after invert", RowsWith(kListItemChecked), 0}})) return 1;
  for (int64_t row = 0; row < n; row += 10) SetRowStatus(row, R::StatusTextFailed);
  Timed("requeue-failed", CommandRequeueFailed);
  if (!AllHold(argv[0], {{"checked after requeue", RowsWith(kListItemChecked), (n + 9) / 10},
                         {"failed after requeue", RowsWithStatus(R::StatusTextFailed), 0}}))
    return 1;
  Timed("reset-all", CommandResetAll);
  CommandCheckAll();  // a run and a total of every row
  ServePendingEvents();
  Timed("size-total-start", CommandSizeOfAll);
  StopAndWait();
  Timed("download-start", CommandDownload);
  StopAndWait();
  Timed("clear", CommandClear);
  if (!AllHold(argv[0], {{"rows after clear", ListItemCount(kItemList), 0}})) return 1;

  FillCatalogue(address);
  ServePendingEvents();
  ThreadWaitAll(kStopBoundMs);  // the totals' workers may still be winding down
  Timed("close", [] {
    StopWorkers(kStopBoundMs);
    StopServices();
    CatalogueItemsClear();
  });
  // The fill's figures last, with the whole job's peak.
  std::printf(
      "seconds=%.6f peak_kib=%ld growth_kib=%ld rows=%lld resident_growth_kib=%ld job_peak_kib=%ld\n",
      fillSeconds, fillPeak, fillPeak - residentBefore, static_cast<long long>(n), residentGrowth,
      PeakKib());
  return 0;
}
