#pragma once
// Numbered files with a 4096-byte buffer for writing behind and reading ahead. Paths are
// texts, as UTF-8 names on Linux and as wide-character names on Windows. Small writes collect in the buffer, which is written
// out before it would fill up; a block of 4096 bytes or more goes to the file in one go
// after the buffer was written out. Reads and writes may alternate: the file position
// always follows the logical one.
//
// Thread safety: taking and releasing numbers is locked; a file must be used by one
// thread at a time.
#include <cstdint>

#include "text.h"

constexpr int64_t kFileBufferSize = 4096;

void FileServiceInit();
void FileServiceEnd();  // closes every file

// Creates the file, or empties it if it exists, for reading and writing; if that is
// refused, opens the existing file for writing only and empties it. Non-zero on success
// (for -1 the file's handle), 0 on failure (the number is then free).
int64_t FileCreate(int64_t file, TextView path);
// Opens for reading and writing, creating the file if needed and keeping its content.
int64_t FileOpen(int64_t file, TextView path);
// Opens an existing file for reading only.
int64_t FileOpenRead(int64_t file, TextView path);

// Writes or buffers `length` bytes; returns their count, 0 for a file opened for reading
// only or a number without a file.
int64_t FileWrite(int64_t file, const void* data, int64_t length);
// Reads up to `length` bytes; returns the count read.
int64_t FileRead(int64_t file, void* data, int64_t length);
// Moves to `position` bytes from the file's start; 1 on success.
int FileSeek(int64_t file, int64_t position);
// Writes out the buffer and closes the file; -1 closes every file.
void FileClose(int64_t file);

// The size of the file at `path`; -1 when nothing is there (or the path is empty), -2 for
// a folder. Trailing separators are ignored. On Windows a drive, written as letter and
// colon with or without a separator, is -2 when it exists and -1 when it does not; at
// most 260 characters of a path count there.
int64_t PathSize(TextView path);

// 1 when files can be made in `folder`: it is a folder in which this process can make a
// file, or it is missing and FolderCreate could make it, because its nearest existing
// parent is such a folder. A hidden file made and removed again shows it, whatever
// attributes and permission bits say. 0 for a path through a file, a folder that refuses
// new files, or an empty path.
int FolderWritable(TextView folder);
// Makes the folder and any missing parents; 1 when it is a folder afterwards.
int FolderCreate(TextView folder);
