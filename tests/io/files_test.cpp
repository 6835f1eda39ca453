#include "files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;

// Makes `file` refuse to be created anew for reading and writing, while it may still be
// emptied for writing only (files_posix_test.cpp, files_win32_test.cpp); false when this
// cannot be arranged here.
bool MakeFileRefuseReadWriteCreate(const fs::path& file);
void LetFileBeCreatedAgain(const fs::path& file);

namespace {

std::string Pattern(size_t length, size_t first = 0) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((first + i) * 7 + 1);
  return bytes;
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FileServiceInit();
    folder_ = fs::temp_directory_path() /
              ("trawl-files-" + std::to_string(std::random_device()()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    FileClose(-1);
    fs::remove_all(folder_);
  }

  // Names are UTF-8; paths are the platform's own (wide on Windows).
  fs::path Path(const std::string& name) const {
    return folder_ / fs::path(std::u8string(name.begin(), name.end()));
  }
  static Text AsText(const fs::path& path) {
    const std::u16string units = path.u16string();
    return Text(units.begin(), units.end());
  }
  Text PathText(const std::string& name) const { return AsText(Path(name)); }
  int64_t SizeOnDisk(const std::string& name) const {
    return static_cast<int64_t>(fs::file_size(Path(name)));
  }
  std::string Contents(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  static int64_t Write(int64_t file, const std::string& bytes) {
    return FileWrite(file, bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  static std::string Read(int64_t file, size_t length) {
    std::string bytes(length, '\0');
    bytes.resize(static_cast<size_t>(FileRead(file, bytes.data(), static_cast<int64_t>(length))));
    return bytes;
  }

  fs::path folder_;
};

TEST_F(FilesTest, SmallWritesWaitInTheBufferAndLargeOnesGoStraightThrough) {
  ASSERT_NE(FileCreate(1, PathText("small")), 0);
  EXPECT_EQ(Write(1, Pattern(100)), 100);
  EXPECT_EQ(SizeOnDisk("small"), 0);
  FileClose(1);
  EXPECT_EQ(Contents("small"), Pattern(100));

  ASSERT_NE(FileCreate(1, PathText("large")), 0);
  EXPECT_EQ(Write(1, Pattern(5000)), 5000);
  EXPECT_EQ(SizeOnDisk("large"), 5000);
  // Buffered bytes are written out first, so the order holds.
  EXPECT_EQ(Write(1, Pattern(100, 5000)), 100);
  EXPECT_EQ(Write(1, Pattern(4096, 5100)), 4096);
  EXPECT_EQ(SizeOnDisk("large"), 9196);
  FileClose(1);
  EXPECT_EQ(Contents("large"), Pattern(9196));
}

TEST_F(FilesTest, TheBufferIsWrittenOutBeforeItWouldFillUp) {
  ASSERT_NE(FileCreate(2, PathText("steps")), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Write(2, Pattern(1000, 1000 * i)), 1000);
  EXPECT_EQ(SizeOnDisk("steps"), 0);
  EXPECT_EQ(Write(2, Pattern(95, 4000)), 95);  // 4095 of 4096 used
  EXPECT_EQ(SizeOnDisk("steps"), 0);
  EXPECT_EQ(Write(2, Pattern(1, 4095)), 1);  // would fill it: out it goes first
  EXPECT_EQ(SizeOnDisk("steps"), 4095);
  FileClose(2);
  EXPECT_EQ(Contents("steps"), Pattern(4096));
}

TEST_F(FilesTest, CreatingEmptiesAnExistingFileAndFailsOnFolders) {
  Put(".hidden", "old contents");
  ASSERT_NE(FileCreate(1, PathText(".hidden")), 0);
  EXPECT_EQ(SizeOnDisk(".hidden"), 0);
  FileClose(1);

  fs::create_directory(folder_ / "folder");
  EXPECT_EQ(FileCreate(1, PathText("folder")), 0);
  EXPECT_EQ(FileOpen(1, PathText("folder")), 0);
  EXPECT_EQ(FileOpenRead(1, PathText("folder")), 0);
  EXPECT_EQ(Write(1, "x"), 0);  // the number stayed free
  EXPECT_EQ(FileCreate(1, PathText("missing/inner")), 0);
  EXPECT_EQ(FileCreate(1, u""), 0);
  // A NUL inside the path must not shorten it to another file's name.
  EXPECT_EQ(FileCreate(1, PathText("victim") + Text(1, u'\0') + u"tail"), 0);
  EXPECT_FALSE(fs::exists(folder_ / "victim"));
}

TEST_F(FilesTest, CreatingAFileThatRefusesReadWriteFallsBackToWritingOnly) {
  Put("refusing", "old contents");
  if (!MakeFileRefuseReadWriteCreate(Path("refusing"))) GTEST_SKIP() << "cannot be arranged here";
  ASSERT_NE(FileCreate(1, PathText("refusing")), 0);
  EXPECT_EQ(Write(1, "new"), 3);
  FileClose(1);
  LetFileBeCreatedAgain(Path("refusing"));
  EXPECT_EQ(Contents("refusing"), "new");
}

TEST_F(FilesTest, AnyUnicodeNameWorks) {
  // Outside every legacy code page, and beyond the 16-bit plane.
  const std::string name = "\xCE\xA9mega-\xD0\xB6\xD1\x83\xD0\xBA-\xE6\xBC\xA2-\xF0\x9F\x98\x80.bin";
  ASSERT_NE(FileCreate(1, PathText(name)), 0);
  EXPECT_EQ(Write(1, Pattern(10)), 10);
  FileClose(1);
  EXPECT_EQ(Contents(name), Pattern(10));
  EXPECT_EQ(PathSize(PathText(name)), 10);
  ASSERT_NE(FileOpenRead(2, PathText(name)), 0);
  EXPECT_EQ(Read(2, 20), Pattern(10));
  FileClose(2);
}

TEST_F(FilesTest, ReadsServeFromTheBufferAndGoStraightForLargeRests) {
  Put("data", Pattern(20000));
  ASSERT_NE(FileOpenRead(3, PathText("data")), 0);
  EXPECT_EQ(Read(3, 10), Pattern(10));
  EXPECT_EQ(Read(3, 100), Pattern(100, 10));
  EXPECT_EQ(Read(3, 8000), Pattern(8000, 110));  // buffer rest, then straight
  EXPECT_EQ(Read(3, 5000), Pattern(5000, 8110));
  EXPECT_EQ(Read(3, 10000), Pattern(6890, 13110));  // short at the end
  EXPECT_EQ(Read(3, 10), "");
  EXPECT_EQ(Write(3, "x"), 0);  // read-only
  ASSERT_EQ(FileSeek(3, 19995), 1);
  EXPECT_EQ(Read(3, 100), Pattern(5, 19995));
  FileClose(3);
  EXPECT_EQ(FileOpenRead(3, PathText("absent")), 0);
}

TEST_F(FilesTest, WritingAfterReadingContinuesAtTheLogicalPosition) {
  Put("mixed", Pattern(10000));
  ASSERT_NE(FileOpen(4, PathText("mixed")), 0);
  EXPECT_EQ(Read(4, 10), Pattern(10));  // the file has read ahead 4096 bytes
  EXPECT_EQ(Write(4, "HELLO"), 5);
  EXPECT_EQ(Read(4, 5), Pattern(5, 15));  // writes out, then reads on
  ASSERT_EQ(FileSeek(4, 9998), 1);
  EXPECT_EQ(Write(4, "END"), 3);
  FileClose(4);
  std::string expected = Pattern(10000);
  expected.replace(10, 5, "HELLO");
  expected.replace(9998, 2, "END");
  EXPECT_EQ(Contents("mixed"), expected);
}

TEST_F(FilesTest, ClosingEveryFileWritesOutEveryBuffer) {
  ASSERT_NE(FileCreate(1, PathText("one")), 0);
  const int64_t dynamic = FileCreate(-1, PathText("two"));
  ASSERT_NE(dynamic, 0);
  EXPECT_EQ(Write(1, "first"), 5);
  EXPECT_EQ(Write(dynamic, "second"), 6);
  // Reusing a number closes its file first.
  ASSERT_NE(FileOpen(1, PathText("one")), 0);
  EXPECT_EQ(Contents("one"), "first");
  EXPECT_EQ(Write(1, "FIRST"), 5);
  FileServiceEnd();
  EXPECT_EQ(Contents("one"), "FIRST");
  EXPECT_EQ(Contents("two"), "second");
  EXPECT_EQ(Write(dynamic, "late"), 0);
}

TEST_F(FilesTest, PathSizeTellsFilesFoldersAndNothing) {
  Put("five", "12345");
  Put("empty", "");
  Put("caf\xC3\xA9", "ab");
  EXPECT_EQ(PathSize(PathText("five")), 5);
  EXPECT_EQ(PathSize(PathText("five/")), 5);
  EXPECT_EQ(PathSize(PathText("empty")), 0);
  EXPECT_EQ(PathSize(PathText("caf\xC3\xA9")), 2);
  EXPECT_EQ(PathSize(PathText("absent")), -1);
  EXPECT_EQ(PathSize(u""), -1);
  EXPECT_EQ(PathSize(AsText(folder_)), -2);
  EXPECT_EQ(PathSize(AsText(folder_) + u"//"), -2);
  EXPECT_EQ(PathSize(u"/"), -2);
  EXPECT_EQ(PathSize(PathText("five") + Text(1, u'\0')), -1);
}

// A folder that is not there yet counts as writable when its nearest existing parent
// is a folder; making it makes every missing step. A file on the way stops both.
TEST_F(FilesTest, FoldersAreJudgedByTheirNearestParentAndMadeStepByStep) {
  Put("file", "x");
  const Text nested = PathText("a") + Text(1, fs::path::preferred_separator) + u"b" +
                      Text(1, fs::path::preferred_separator);
  EXPECT_EQ(FolderWritable(AsText(folder_)), 1);
  EXPECT_EQ(FolderWritable(nested), 1);
  // Judging leaves nothing behind: neither the missing folder nor the file it tries.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
  EXPECT_EQ(FolderCreate(nested), 1);
  EXPECT_TRUE(fs::is_directory(Path("a") / "b"));
  EXPECT_EQ(FolderCreate(nested), 1);  // already there
  const Text throughFile = PathText("file") + Text(1, fs::path::preferred_separator) + u"sub";
  EXPECT_EQ(FolderWritable(throughFile), 0);
  EXPECT_EQ(FolderCreate(throughFile), 0);
  EXPECT_EQ(FolderWritable(PathText("file")), 0);
  EXPECT_EQ(FolderWritable(u""), 0);
}

}  // namespace
