#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

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

// Short, so that it fits wherever the target's name fits.
std::string TemporaryBeside(const std::string& path) {
  static std::atomic<uint64_t> counter{0};
  std::string folder = path.substr(0, path.rfind('/') + 1);  // empty: the working folder
  return folder + ".trawl-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) +
         ".part";
}

}  // namespace

bool ReplaceFileWhole(TextView path, const uint8_t* data, int64_t size) {
  if (path.empty() || size < 0 || (size > 0 && data == nullptr)) return false;
  const std::string target = TextToUtf8(path);
  const std::string temporary = TemporaryBeside(target);
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat old {};
  if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, data, size);
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
