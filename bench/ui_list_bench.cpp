// The report list under load: 100,000 rows added with the redraw switch off, then one
// repaint; and reading them back. Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/ui_list_bench
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "events.h"
#include "gadgets.h"
#include "report_list.h"
#include "toolkit.h"
#include "toolkit_windows.h"

namespace {

constexpr int64_t kRows = 100000;

// One visible window with a four-column checkbox list, made on first use.
void EnsureList() {
  static bool made = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "ui_list_bench";
    static char* argv[] = {name, nullptr};
    ToolkitInit(argc, argv);
    EventServiceInit();
    WindowServiceInit();
    GadgetServiceInit();
    WindowCreate(0, 0, 0, 640, 480, u"bench", 0xCF0000);
    GadgetCreateReportList(0, 0, 0, 640, 480, u"#", 56, 0x40010005);
    ListAddColumn(0, 1, u"Name", 180);
    ListAddColumn(0, 2, u"Size", 120);
    ListAddColumn(0, 3, u"Status", 120);
    return true;
  }();
  (void)made;
}

void Pump() {
  while (EventWait(0) != 0) {
  }
}

void BM_AddRowsWithRedrawOff(benchmark::State& state) {
  EnsureList();
  for (auto _ : state) {
    ListRemoveAllItems(0);
    Pump();
    ListSetRedraw(0, 0);
    for (int64_t i = 1; i <= kRows; ++i)
      ListAddItem(0, -1,
                  TextPadLeft(TextFromInt(i), 4, u" ") + u"\nAlbum - picture_" + TextFromInt(i) +
                      u".jpg\n-\nqueued");
    ListSetRedraw(0, 1);
    Pump();  // the one layout and repaint
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AddRowsWithRedrawOff)->Unit(benchmark::kMillisecond);

void BM_ScanRowsFlagsAndStatus(benchmark::State& state) {
  EnsureList();
  if (ListItemCount(0) != kRows) {
    ListRemoveAllItems(0);
    for (int64_t i = 1; i <= kRows; ++i) ListAddItem(0, -1, u"n\nname\n-\nqueued");
    Pump();
  }
  for (auto _ : state) {
    int64_t queued = 0;
    for (int64_t row = 0; row < kRows; ++row)
      queued += (ListGetItemFlags(0, row) & 2) == 0 && ListGetCellText(0, row, 3) == u"queued";
    benchmark::DoNotOptimize(queued);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ScanRowsFlagsAndStatus)->Unit(benchmark::kMillisecond);

void BM_WriteFlagsToEveryRow(benchmark::State& state) {
  EnsureList();
  for (auto _ : state) {
    ListSetRedraw(0, 0);
    for (int64_t row = 0; row < ListItemCount(0); ++row) ListSetItemFlags(0, row, 2);
    for (int64_t row = 0; row < ListItemCount(0); ++row) ListSetItemFlags(0, row, 0);
    ListSetRedraw(0, 1);
    Pump();
  }
}
BENCHMARK(BM_WriteFlagsToEveryRow)->Unit(benchmark::kMillisecond);

}  // namespace
