#include "files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "file_handles.h"
#include "object_table.h"

namespace {

constexpr int32_t kBufferSize = static_cast<int32_t>(kFileBufferSize);
constexpr int32_t kTextFormatUtf8 = 2;

struct FileRecord {
  int64_t handle = 0;  // the platform file, never 0 while open
  std::unique_ptr<uint8_t[]> buffer;
  // Write mode: free bytes left in the buffer. Read mode: buffered bytes not yet consumed.
  int32_t count = 0;
  int32_t filled = 0;     // read mode: valid bytes in the buffer
  bool readMode = true;   // the buffer holds nothing to write
  int32_t textFormat = kTextFormatUtf8;
  bool readOnly = false;
};

std::optional<ObjectTable<FileRecord>> files;

void WriteOutBuffer(FileRecord& r) {
  if (r.readMode) return;
  FileHandleWrite(r.handle, r.buffer.get(), kBufferSize - r.count);
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
  if (r.count > 0) FileHandleMove(r.handle, -static_cast<int64_t>(r.count));
  r.readMode = false;
  r.count = kBufferSize;
  r.filled = 0;
}

// Reserves the number first (closing the file that held it), then opens.
int64_t OpenFile(int64_t file, TextView path, FileAccess access) {
  if (!files) return 0;
  FileRecord* r = files->Reserve(file);
  if (!r) return 0;
  const int64_t key = file == kDynamicNumber ? ObjectTable<FileRecord>::HandleOf(r) : file;
  const int64_t handle = path.empty() ? 0 : FileHandleOpen(path, access);
  if (handle == 0) {
    files->Release(key);
    return 0;
  }
  r->buffer = std::make_unique<uint8_t[]>(kBufferSize);
  r->readOnly = access == FileAccess::kRead;
  r->handle = handle;
  return file == kDynamicNumber ? key : handle;
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
  return OpenFile(file, path, FileAccess::kCreate);
}

int64_t FileOpen(int64_t file, TextView path) {
  return OpenFile(file, path, FileAccess::kOpen);
}

int64_t FileOpenRead(int64_t file, TextView path) {
  return OpenFile(file, path, FileAccess::kRead);
}

int64_t FileWrite(int64_t file, const void* data, int64_t length) {
  FileRecord* r = Find(file);
  if (!r || !data || length <= 0 || r->readOnly) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (r->readMode) EnterWriteMode(*r);
  if (r->count <= length) {
    WriteOutBuffer(*r);
    if (length >= kBufferSize) return FileHandleWrite(r->handle, bytes, length);
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
  if (rest >= kBufferSize) return done + FileHandleRead(r->handle, out, rest);
  r->filled = static_cast<int32_t>(FileHandleRead(r->handle, r->buffer.get(), kBufferSize));
  r->count = r->filled;
  return done + serve(rest);
}

int FileSeek(int64_t file, int64_t position) {
  FileRecord* r = Find(file);
  if (!r || position < 0) return 0;
  EnterReadMode(*r);
  return FileHandleSeek(r->handle, position) ? 1 : 0;
}

void FileClose(int64_t file) {
  if (!files) return;
  if (file == kDynamicNumber) return files->ReleaseAll();
  FileRecord* r = files->Get(file);
  if (!r) return;
  WriteOutBuffer(*r);
  FileHandleClose(r->handle);
  files->Release(file);
}
