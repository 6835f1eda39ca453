#include <windows.h>

#include <algorithm>
#include <atomic>
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

// Short, so that it fits wherever the target's name fits.
Text TemporaryBeside(TextView path) {
  static std::atomic<uint64_t> counter{0};
  const std::string name = ".trawl-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(counter.fetch_add(1)) + ".part";
  return PathOfFile(path) + Text(name.begin(), name.end());  // no folder: the working one
}

}  // namespace

bool ReplaceFileWhole(TextView path, const uint8_t* data, int64_t size) {
  if (path.empty() || size < 0 || (size > 0 && data == nullptr)) return false;
  if (path.find(u'\0') != TextView::npos) return false;  // would name another file
  const Text target(path);
  const Text temporary = TemporaryBeside(path);
  // An old file's attributes (hidden, for one) carry over; a folder is never replaced.
  DWORD attributes = GetFileAttributesW(Wide(target));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
  attributes &= FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  HANDLE file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, data, size);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(Wide(temporary), Wide(target), MOVEFILE_REPLACE_EXISTING);
  if (!ok) DeleteFileW(Wide(temporary));
  return ok;
}
