#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files.h"

namespace fs = std::filesystem;

// A hidden file cannot be created anew with normal attributes, only emptied.
bool MakeFileRefuseReadWriteCreate(const fs::path& file) {
  return SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN) != 0;
}

void LetFileBeCreatedAgain(const fs::path& file) {
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

Text AsText(const fs::path& path) {
  const std::u16string units = path.u16string();
  return Text(units.begin(), units.end());
}

TEST(FilesWin32Test, DrivesAreFoldersWhenTheyExistAndNothingOtherwise) {
  const Text system = AsText(fs::temp_directory_path()).substr(0, 2);  // "C:", or so
  ASSERT_EQ(system[1], u':');
  for (const Text& drive : {system, system + u"\\", system + u"/"}) EXPECT_EQ(PathSize(drive), -2);
  char16_t missing = 0;
  for (char16_t letter = u'Y'; letter >= u'D' && missing == 0; --letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) missing = letter;
  }
  ASSERT_NE(missing, 0) << "every drive letter is in use";
  for (const Text& drive : {Text{missing, u':'}, Text{missing, u':', u'\\'}}) EXPECT_EQ(PathSize(drive), -1);
  EXPECT_EQ(PathSize(Text{missing, u':', u'\\', u'x'}), -1);
}

TEST(FilesWin32Test, BothSeparatorsWorkAndTrailingOnesAreIgnored) {
  const fs::path folder = fs::temp_directory_path() / "trawl-files-separators";
  fs::remove_all(folder);
  fs::create_directories(folder / "inner");
  FileServiceInit();
  const Text base = AsText(folder);
  ASSERT_NE(FileCreate(1, base + u"\\inner\\five"), 0);
  EXPECT_EQ(FileWrite(1, "12345", 5), 5);
  FileClose(1);
  EXPECT_EQ(PathSize(base + u"\\inner\\five"), 5);
  EXPECT_EQ(PathSize(base + u"/inner/five\\"), 5);
  EXPECT_EQ(PathSize(base + u"\\inner\\\\"), -2);
  EXPECT_EQ(PathSize(base + u"/inner//"), -2);
  EXPECT_EQ(PathSize(base + u"\\inner\\fiv*"), -1);  // no wildcard search
  fs::remove_all(folder);
}

// Windows marks customised shell folders such as Pictures read-only, yet files can be made
// there; only making one shows it. Judging leaves nothing behind.
TEST(FilesWin32Test, AFolderMarkedReadOnlyThatTakesFilesIsWritable) {
  const fs::path folder = fs::temp_directory_path() / "trawl-files-marked";
  fs::remove_all(folder);
  fs::create_directories(folder);
  ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(FolderWritable(AsText(folder)), 1);
  EXPECT_EQ(FolderWritable(AsText(folder / "Trawl" / "")), 1);  // to be made inside it
  EXPECT_TRUE(fs::is_empty(folder));
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(folder);
}

// An installed program's folder has no read-only attribute, yet refuses an ordinary
// user's files. scripts/windows/test.sh runs this as such a user, naming a folder of
// another owner that this user may read but not write.
TEST(AsAnOrdinaryUser, AFolderTheUserMayNotWriteIsNotWritable) {
  const char* given = std::getenv("TRAWL_TEST_UNWRITABLE_FOLDER");
  if (!given) GTEST_SKIP() << "TRAWL_TEST_UNWRITABLE_FOLDER names no folder";
  const fs::path folder(given);
  ASSERT_EQ(PathSize(AsText(folder)), -2) << given;
  EXPECT_EQ(FolderWritable(AsText(folder)), 0);
  EXPECT_EQ(FolderWritable(AsText(folder / "Trawl" / "")), 0);
  EXPECT_EQ(FolderCreate(AsText(folder / "Trawl")), 0);
}

}  // namespace
