// What Windows file names may be: UTF-16, not always valid, and hidden by an attribute.
#include <windows.h>

#include <gtest/gtest.h>

#include "catalogue_checks.h"
#include "catalogue_document.h"
#include "picture_set.h"
#include "server_platform.h"

namespace {

using catalogue::LoadPictureFolder;

TEST(PictureFolder, WindowsNamesReachTheCatalogueAsUtf8) {
  checks::TempFolder temp;
  const std::string jpeg = checks::SomeJpeg(16, 16);
  // Outside the ANSI code page, and XML's own characters.
  temp.Write(L"top\\Caf\u00E9 & \u2615\\one two#'.jpg", jpeg);
  std::string error;
  auto set = LoadPictureFolder(temp.Path() / L"top", error);
  ASSERT_TRUE(set) << error;
  ASSERT_EQ(set->pictures.size(), 1u);
  EXPECT_EQ(set->albums[set->pictures[0].album].title, "Caf\xC3\xA9 & \xE2\x98\x95");
  EXPECT_EQ(set->pictures[0].path, "Caf\xC3\xA9 & \xE2\x98\x95/one two#'.jpg");
  EXPECT_EQ(catalogue::ReadPicture(*set, set->pictures[0].path), jpeg);
  checks::ReadCatalogue read = checks::Read(catalogue::CatalogueXml(*set, {0}, "http://h:1"));
  ASSERT_TRUE(read.wellFormed);
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0].name, "Caf\xC3\xA9 & \xE2\x98\x95_one%20two%23%27.jpg");
}

// A name need not be valid UTF-16 (Wine cannot make such a file, so the conversion is
// checked alone): the half surrogate becomes U+FFFD instead of an exception.
TEST(ServerPlatform, PathsConvertToUtf8AndBackEvenWhenNotValidUtf16) {
  using catalogue::platform::PathFromUtf8;
  using catalogue::platform::Utf8Path;
  EXPECT_EQ(Utf8Path(std::filesystem::path(L"a\xD800" L"b")), "a\xEF\xBF\xBD" "b");
  const std::string named = "C:\\Bilder\\\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x8A";
  EXPECT_EQ(PathFromUtf8(named).native(), L"C:\\Bilder\\\u00E9t\u00E9 \U0001F30A");
  EXPECT_EQ(Utf8Path(PathFromUtf8(named)), named);
}

TEST(PictureFolder, FilesAndFoldersWithTheHiddenAttributeAreLeftOut) {
  checks::TempFolder temp;
  const std::string jpeg = checks::SomeJpeg(16, 16);
  temp.Write("top/shown.jpg", jpeg);
  temp.Write("top/Album/b.jpg", jpeg);
  const std::filesystem::path hidden[] = {temp.Write("top/hidden.jpg", jpeg),
                                          temp.Write("top/Secret/c.jpg", jpeg).parent_path()};
  for (const std::filesystem::path& path : hidden) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
    if (!(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN))
      GTEST_SKIP() << "this file system keeps no hidden attribute";
  }
  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "top", error);
  ASSERT_TRUE(set) << error;
  std::vector<std::string> paths;
  for (const auto& p : set->pictures) paths.push_back(p.path);
  EXPECT_EQ(paths, checks::Words("shown.jpg Album/b.jpg"));
}

}  // namespace
