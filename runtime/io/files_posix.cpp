#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "file_handles.h"
#include "files.h"
#include "program.h"
#include "replace_file.h"

namespace {

// The path as the system takes it; nothing for texts it would misread (an embedded NUL
// would silently name another file).
std::optional<std::string> SystemPath(TextView path) {
  if (!PathIsUsable(path)) return std::nullopt;
  return TextToUtf8(path);
}

// Repeats a read or write until all bytes are through, the end is reached or it fails.
template <class Bytes, class Call>
int64_t Whole(Call call, int fd, Bytes* bytes, int64_t length) {
  int64_t done = 0;
  while (done < length) {
    const ssize_t n = call(fd, bytes + done, static_cast<size_t>(length - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

// Only a regular descriptor above 0 may serve as a handle.
int CheckedDescriptor(int fd) {
  if (fd < 0) return fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  if (fd != 0) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
  ::close(fd);
  return moved;
}

int Descriptor(int64_t handle) { return static_cast<int>(handle); }

}  // namespace

int64_t FileHandleOpen(TextView path, FileAccess access) {
  const auto systemPath = SystemPath(path);
  if (!systemPath) return 0;
  int flags = O_RDONLY;
  if (access == FileAccess::kCreate) flags = O_RDWR | O_CREAT | O_TRUNC;
  if (access == FileAccess::kOpen) flags = O_RDWR | O_CREAT;
  int fd = ::open(systemPath->c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0 && access == FileAccess::kCreate)
    fd = ::open(systemPath->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  fd = CheckedDescriptor(fd);
  return fd < 0 ? 0 : fd;
}

int64_t FileHandleWrite(int64_t handle, const uint8_t* bytes, int64_t length) {
  return Whole(::write, Descriptor(handle), bytes, length);
}

int64_t FileHandleRead(int64_t handle, uint8_t* bytes, int64_t length) {
  return Whole(::read, Descriptor(handle), bytes, length);
}

bool FileHandleSeek(int64_t handle, int64_t position) {
  return ::lseek(Descriptor(handle), static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool FileHandleMove(int64_t handle, int64_t distance) {
  return ::lseek(Descriptor(handle), static_cast<off_t>(distance), SEEK_CUR) >= 0;
}

void FileHandleClose(int64_t handle) { ::close(Descriptor(handle)); }

namespace {

// The path without trailing "/" (the root keeps its own).
TextView WithoutTrailingSeparators(TextView path) {
  while (path.size() > 1 && path.back() == u'/') path.remove_suffix(1);
  return path;
}

}  // namespace

int64_t PathSize(TextView path) {
  const auto systemPath = SystemPath(WithoutTrailingSeparators(path));
  if (!systemPath) return -1;
  struct stat info {};
  if (::stat(systemPath->c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return -2;
  return static_cast<int64_t>(info.st_size);
}

int FolderWritable(TextView folder) {
  TextView path = WithoutTrailingSeparators(folder);
  for (;;) {
    const auto systemPath = SystemPath(path);
    if (!systemPath) return 0;
    struct stat info {};
    if (::stat(systemPath->c_str(), &info) == 0)
      return S_ISDIR(info.st_mode) && FolderTakesNewFiles(path) ? 1 : 0;
    // Only a missing step may be made; anything else (a file on the way, no search
    // right) stops FolderCreate as well.
    if (errno != ENOENT) return 0;
    const size_t slash = path.find_last_of(u'/');
    if (slash == TextView::npos) return 0;  // a relative name: no parent to judge by
    path = WithoutTrailingSeparators(path.substr(0, slash == 0 ? 1 : slash));
  }
}

int FolderCreate(TextView folder) {
  const TextView path = WithoutTrailingSeparators(folder);
  if (!SystemPath(path)) return 0;
  // Each step from the top; a step that is there already (or came meanwhile) is fine.
  for (size_t end = path.find(u'/', 1);; end = path.find(u'/', end + 1)) {
    const std::string step = TextToUtf8(path.substr(0, end));
    if (::mkdir(step.c_str(), 0777) != 0 && errno != EEXIST) return 0;
    if (end == TextView::npos) break;
  }
  return PathSize(path) == -2 ? 1 : 0;
}
