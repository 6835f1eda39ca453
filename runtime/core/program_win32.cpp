#include <windows.h>

#include "program.h"

Text ProgramFilePath() {
  // A path cut short to the buffer's size gets a bigger buffer; long paths reach 32767.
  for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
    Text buffer(size, u'\0');
    const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer.data()), size);
    if (length == 0) return Text();
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
  }
  return Text();
}

bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

const char16_t kPathSeparator = u'\\';

int64_t FileNameLength(TextView name) { return static_cast<int64_t>(name.size()); }

const int64_t kLongestPath = MAX_PATH - 1;
