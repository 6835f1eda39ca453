// How long the UI thread stays deaf during a download run at the end of a long list: a
// 5 ms repeating timer on the UI thread, and how much later than due it fires.
//   ui_stall_job CATALOGUE_ADDRESS FOLDER/ RUN_ROWS [CA_FILE]
// The last RUN_ROWS rows of the catalogue's list are checked and downloaded. Start and
// end of a run each hold a deliberate 100 ms pause of the control state; the gaps that
// hold them are reported on their own (start_ms, end_ms, pause included), and stall_ms
// is the longest lateness with the pauses taken out. Prints the line of job_clock.h
// plus those; fails unless every checked entry is done.
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <string>

#include "bench_app.h"
#include "http.h"
#include "job_clock.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPeriodMs = 5;
constexpr double kControlPauseMs = 100.0;

// Lateness of each firing of a repeating timer: the gap since the previous one (or the
// start) less the period.
class StallProbe {
 public:
  StallProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fired(); });
  }
  void Start() {
    last_ = Clock::now();
    timer_.start(kPeriodMs);
  }
  // The run has ended: the time since the last firing is the end gap.
  void Stop() {
    timer_.stop();
    endMs_ = LatenessMs(Clock::now());
  }
  double StartMs() const { return startMs_; }
  double EndMs() const { return endMs_; }
  double BetweenMs() const { return betweenMs_; }
  int64_t Firings() const { return firings_; }

 private:
  double LatenessMs(Clock::time_point now) {
    const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
    last_ = now;
    return gap - kPeriodMs;
  }
  // The first firing comes only after the download command, pause included, returned.
  void Fired() {
    const double late = LatenessMs(Clock::now());
    if (firings_++ == 0)
      startMs_ = late;
    else
      betweenMs_ = std::max(betweenMs_, late);
  }

  QTimer timer_;
  Clock::time_point last_;
  int64_t firings_ = 0;
  double startMs_ = 0, endMs_ = 0, betweenMs_ = 0;
};

std::string Milliseconds(const char* name, double value) {
  return std::string(name) + "=" + std::to_string(value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5)
    return JobFailed(argv[0], "usage: CATALOGUE_ADDRESS FOLDER/ RUN_ROWS [CA_FILE]");
  if (argc == 5) FetchSetCaFile(TextFromUtf8(argv[4]));
  const int64_t runRows = std::stoll(argv[3]);
  if (BenchAppPrepareRun(TextFromUtf8(argv[1]), TextFromUtf8(argv[2]), runRows) == 0)
    return JobFailed(argv[0], "the list is shorter than the run");

  StallProbe probe;
  JobClock clock;
  probe.Start();
  const int64_t done = BenchAppRunDownloads();
  probe.Stop();
  const double stall = std::max(
      {probe.BetweenMs(), probe.StartMs() - kControlPauseMs, probe.EndMs() - kControlPauseMs});
  clock.Report(
      Milliseconds("stall_ms", stall) + " " + Milliseconds("between_ms", probe.BetweenMs()) + " " +
      Milliseconds("start_ms", probe.StartMs()) + " " + Milliseconds("end_ms", probe.EndMs()) +
      " firings=" + std::to_string(probe.Firings()));
  // A probe that hardly fired has measured nothing.
  if (probe.Firings() < 10) return JobFailed(argv[0], "the timer hardly fired during the run");
  if (done != runRows)
    return JobFailed(argv[0],
                     std::to_string(done) + " of " + std::to_string(runRows) + " entries done");
  return 0;
}
