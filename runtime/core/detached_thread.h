#pragma once
// A thread nobody joins: it runs `work` and ends on its own. Every fire-and-forget thread
// of the runtime starts here. On Windows the system makes it directly: detaching a
// std::thread there goes through winpthreads, where a thread that ends while it is being
// detached can corrupt the next thread's start (seen under load as threads that never ran
// and crashes in their start).
//
// Thread safety: any thread.
#include <functional>

// false when no thread could be made; `work` has not run then and never will.
bool StartDetachedThread(std::function<void()> work);
