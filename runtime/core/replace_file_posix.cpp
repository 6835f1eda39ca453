#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "program.h"
#include "replace_file.h"

namespace {

bool WriteAll(int fd, const uint8_t* data, int64_t size) {
  int64_t done = 0;
  while (done < size) {
    ssize_t put = write(fd, data + done, static_cast<size_t>(size - done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += put;
  }
  return true;
}

// Creates a new hidden file beside `path`; its descriptor, or -1.
int CreateTemporary(TextView path, std::string& temporary) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temporary = TextToUtf8(TemporaryBeside(path));
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFileWhole(TextView path, const uint8_t* data, int64_t size) {
  if (!PathIsUsable(path) || size < 0 || (size > 0 && data == nullptr)) return false;
  const std::string target = TextToUtf8(path);
  std::string temporary;
  const int fd = CreateTemporary(path, temporary);
  if (fd < 0) return false;
  struct stat old {};
  if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, data, size) && fdatasync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool FolderTakesNewFiles(TextView folder) {
  if (!PathIsUsable(folder)) return false;
  std::string probe;
  const int fd = CreateTemporary(FolderPath(folder), probe);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}
