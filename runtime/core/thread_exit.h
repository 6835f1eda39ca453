#pragma once
// Work to run on the calling thread when it ends, after its routine has returned; the
// newest first. A routine must not touch the thread's thread_local objects: with
// mingw-w64's emulated thread-local storage (Windows) their memory may already be freed
// when a thread ends, before their own destructors run. That is why the runtime's
// per-thread work hangs here and not on a thread_local destructor.
//
// Thread safety: each call concerns the calling thread only.
using ThreadExitRoutine = void (*)(void* data);

// false when it cannot be arranged (no memory, no system slot): the routine will not run.
bool AtThreadExit(ThreadExitRoutine routine, void* data);
