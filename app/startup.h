#pragma once
// The application's entry: start-up (services, texts, font, folders, network and the
// connectivity check, the notice, the main window and the bindings), the event loop
// until the window is closed, and the orderly stop. The orderly stop owns the workers'
// end: it asks them to stop and waits for them, bounded, before any service goes; when
// the bound passes, the process ends at once without releasing what they may still use.
//
// Thread safety: runs on the thread that calls it, which becomes the UI thread; one run
// at a time.
#include "texts.h"

// Runs the whole program with the given (scrambled) text table and returns its exit
// code, 0 in every case. argc and argv go to the toolkit.
int AppMain(int argc, char** argv, const TextTable& texts);

// The one line `trawl --help` or `trawl --version` prints before anything starts (the
// first of the two given wins); empty when neither is given: the program then starts and
// ignores its arguments, as it always did.
Text CommandLineAnswer(int argc, char** argv, const TextTable& texts);

// Starts the toolkit and initialises every runtime service, in start-up order; and
// cleans them all up again. Threads still running are neither waited for nor stopped.
// AppMain uses both; benchmarks use them to stand up the runtime without the program.
void StartServices(int& argc, char** argv);
void StopServices();

// How long the orderly stop waits for running workers.
constexpr int64_t kWorkerStopMs = 3000;
// Asks every running worker to stop and waits up to `boundMs` for all of them to end;
// true when none runs any more. Afterwards workers' toolkit calls have no effect.
bool StopWorkers(int64_t boundMs);

// For tests: called on the UI thread with true right after the toolkit has started,
// before anything is shown, and with false just before it ends. Null: nothing is called.
using AppToolkitHook = void (*)(bool started);
void AppSetToolkitHook(AppToolkitHook hook);
