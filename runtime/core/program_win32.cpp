#include <windows.h>

#include <algorithm>
#include <string>

#include "handle_win32.h"
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

namespace {

// The console this process was started from, when its standard output leads nowhere:
// Windows gives a window program none. Attaching is refused as "access denied" when the
// process has a console already (Wine hands a window program its parent's); that one is
// the console to write to.
KernelHandle StartingConsole() {
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
    return KernelHandle();
  return KernelHandle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  0, nullptr));
}

bool WriteAll(HANDLE output, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

bool WriteOutputLine(TextView line) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  KernelHandle console;
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    console = StartingConsole();
    if (!console) return false;
    output = console.Get();
  }
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {  // a console shows UTF-16 whatever its code page
    const Text text = Text(line) + u"\r\n";
    DWORD written = 0;
    return WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written,
                         nullptr) &&
           written == text.size();
  }
  return WriteAll(output, TextToUtf8(line) + "\r\n");
}

bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

const char16_t kPathSeparator = u'\\';

namespace {

bool SameLetters(TextView text, std::u16string_view upper) {
  auto same = [](char16_t a, char16_t b) { return (a >= u'a' && a <= u'z' ? a - 32 : a) == b; };
  return text.size() == upper.size() && std::equal(text.begin(), text.end(), upper.begin(), same);
}

// The part before the first dot, less the blanks Windows drops from it, names a device.
bool NamesADevice(TextView name) {
  TextView base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"})
    if (SameLetters(base, device)) return true;
  static constexpr std::u16string_view kPortNumbers = u"123456789\u00b9\u00b2\u00b3";
  return base.size() == 4 && kPortNumbers.find(base[3]) != TextView::npos &&
         (SameLetters(base.substr(0, 3), u"COM") || SameLetters(base.substr(0, 3), u"LPT"));
}

}  // namespace

Text NameKeptAsIs(TextView name) {
  Text kept(name);
  if (NamesADevice(kept)) kept.insert(kept.begin(), u'_');
  for (auto c = kept.rbegin(); c != kept.rend() && (*c == u'.' || *c == u' '); ++c) *c = u'_';
  return kept;
}

int64_t FileNameLength(TextView name) { return static_cast<int64_t>(name.size()); }

namespace {

// The manifest declares the program ready for long paths; whether Windows allows them is
// the machine's own switch (Windows 10 and later).
bool LongPathsEnabled() {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem",
                      L"LongPathsEnabled", RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS &&
         value == 1;
}

}  // namespace

const int64_t kLongestPath = LongPathsEnabled() ? 32766 : MAX_PATH - 1;
