// The folder downloads start in.
#include "download_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "texts.h"

namespace {

using R = TextRole;

// An installed program's folder takes no files: downloads then go to a folder of the
// program's own in the pictures folder, made only by the first save, and to the home
// folder when that folder cannot be made. Paths through a file stand in for folders
// nobody may write (file modes would not stop a test run as root).
TEST(StartDownloadFolder, ProgramFolderElsePicturesElseHome) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  const std::string base = scratch.path().toStdString() + "/";
  for (const char* folder : {"program", "home/Pictures/taken"})
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(base + folder)));
  for (const char* file : {"file", "home/Pictures/taken/Trawl"}) {
    QFile made(QString::fromStdString(base + file));
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
  }
  TextsLoad(TextTable::BuiltIn());
  const std::string own = TextToUtf8(T(R::DownloadFolderName)) + "/";
  ASSERT_EQ(own, "Trawl/");

  const std::string home = base + "home/";
  const std::string locked = base + "file/bin/";  // cannot be written or made
  struct Case {
    std::string program, pictures, expected;
  } cases[] = {
      {base + "program/", home + "Pictures/", base + "program/"},
      {locked, home + "Pictures/", home + "Pictures/" + own},
      {locked, home + "Desktop pictures/", home + "Desktop pictures/" + own},  // made with it
      {locked, home, home + own},  // no pictures folder: the home folder stands in
      {locked, base + "file/Pictures/", home},
      {locked, home + "Pictures/taken/", home},  // the name is held by a file
      {locked, "", home},
  };
  for (const Case& c : cases) {
    const Text chosen = StartDownloadFolder(TextFromUtf8(c.program), TextFromUtf8(c.pictures),
                                            TextFromUtf8(home));
    EXPECT_EQ(TextToUtf8(chosen), c.expected) << c.program << " | " << c.pictures;
  }
  EXPECT_EQ(StartDownloadFolder(TextFromUtf8(locked), u"", u""), TextFromUtf8(locked));
  // Choosing made nothing.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(home + "Pictures/Trawl")));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(home + "Desktop pictures")));
}

}  // namespace
