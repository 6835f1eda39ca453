#pragma once
// Writing a whole file so that a reader never meets a cut one: the bytes go to a hidden
// file in the same folder, which is renamed over the target only once it is complete.
// A failure (no room, no permission, a limit on file sizes) leaves whatever was at the
// target exactly as it was. The new file keeps an old file's permissions. Its bytes are on
// the disk before its name is: after a power cut the target holds the old file or the
// new one, never an empty one.
//
// Thread safety: any thread; two writers of one path leave one of the two files whole.
#include <cstdint>

#include "text.h"

// true once `size` bytes of `data` stand under `path`.
bool ReplaceFileWhole(TextView path, const uint8_t* data, int64_t size);

// true when a new file can be made in `folder` now: a hidden file is made there and removed
// again. Whatever attributes and permission bits say, only this shows what an ACL, a
// read-only mount or another user's folder allows.
bool FolderTakesNewFiles(TextView folder);

// A fresh name for the hidden file beside `path`: ".trawl-", 16 random hex digits, ".part".
// Random, so that a file a crashed process left behind is not met again in a later
// process with the same id; a name that is taken all the same is given up for another.
Text TemporaryBeside(TextView path);
constexpr int kTemporaryAttempts = 16;
