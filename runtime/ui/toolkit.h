#pragma once
// Start and end of the windowing platform. ToolkitInit creates the application object
// (works under QT_QPA_PLATFORM=offscreen), installs the toolkit's event platform under
// the event service (posted events and EventWait then run over the platform's event
// dispatcher) and watches the keyboard for KeyGetAsyncState. The calling thread becomes
// the UI thread: every window, gadget, menu, toolbar and status bar lives there.
//
// Thread safety: call both on the UI thread only, ToolkitInit once before any other
// toolkit service's init and ToolkitEnd after every toolkit service's end.
#include <cstdint>

// 1 when the platform is ready (also when it was already started), 0 when it could not
// be started. argc and argv must outlive the toolkit.
int ToolkitInit(int& argc, char** argv);
// Uninstalls the event platform and destroys the application object.
void ToolkitEnd();
// For the orderly stop: from now on a toolkit call from another thread returns at once
// without effect (reads give their failure result) and posted events are dropped, so
// that workers wind down while the UI thread waits for them instead of serving them.
void ToolkitRefuseWorkerCalls();

// 1 on the UI thread (the thread that called ToolkitInit), else 0.
int ToolkitIsUiThread();
