// The process's memory as Windows reports it: its working set, the pages resident.
#include <windows.h>

#include <psapi.h>

#include "job_clock.h"

namespace {

PROCESS_MEMORY_COUNTERS Counters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

}  // namespace

long ResidentKib() { return static_cast<long>(Counters().WorkingSetSize / 1024); }

long PeakKib() { return static_cast<long>(Counters().PeakWorkingSetSize / 1024); }
