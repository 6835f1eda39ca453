#include <chrono>
#include <thread>

#include "threads.h"

void SleepMs(int64_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
