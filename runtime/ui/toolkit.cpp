#include "toolkit.h"

#include "platform/platform.h"

int ToolkitInit(int& argc, char** argv) { return PlatformStart(argc, argv) ? 1 : 0; }

void ToolkitEnd() { PlatformStop(); }

void ToolkitRefuseWorkerCalls() { PlatformRefuseWorkerCalls(); }

int ToolkitIsUiThread() { return PlatformIsUiThread() ? 1 : 0; }
