// The process's memory as Linux reports it.
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "job_clock.h"

long ResidentKib() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
