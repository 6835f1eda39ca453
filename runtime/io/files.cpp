#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "object_table.h"

namespace {

constexpr int32_t kBufferSize = static_cast<int32_t>(kFileBufferSize);
constexpr int32_t kTextFormatUtf8 = 2;

struct FileRecord {
  int64_t handle = 0;  // the descriptor, never 0 while open
  std::unique_ptr<uint8_t[]> buffer;
  // Write mode: free bytes left in the buffer. Read mode: buffered bytes not yet consumed.
  int32_t count = 0;
  int32_t filled = 0;     // read mode: valid bytes in the buffer
  bool readMode = true;   // the buffer holds nothing to write
  int32_t textFormat = kTextFormatUtf8;
  bool readOnly = false;
};

std::optional<ObjectTable<FileRecord>> files;

int Descriptor(const FileRecord& r) { return static_cast<int>(r.handle); }

// The path as the system takes it; nothing for texts it would misread (an embedded NUL
// would silently name another file).
std::optional<std::string> SystemPath(TextView path) {
  if (path.empty() || path.find(u'\0') != TextView::npos) return std::nullopt;
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

int64_t WriteAll(int fd, const uint8_t* bytes, int64_t length) {
  return Whole(::write, fd, bytes, length);
}

int64_t ReadAll(int fd, uint8_t* bytes, int64_t length) { return Whole(::read, fd, bytes, length); }

void WriteOutBuffer(FileRecord& r) {
  if (r.readMode) return;
  WriteAll(Descriptor(r), r.buffer.get(), kBufferSize - r.count);
  r.count = kBufferSize;
}

void EnterReadMode(FileRecord& r) {
  WriteOutBuffer(r);
  r.readMode = true;
  r.count = 0;
  r.filled = 0;
}

// The platform position is moved back over the read-ahead so that writing continues at
// the logical position.
void EnterWriteMode(FileRecord& r) {
  if (r.count > 0) ::lseek(Descriptor(r), -static_cast<off_t>(r.count), SEEK_CUR);
  r.readMode = false;
  r.count = kBufferSize;
  r.filled = 0;
}

// Only a regular descriptor above 0 may serve as a record's handle.
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

int OpenDescriptor(TextView path, int flags, int fallbackFlags) {
  const auto systemPath = SystemPath(path);
  if (!systemPath) return -1;
  int fd = ::open(systemPath->c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0 && fallbackFlags) fd = ::open(systemPath->c_str(), fallbackFlags | O_CLOEXEC);
  return CheckedDescriptor(fd);
}

// Reserves the number first (closing the file that held it), then opens.
int64_t OpenFile(int64_t file, TextView path, int flags, int fallbackFlags, bool readOnly) {
  if (!files) return 0;
  FileRecord* r = files->Reserve(file);
  if (!r) return 0;
  const int64_t key = file == kDynamicNumber ? ObjectTable<FileRecord>::HandleOf(r) : file;
  const int fd = OpenDescriptor(path, flags, fallbackFlags);
  if (fd < 0) {
    files->Release(key);
    return 0;
  }
  r->buffer = std::make_unique<uint8_t[]>(kBufferSize);
  r->readOnly = readOnly;
  r->handle = fd;
  return file == kDynamicNumber ? key : fd;
}

FileRecord* Find(int64_t file) { return files ? files->Get(file) : nullptr; }

}  // namespace

void FileServiceInit() {
  if (!files) files.emplace(16, [](int64_t file) { FileClose(file); });
}

void FileServiceEnd() {
  if (files) files->ReleaseAll();
}

int64_t FileCreate(int64_t file, TextView path) {
  return OpenFile(file, path, O_RDWR | O_CREAT | O_TRUNC, O_WRONLY | O_TRUNC, false);
}

int64_t FileOpen(int64_t file, TextView path) {
  return OpenFile(file, path, O_RDWR | O_CREAT, 0, false);
}

int64_t FileOpenRead(int64_t file, TextView path) {
  return OpenFile(file, path, O_RDONLY, 0, true);
}

int64_t FileWrite(int64_t file, const void* data, int64_t length) {
  FileRecord* r = Find(file);
  if (!r || !data || length <= 0 || r->readOnly) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (r->readMode) EnterWriteMode(*r);
  if (r->count <= length) {
    WriteOutBuffer(*r);
    if (length >= kBufferSize) return WriteAll(Descriptor(*r), bytes, length);
    std::memcpy(r->buffer.get(), bytes, static_cast<size_t>(length));
  } else {
    std::memcpy(r->buffer.get() + (kBufferSize - r->count), bytes, static_cast<size_t>(length));
  }
  r->count -= static_cast<int32_t>(length);
  return length;
}

int64_t FileRead(int64_t file, void* data, int64_t length) {
  FileRecord* r = Find(file);
  if (!r || !data || length <= 0) return 0;
  if (!r->readMode) EnterReadMode(*r);
  auto* out = static_cast<uint8_t*>(data);
  auto serve = [&](int64_t wanted) {
    const int64_t take = std::min<int64_t>(r->count, wanted);
    std::memcpy(out, r->buffer.get() + (r->filled - r->count), static_cast<size_t>(take));
    r->count -= static_cast<int32_t>(take);
    out += take;
    return take;
  };
  int64_t done = serve(length);
  const int64_t rest = length - done;
  if (rest == 0) return done;
  if (rest >= kBufferSize) return done + ReadAll(Descriptor(*r), out, rest);
  r->filled = static_cast<int32_t>(ReadAll(Descriptor(*r), r->buffer.get(), kBufferSize));
  r->count = r->filled;
  return done + serve(rest);
}

int FileSeek(int64_t file, int64_t position) {
  FileRecord* r = Find(file);
  if (!r || position < 0) return 0;
  EnterReadMode(*r);
  return ::lseek(Descriptor(*r), static_cast<off_t>(position), SEEK_SET) >= 0 ? 1 : 0;
}

void FileClose(int64_t file) {
  if (!files) return;
  if (file == kDynamicNumber) return files->ReleaseAll();
  FileRecord* r = files->Get(file);
  if (!r) return;
  WriteOutBuffer(*r);
  ::close(Descriptor(*r));
  files->Release(file);
}

int64_t PathSize(TextView path) {
  while (path.size() > 1 && path.back() == u'/') path.remove_suffix(1);
  const auto systemPath = SystemPath(path);
  if (!systemPath) return -1;
  struct stat info {};
  if (::stat(systemPath->c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return -2;
  return static_cast<int64_t>(info.st_size);
}

namespace {

// The path without trailing "/" (the root keeps its own).
TextView WithoutTrailingSeparators(TextView path) {
  while (path.size() > 1 && path.back() == u'/') path.remove_suffix(1);
  return path;
}

}  // namespace

int FolderWritable(TextView folder) {
  TextView path = WithoutTrailingSeparators(folder);
  for (;;) {
    const auto systemPath = SystemPath(path);
    if (!systemPath) return 0;
    struct stat info {};
    if (::stat(systemPath->c_str(), &info) == 0)
      return S_ISDIR(info.st_mode) && ::access(systemPath->c_str(), W_OK | X_OK) == 0 ? 1 : 0;
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
