#include <windows.h>

#include <new>
#include <vector>

#include "thread_exit.h"

// A fiber-local slot with a callback: the system calls it as each thread ends, with the
// thread's value of the slot, so nothing depends on thread-local storage still being there.
namespace {

struct Work {
  ThreadExitRoutine routine;
  void* data;
};
using WorkList = std::vector<Work>;

void WINAPI RunExitWork(void* value) {
  auto* list = static_cast<WorkList*>(value);
  if (!list) return;
  while (!list->empty()) {
    const Work next = list->back();
    list->pop_back();
    next.routine(next.data);
  }
  delete list;
}

DWORD Slot() {
  static const DWORD slot = FlsAlloc(RunExitWork);
  return slot;
}

}  // namespace

bool AtThreadExit(ThreadExitRoutine routine, void* data) {
  const DWORD slot = Slot();
  if (!routine || slot == FLS_OUT_OF_INDEXES) return false;
  auto* list = static_cast<WorkList*>(FlsGetValue(slot));
  if (!list) {
    list = new (std::nothrow) WorkList();
    if (!list) return false;
    if (!FlsSetValue(slot, list)) {
      delete list;
      return false;
    }
  }
  try {
    list->push_back({routine, data});
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
