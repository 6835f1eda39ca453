#pragma once
// The live Win32 handles of the test process by sort: the tallies of the runtime's owners
// (test builds keep them), and the GDI and USER objects the system counts for the process
// (Windows does; Wine answers 0 for both).
#include <cstdint>
#include <map>
#include <string>

#include "platform/win32/win32_resources.h"

inline std::map<std::string, int64_t> LiveHandles() {
  std::map<std::string, int64_t> live;
  for (const HandleTally* tally : Win32Tallies()) live[tally->Name()] = tally->Live();
  live["system GDI objects"] = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  live["system USER objects"] = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return live;
}
