#pragma once
// Worker threads, numbered from 1 in start order and never renumbered, and sleeping.
// Thread safety: all of it may be called from any thread.
#include <cstdint>

using ThreadRoutine = int32_t (*)(int64_t argument);

void ThreadServiceInit();
// Forgets every registered thread; neither waits for nor stops running threads.
void ThreadServiceEnd();

// Starts routine(argument) on a new thread; its number, or 0 when no thread could be made.
int64_t ThreadStart(ThreadRoutine routine, int64_t argument);
// 1 while the thread of that number has not ended, else 0 (also for unknown numbers).
int ThreadIsRunning(int64_t number);
// Waits until every thread started here has ended, at most `timeoutMs` milliseconds: 1
// when none runs any more, 0 when the bound passed first. A thread counts as ended once
// its routine has returned and its per-thread areas are cleaned up.
int ThreadWaitAll(int64_t timeoutMs);

void SleepMs(int64_t milliseconds);
