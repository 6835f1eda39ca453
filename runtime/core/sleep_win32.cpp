#include <windows.h>
#include <timeapi.h>

#include <algorithm>

#include "threads.h"

void SleepMs(int64_t milliseconds) {
  // The system's default tick is about 15.6 ms, longer than a polling step should
  // stretch; the finer resolution is kept for the rest of the process.
  static const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
  (void)fineTimer;
  while (milliseconds > 0) {
    const auto step = std::min<int64_t>(milliseconds, 0x7FFFFFFF);  // INFINITE stays out
    Sleep(static_cast<DWORD>(step));
    milliseconds -= step;
  }
}
