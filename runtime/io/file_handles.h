#pragma once
// The platform's side of the file service (files.cpp): opening, reading, writing, moving
// and closing one platform file. A handle is never 0 while open. Paths with an embedded
// NUL are refused, as they would name another file. Used by one thread at a time.
#include <cstdint>

#include "text.h"

enum class FileAccess {
  kCreate,  // create or empty, read and write; if refused, empty the file for writing only
  kOpen,    // open or create, read and write, content kept
  kRead,    // an existing file, reading only
};

// The open file's handle; 0 when it cannot be opened or `path` names a folder.
int64_t FileHandleOpen(TextView path, FileAccess access);
// Bytes written or read; stops short only at an error or the file's end.
int64_t FileHandleWrite(int64_t handle, const uint8_t* bytes, int64_t length);
int64_t FileHandleRead(int64_t handle, uint8_t* bytes, int64_t length);
// Moves to `position` from the start, or by `distance` from the current position.
bool FileHandleSeek(int64_t handle, int64_t position);
bool FileHandleMove(int64_t handle, int64_t distance);
void FileHandleClose(int64_t handle);
