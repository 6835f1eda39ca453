// Linked into every Windows suite. Under Wine a crashing process may still end with exit
// code 0, or wait on a crash dialog: any unhandled exception ends the process at once with
// exit code 3, before it could write a passing report.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "unhandled exception 0x%08lx at %p\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

const bool installed = [] {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  return true;
}();

}  // namespace
