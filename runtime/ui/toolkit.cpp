#include "toolkit.h"

#include "platform/platform.h"
#include "toolkit_internal.h"

int ToolkitInit(int& argc, char** argv) { return PlatformStart(argc, argv, KeyboardNote) ? 1 : 0; }

void ToolkitEnd() { PlatformStop(); }

void ToolkitRefuseWorkerCalls() { PlatformRefuseWorkerCalls(); }

int ToolkitIsUiThread() { return PlatformIsUiThread() ? 1 : 0; }
