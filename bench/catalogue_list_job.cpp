// The catalogue query after the address is known: fetch the answer, parse it and list
// every entry (one row and one record each) in the main window.
//   catalogue_list_job ADDRESS EXPECTED_ENTRIES
// Prints the line of job_clock.h (the window is made before the clock starts) with
// resident_growth_kib, what stays resident after the fill; fails
// unless EXPECTED_ENTRIES rows were listed.
#include <string>

#include "app_state.h"
#include "bench_app.h"
#include "catalogue_items.h"
#include "catalogue_query.h"
#include "job_clock.h"
#include "report_list.h"

int main(int argc, char** argv) {
  if (argc != 3) return JobFailed(argv[0], "usage: ADDRESS EXPECTED_ENTRIES");
  BenchAppStart();
  const Text address = TextFromUtf8(argv[1]);
  const long long expected = std::stoll(argv[2]);

  const long residentBefore = ResidentKib();
  JobClock clock;
  FillCatalogue(address);
  clock.Report("resident_growth_kib=" + std::to_string(ResidentKib() - residentBefore));
  const int64_t rows = ListItemCount(kItemList);
  if (rows != expected || CatalogueItemsCount() != expected)
    return JobFailed(argv[0], "listed " + std::to_string(rows) + " rows, expected " + argv[2]);
  return 0;
}
