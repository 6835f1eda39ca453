#include <new>
#include <vector>

#include "thread_exit.h"

namespace {

struct Work {
  ThreadExitRoutine routine;
  void* data;
};

// Made at the thread's first registration, so destroyed after the thread_local objects
// made later.
class ExitWork {
 public:
  ~ExitWork() {
    while (!work_.empty()) {
      const Work next = work_.back();
      work_.pop_back();
      next.routine(next.data);
    }
  }
  bool Add(Work work) {
    try {
      work_.push_back(work);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

 private:
  std::vector<Work> work_;
};

thread_local ExitWork exitWork;

}  // namespace

bool AtThreadExit(ThreadExitRoutine routine, void* data) {
  return routine && exitWork.Add({routine, data});
}
