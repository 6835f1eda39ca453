// What it costs a download worker to find the row of its entry in a long list. Every
// look at a row from the worker's thread is carried out on the UI thread, so a scan
// from the top grows with the row's position; the entry's own row is looked at first.
// Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/app_worker_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app_state.h"
#include "bench_app.h"
#include "catalogue_items.h"
#include "download_worker.h"
#include "events.h"
#include "report_list.h"
#include "texts.h"

namespace {

// The main window on this (the UI) thread, with a list of `rows` checked rows whose
// last one is downloading.
class WorkerBench {
 public:
  WorkerBench() { BenchAppStart(); }

  void Fill(int64_t rows) {
    if (ListItemCount(kItemList) == rows) return;
    CatalogueItemsClear();
    ListRemoveAllItems(kItemList);
    ListSetRedraw(kItemList, 0);
    const Text queued = u"\n" + T(TextRole::SizePlaceholder) + u"\n" + T(TextRole::StatusTextDone);
    for (int64_t row = 0; row < rows; ++row) {
      const int64_t entry = CatalogueItemsAdd(u"name", u"http://127.0.0.1:1/x.jpg");
      ListAddItem(kItemList, -1, TextFromInt(row + 1) + u"\nname" + queued);
      ListSetItemValue(kItemList, row, entry);
      ListSetItemFlags(kItemList, row, kListItemChecked);
    }
    ListSetCellText(kItemList, rows - 1, T(TextRole::StatusTextDownloading), kColumnStatus);
    ListSetRedraw(kItemList, 1);
  }

  // Time for a worker thread to find the row of `entry`, while this thread serves it.
  double LookUp(int64_t entry, int64_t expectedRow, benchmark::State& state) {
    std::atomic<bool> done{false};
    int64_t found = -2;
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([&] {
      found = DownloadingRow(entry);
      done = true;
      EventPost(kFirstCustomEvent + 0x100);
    });
    while (!done) EventWait(20);
    worker.join();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (found != expectedRow) state.SkipWithError("the worker found another row");
    return took.count();
  }
};

WorkerBench& Bench() {
  static WorkerBench bench;
  return bench;
}

// range(0): rows in the list; range(1): 1 when the worker knows its entry, 0 when it
// has to scan (an entry that names no row).
void BM_WorkerFindsItsRow(benchmark::State& state) {
  const int64_t rows = state.range(0);
  Bench().Fill(rows);
  const int64_t entry = state.range(1) ? ListGetItemValue(kItemList, rows - 1) : 0;
  for (auto _ : state) state.SetIterationTime(Bench().LookUp(entry, rows - 1, state));
  EventDropQueued(-1, -1, -1, -1);
}
BENCHMARK(BM_WorkerFindsItsRow)
    ->Args({1000, 1})
    ->Args({1000, 0})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
