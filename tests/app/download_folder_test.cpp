// The folder downloads start in.
#include "download_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "scratch_folder.h"
#include "texts.h"

namespace {

using R = TextRole;

// A path written with "/" in the platform's own separators.
std::string Native(std::string path) {
  const std::string separator = Separator();
  for (size_t at = path.find('/'); at != std::string::npos; at = path.find('/', at + 1))
    path.replace(at, 1, separator);
  return path;
}

// An installed program's folder takes no files: downloads then go to a folder of the
// program's own in the pictures folder, made only by the first save, and to the home
// folder when that folder cannot be made. Paths through a file stand in for folders
// nobody may write (file modes would not stop a test run as root).
TEST(StartDownloadFolder, ProgramFolderElsePicturesElseHome) {
  ScratchFolder scratch;
  ASSERT_TRUE(scratch.Valid());
  const std::string base = scratch.Path() + Separator();
  for (const char* folder : {"program", "home/Pictures/taken"})
    ASSERT_TRUE(MakeFolders(base + Native(folder)));
  for (const char* file : {"file", "home/Pictures/taken/Trawl"})
    ASSERT_TRUE(MakeEmptyFile(base + Native(file)));
  TextsLoad(TextTable::BuiltIn());
  const std::string own = TextToUtf8(T(R::DownloadFolderName)) + Separator();
  ASSERT_EQ(own, Native("Trawl/"));

  const std::string home = base + Native("home/");
  const std::string locked = base + Native("file/bin/");  // cannot be written or made
  struct Case {
    std::string program, pictures, expected;
  } cases[] = {
      {base + Native("program/"), home + Native("Pictures/"), base + Native("program/")},
      {locked, home + Native("Pictures/"), home + Native("Pictures/") + own},
      // made with it
      {locked, home + Native("Desktop pictures/"), home + Native("Desktop pictures/") + own},
      {locked, home, home + own},  // no pictures folder: the home folder stands in
      {locked, base + Native("file/Pictures/"), home},
      {locked, home + Native("Pictures/taken/"), home},  // the name is held by a file
      {locked, "", home},
  };
  for (const Case& c : cases) {
    const Text chosen = StartDownloadFolder(TextFromUtf8(c.program), TextFromUtf8(c.pictures),
                                            TextFromUtf8(home));
    EXPECT_EQ(TextToUtf8(chosen), c.expected) << c.program << " | " << c.pictures;
  }
  EXPECT_EQ(StartDownloadFolder(TextFromUtf8(locked), u"", u""), TextFromUtf8(locked));
  // Choosing made nothing.
  EXPECT_FALSE(PathExists(home + Native("Pictures/Trawl")));
  EXPECT_FALSE(PathExists(home + "Desktop pictures"));
}

}  // namespace
