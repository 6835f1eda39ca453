#pragma once
// The application's entry: start-up (services, texts, font, folders, network and the
// connectivity check, the notice, the main window and the bindings), the event loop
// until the window is closed, and the orderly stop. Running workers are not waited for.
//
// Thread safety: runs on the thread that calls it, which becomes the UI thread; one run
// at a time.
#include "texts.h"

// Runs the whole program with the given (scrambled) text table and returns its exit
// code, 0 in every case. argc and argv go to the toolkit.
int AppMain(int argc, char** argv, const TextTable& texts);

// Starts the toolkit and initialises every runtime service, in start-up order; and
// cleans them all up again. Threads still running are neither waited for nor stopped.
// AppMain uses both; benchmarks use them to stand up the runtime without the program.
void StartServices(int& argc, char** argv);
void StopServices();

// For tests: called on the UI thread with true right after the toolkit has started,
// before anything is shown, and with false just before it ends. Null: nothing is called.
using AppToolkitHook = void (*)(bool started);
void AppSetToolkitHook(AppToolkitHook hook);
