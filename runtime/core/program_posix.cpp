#include <unistd.h>

#include <cstdio>
#include <string>

#include "program.h"

Text ProgramFilePath() {
  std::string buffer(256, '\0');
  while (buffer.size() <= 65536) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return Text();
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return TextFromUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);  // the link may have been cut short
  }
  return Text();
}

bool WriteOutputLine(TextView line) {
  const std::string bytes = TextToUtf8(line) + "\n";
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
         std::fflush(stdout) == 0;
}

bool IsPathSeparator(char16_t c) { return c == u'/'; }

const char16_t kPathSeparator = u'/';

Text NameKeptAsIs(TextView name) { return Text(name); }

int64_t FileNameLength(TextView name) { return static_cast<int64_t>(TextToUtf8(name).size()); }

const int64_t kLongestPath = 4095;
