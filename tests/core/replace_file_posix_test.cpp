// Whole-file replacement on Linux: what the kernel is asked to do, in which order (the
// test binary stands between the library and libc for fdatasync and rename), and the
// hidden files other processes left behind.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "replace_file.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

struct Flush {
  std::string path;
  off_t size;
};
std::mutex seenLock;
std::vector<Flush> flushes;                                  // files flushed, with their size then
std::vector<std::pair<std::string, std::string>> renames;  // (from, to)

std::string PathOfDescriptor(int fd) {
  std::error_code error;
  return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string();
}

}  // namespace

extern "C" int fdatasync(int fd) {
  struct stat info {};
  fstat(fd, &info);
  {
    std::lock_guard lock(seenLock);
    flushes.push_back({PathOfDescriptor(fd), info.st_size});
  }
  static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
  return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
  {
    std::lock_guard lock(seenLock);
    renames.emplace_back(from, to);
  }
  static auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
  return real(from, to);
}

namespace {

class ReplaceFilePosixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::lock_guard lock(seenLock);
    flushes.clear();
    renames.clear();
  }
  std::string PathOfName(const std::string& name) const { return scratch_.Path() + "/" + name; }
  Text PathText(const std::string& name) const { return TextFromUtf8(PathOfName(name)); }

  ScratchFolder scratch_;
};

TEST_F(ReplaceFilePosixTest, TheBytesAreOnTheDiskBeforeTheNameMovesOverTheTarget) {
  std::ofstream(PathOfName("a.jpg"), std::ios::binary) << "old";
  const std::vector<uint8_t> bytes(100000, 7);
  ASSERT_TRUE(ReplaceFileWhole(PathText("a.jpg"), bytes.data(), 100000));
  std::lock_guard lock(seenLock);
  ASSERT_EQ(renames.size(), 1u);
  EXPECT_EQ(renames[0].second, PathOfName("a.jpg"));
  ASSERT_EQ(flushes.size(), 1u) << "renamed without flushing";
  EXPECT_EQ(flushes[0].path, renames[0].first) << "flushed another file";
  EXPECT_EQ(flushes[0].size, 100000) << "flushed before every byte was written";
}

TEST_F(ReplaceFilePosixTest, HiddenFilesLeftByAnEarlierProcessWithTheSameIdAreNoHindrance) {
  // What a process that ended abruptly leaves, named as any process of this id might.
  const std::string id = std::to_string(getpid());
  for (int n = 0; n < 256; ++n) MakeEmptyFile(PathOfName(".trawl-" + id + "-" + std::to_string(n) + ".part"));
  const uint8_t bytes[] = {0xFF, 0xD8, 0xFF, 0xD9};
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(ReplaceFileWhole(PathText("a.jpg"), bytes, 4)) << i;
  EXPECT_EQ(fs::file_size(PathOfName("a.jpg")), 4u);
}

}  // namespace
