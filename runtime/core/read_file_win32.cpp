#include <windows.h>

#include <algorithm>

#include "handle_win32.h"
#include "program.h"
#include "read_file.h"

bool ReadFileWhole(TextView path, int64_t maxBytes, std::vector<uint8_t>& bytes) {
  if (!PathIsUsable(path)) return false;
  const Text name(path);
  const KernelHandle owned(CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!owned) return false;
  HANDLE file = owned.Get();
  LARGE_INTEGER size{};
  bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
            size.QuadPart > 0 && size.QuadPart <= maxBytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (ok && done < bytes.size()) {
      const auto step = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, size_t{1} << 30));
      DWORD got = 0;
      ok = ReadFile(file, bytes.data() + done, step, &got, nullptr) && got > 0;
      done += got;
    }
  }
  return ok;
}
