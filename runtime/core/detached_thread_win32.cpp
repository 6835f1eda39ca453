#include <windows.h>

#include <memory>

#include "detached_thread.h"
#include "handle_win32.h"

namespace {

DWORD WINAPI RunWork(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> work) {
  auto held = std::make_unique<std::function<void()>>(std::move(work));
  const KernelHandle thread(CreateThread(nullptr, 0, RunWork, held.get(), 0, nullptr));
  if (!thread) return false;
  held.release();  // the thread owns it now
  return true;
}
