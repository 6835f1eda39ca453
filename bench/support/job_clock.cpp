#include "job_clock.h"

#include <cstdio>

JobClock::JobClock()
    : start_(std::chrono::steady_clock::now()), residentKibAtStart_(ResidentKib()) {}

double JobClock::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void JobClock::Report(const std::string& extra) const {
  const double seconds = Seconds();
  const long peak = PeakKib();
  std::printf("seconds=%.6f peak_kib=%ld growth_kib=%ld%s%s\n", seconds, peak,
              peak - residentKibAtStart_, extra.empty() ? "" : " ", extra.c_str());
  std::fflush(stdout);
}

int JobFailed(const char* program, const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", program, why.c_str());
  return 1;
}
