#pragma once
// The running program's own file and the folder part of a path. Safe on any thread.
#include "text.h"

// The absolute path of the running program's file; empty when it cannot be found.
Text ProgramFilePath();
// The folder part of `path` with its trailing separator; empty when the path names no
// folder.
Text PathOfFile(TextView path);
// Whether `c` separates a path's parts: "/", and on Windows "\" as well.
bool IsPathSeparator(char16_t c);
// The separator this platform writes between a path's parts: "/", on Windows "\".
extern const char16_t kPathSeparator;
