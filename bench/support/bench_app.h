#pragma once
// The application stood up for a benchmark on the calling thread, which becomes the UI
// thread: the runtime's services in start-up order, the built-in texts and the main
// window (hidden), without the connectivity check and the start-up notice. Offscreen
// unless QT_QPA_PLATFORM says otherwise. The services stay up until the process ends.
//
// Thread safety: call everything on the one thread that called BenchAppStart.
#include <cstdint>

#include "text.h"

void BenchAppStart();

// BenchAppStart, and what a download run needs besides the window: the JPEG codec, the
// mark font, the worker's events bound to the run's handlers, and `folder` (with a
// trailing separator) as the download folder.
void BenchAppStartForRuns(const Text& folder);

// BenchAppStartForRuns; then lists the catalogue at `address` and checks its last
// `runRows` rows (0: every row). The number of rows checked; 0 when the list is empty or
// shorter than that.
int64_t BenchAppPrepareRun(const Text& address, const Text& folder, int64_t runRows);

// Starts a download run of the checked rows as the download command does and serves the
// UI thread until the run has ended and its last worker is gone. The number of rows whose
// status is done.
int64_t BenchAppRunDownloads();
