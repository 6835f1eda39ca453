#pragma once
// The running program's own file, the parts of a path, and the rules every path and file
// name handed to the system must meet. Safe on any thread.
#include <cstdint>

#include "text.h"

// The absolute path of the running program's file; empty when it cannot be found.
Text ProgramFilePath();
// Writes `line` and a line break to standard output; false when it could not be written.
// On Windows a window program started from a Command Prompt has no standard output, so
// the line goes to the console it was started from; output sent to a file or a pipe
// stays there, as UTF-8.
bool WriteOutputLine(TextView line);
// The folder part of `path` with its trailing separator; empty when the path names no
// folder.
Text PathOfFile(TextView path);
// `folder` ending in one separator, ready for a name to follow; empty stays empty.
Text FolderPath(TextView folder);
// Whether `c` separates a path's parts: "/", and on Windows "\" as well.
bool IsPathSeparator(char16_t c);
// The separator this platform writes between a path's parts: "/", on Windows "\".
extern const char16_t kPathSeparator;

// Whether the system may be handed `path`: it is not empty and holds no NUL (the system
// would read the path only up to it and act on another file). The file layer's one check.
bool PathIsUsable(TextView path);

// `name` such that this platform keeps it as it is, apart from every other name. On
// Windows a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, alone or before an
// extension, in any case) gets a "_" in front, since it would open the device; trailing
// dots and blanks, which Windows drops, become "_", so that "a." and "a" stay two files.
// Elsewhere the name comes back unchanged.
Text NameKeptAsIs(TextView name);

// The most one name in a folder may hold, as this platform counts: 255 bytes of UTF-8 on
// Linux, 255 UTF-16 units on Windows.
constexpr int64_t kLongestFileName = 255;
// The longest whole path, counted the same way: 4095 bytes on Linux; on Windows 32766
// units where the machine has long paths switched on, else the old limit of 259.
extern const int64_t kLongestPath;
// The length of a name or path as counted there.
int64_t FileNameLength(TextView name);
// `name` cut at its end so that it fits in a folder entry and `folder` joined with it fits
// in a path, keeping its extension (the part from its last "."); a name that fits comes
// back exactly as it is. Never splits a character, and never cuts the part before the
// extension below 16 units (a path that leaves less room cannot be saved to).
Text FitFileName(TextView folder, TextView name);
