// A download run over every entry of a catalogue, through the application's own run:
// the download command, the worker per entry (size query, fetch, check, save, mark) and
// the event handlers that move from row to row.
//   picture_run_job CATALOGUE_ADDRESS FOLDER/ [CA_FILE]
// Prints the line of job_clock.h plus the entries done; fails unless every entry is done.
#include <string>

#include "bench_app.h"
#include "http.h"
#include "job_clock.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return JobFailed(argv[0], "usage: CATALOGUE_ADDRESS FOLDER/ [CA_FILE]");
  if (argc == 4) FetchSetCaFile(TextFromUtf8(argv[3]));
  const int64_t rows = BenchAppPrepareRun(TextFromUtf8(argv[1]), TextFromUtf8(argv[2]), 0);
  if (rows == 0) return JobFailed(argv[0], "the catalogue listed nothing");

  JobClock clock;
  const int64_t done = BenchAppRunDownloads();
  clock.Report("entries=" + std::to_string(done));
  if (done != rows)
    return JobFailed(argv[0],
                     std::to_string(done) + " of " + std::to_string(rows) + " entries done");
  return 0;
}
