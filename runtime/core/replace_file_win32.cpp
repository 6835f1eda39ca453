#include <windows.h>

#include <algorithm>
#include <string>

#include "program.h"
#include "replace_file.h"

namespace {

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

bool WriteAll(HANDLE file, const uint8_t* data, int64_t size) {
  int64_t done = 0;
  while (done < size) {
    const auto step = static_cast<DWORD>(std::min<int64_t>(size - done, 1 << 30));
    DWORD put = 0;
    if (!WriteFile(file, data + done, step, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

// Creates a new hidden file beside `path` with the given attributes, or fails.
HANDLE CreateTemporary(TextView path, DWORD attributes, Text& temporary) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temporary = TemporaryBeside(path);
    HANDLE file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// A virus scanner or the search indexer often holds a newly written file for a moment;
// replacing it then fails as shared or refused. Such a failure is tried again, in short
// pauses, for about a second before it counts.
constexpr DWORD kHeldPauseMs = 50;
constexpr DWORD kLongestHoldMs = 1000;

bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

bool MoveOver(const Text& from, const Text& to) {
  for (DWORD waited = 0;; waited += kHeldPauseMs) {
    if (MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING)) return true;
    if (!HeldByAnother(GetLastError()) || waited >= kLongestHoldMs) return false;
    Sleep(kHeldPauseMs);
  }
}

}  // namespace

bool ReplaceFileWhole(TextView path, const uint8_t* data, int64_t size) {
  if (!PathIsUsable(path) || size < 0 || (size > 0 && data == nullptr)) return false;
  const Text target(path);
  // An old file's attributes (hidden, for one) carry over; a folder is never replaced.
  DWORD attributes = GetFileAttributesW(Wide(target));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
  attributes &= FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  Text temporary;
  HANDLE file = CreateTemporary(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, data, size) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveOver(temporary, target);
  if (!ok) DeleteFileW(Wide(temporary));
  return ok;
}

bool FolderTakesNewFiles(TextView folder) {
  if (!PathIsUsable(folder)) return false;
  Text probe;
  HANDLE file =
      CreateTemporary(FolderPath(folder), FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, probe);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}
