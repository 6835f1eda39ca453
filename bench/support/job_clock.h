#pragma once
// Measures one job of a comparison program (bench/compare.sh runs them) and prints the
// line the script reads:
//   seconds=S peak_kib=P growth_kib=G [name=value ...]
// S: wall time since the clock was made. P: the process's peak resident memory so far.
// G: how far that peak rose above the memory resident when the clock was made, which is
// the job's own share once the set-up before it is done.
#include <chrono>
#include <string>

class JobClock {
 public:
  JobClock();
  double Seconds() const;
  // Prints the result line with `extra` ("name=value ...") appended.
  void Report(const std::string& extra = {}) const;

 private:
  std::chrono::steady_clock::time_point start_;
  long residentKibAtStart_;
};

// The memory resident now and the most resident so far, in KiB; per platform.
long ResidentKib();
long PeakKib();

// Prints "<program>: <why>" on stderr and returns the failure exit code, for a job whose
// result is wrong (a wrong result must never pass for a fast one).
int JobFailed(const char* program, const std::string& why);
