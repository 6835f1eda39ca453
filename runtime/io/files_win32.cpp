#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "file_handles.h"
#include "files.h"
#include "program.h"
#include "replace_file.h"

namespace {

// The longest path PathSize looks at.
constexpr size_t kLongestJudgedPath = MAX_PATH;
// The most one ReadFile or WriteFile call is asked to move.
constexpr int64_t kLargestStep = int64_t{1} << 30;

HANDLE Handle(int64_t handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HANDLE Open(const Text& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileW(Wide(path), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Repeats ReadFile or WriteFile until all bytes are through, the end is reached or it fails.
template <class Call, class Bytes>
int64_t Whole(Call call, int64_t handle, Bytes* bytes, int64_t length) {
  int64_t done = 0;
  while (done < length) {
    DWORD moved = 0;
    const auto step = static_cast<DWORD>(std::min(length - done, kLargestStep));
    if (!call(Handle(handle), bytes + done, step, &moved, nullptr) || moved == 0) break;
    done += moved;
  }
  return done;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// A drive's root ("C:\") names an existing drive when the system knows what kind it is.
bool DriveExists(Text root) {
  if (root.empty() || !IsSeparator(root.back())) root += u'\\';
  switch (GetDriveTypeW(Wide(root))) {
    case DRIVE_REMOVABLE:
    case DRIVE_FIXED:
    case DRIVE_REMOTE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
      return true;
    default:
      return false;
  }
}

}  // namespace

int64_t FileHandleOpen(TextView path, FileAccess access) {
  if (!PathIsUsable(path)) return 0;
  const Text name(path);
  HANDLE file = INVALID_HANDLE_VALUE;
  switch (access) {
    case FileAccess::kCreate:
      file = Open(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
      // Refused for an existing hidden or system file: emptied for writing only instead.
      if (file == INVALID_HANDLE_VALUE) file = Open(name, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
      break;
    case FileAccess::kOpen:  // others may read along, as elsewhere
      file = Open(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
      break;
    case FileAccess::kRead:
      file = Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
      break;
  }
  // Folders cannot be opened this way; the handle is never 0 (nor -1) once open.
  return file == INVALID_HANDLE_VALUE ? 0 : static_cast<int64_t>(reinterpret_cast<intptr_t>(file));
}

int64_t FileHandleWrite(int64_t handle, const uint8_t* bytes, int64_t length) {
  return Whole(WriteFile, handle, bytes, length);
}

int64_t FileHandleRead(int64_t handle, uint8_t* bytes, int64_t length) {
  return Whole(ReadFile, handle, bytes, length);
}

bool FileHandleSeek(int64_t handle, int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return SetFilePointerEx(Handle(handle), to, nullptr, FILE_BEGIN) != 0;
}

bool FileHandleMove(int64_t handle, int64_t distance) {
  LARGE_INTEGER by;
  by.QuadPart = distance;
  return SetFilePointerEx(Handle(handle), by, nullptr, FILE_CURRENT) != 0;
}

void FileHandleClose(int64_t handle) { CloseHandle(Handle(handle)); }

namespace {

// The path without trailing separators (a drive's root keeps its own).
TextView WithoutTrailingSeparators(TextView path) {
  while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == u':'))
    path.remove_suffix(1);
  return path;
}

}  // namespace

int64_t PathSize(TextView path) {
  if (!PathIsUsable(path)) return -1;
  path = path.substr(0, std::min(path.size(), kLongestJudgedPath));
  // "C:" and "C:\" name a drive. ("C:name" is a file in that drive's working folder.)
  if (path.size() <= 3 && path.size() >= 2 && path[1] == u':' && (path.size() == 2 || IsSeparator(path[2])))
    return DriveExists(Text(path)) ? -2 : -1;
  path = WithoutTrailingSeparators(path);
  const Text name(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(Wide(name), GetFileExInfoStandard, &data)) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  }
  // A share's root ("\\server\share") may have no attributes to read, yet be there.
  const bool uncOrRelative = path.size() >= 2 && path[0] == path[1] &&
                             (path[0] == u'\\' || path[0] == u'/' || path[0] == u'.');
  return uncOrRelative && DriveExists(name) ? -2 : -1;
}

int FolderWritable(TextView folder) {
  TextView path = WithoutTrailingSeparators(folder);
  for (;;) {
    if (!PathIsUsable(path)) return 0;
    const DWORD attributes = GetFileAttributesW(Wide(Text(path)));
    // The read-only attribute decides nothing: Windows marks customised shell folders
    // with it, and Program Files has none yet refuses an ordinary user's files.
    if (attributes != INVALID_FILE_ATTRIBUTES)
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) && FolderTakesNewFiles(path) ? 1 : 0;
    // Only a missing step may be made; anything else stops FolderCreate as well.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return 0;
    const size_t separator = path.find_last_of(u"\\/");
    if (separator == TextView::npos || separator == 0) return 0;
    path = WithoutTrailingSeparators(path.substr(0, separator + (path[separator - 1] == u':' ? 1 : 0)));
  }
}

int FolderCreate(TextView folder) {
  const TextView path = WithoutTrailingSeparators(folder);
  if (!PathIsUsable(path)) return 0;
  // Each step from the top; a step that is there already (or came meanwhile) is fine.
  for (size_t end = path.find_first_of(u"\\/", 1);; end = path.find_first_of(u"\\/", end + 1)) {
    const Text step(path.substr(0, end));
    if (!(step.size() == 2 && step[1] == u':') && !CreateDirectoryW(Wide(step), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return 0;
    if (end == TextView::npos) break;
  }
  return PathSize(path) == -2 ? 1 : 0;
}
