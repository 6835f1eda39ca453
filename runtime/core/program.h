#pragma once
// The running program's own file and the folder part of a path. Safe on any thread.
#include "text.h"

// The absolute path of the running program's file; empty when it cannot be found.
Text ProgramFilePath();
// The folder part of `path` with its trailing "/"; empty when the path names no folder.
Text PathOfFile(TextView path);
