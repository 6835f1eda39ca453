#include <windows.h>

#include <algorithm>
#include <string>

#include "handle_win32.h"
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

// Creates a new hidden file beside `path` with the given attributes; holds none on failure.
KernelHandle CreateTemporary(TextView path, DWORD attributes, Text& temporary) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temporary = TemporaryBeside(path);
    KernelHandle file(CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return KernelHandle();
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
  KernelHandle file = CreateTemporary(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL, temporary);
  if (!file) return false;
  bool ok = WriteAll(file.Get(), data, size) && FlushFileBuffers(file.Get());
  ok = CloseHandle(file.Release()) && ok;  // a failed close fails the save
  ok = ok && MoveOver(temporary, target);
  if (!ok) DeleteFileW(Wide(temporary));
  return ok;
}

bool FolderTakesNewFiles(TextView folder) {
  if (!PathIsUsable(folder)) return false;
  Text probe;
  // Closed (and so deleted) on the way out.
  const KernelHandle file =
      CreateTemporary(FolderPath(folder), FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, probe);
  return static_cast<bool>(file);
}
