#include "picture_set.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue_checks.h"

namespace {

using catalogue::LoadPictureFolder;

std::vector<std::string> Titles(const catalogue::PictureSet& set) {
  std::vector<std::string> titles;
  for (const auto& album : set.albums) titles.push_back(album.title);
  return titles;
}

TEST(SamplePictures, TwelveDistinctWholeJpegsOfSeveralSizesInThreeAlbums) {
  auto set = checks::Samples();
  ASSERT_EQ(set->pictures.size(), 12u);
  EXPECT_EQ(Titles(*set), (std::vector<std::string>{"Harbour", "Forest", "City"}));
  std::set<std::string> contents;
  std::set<std::pair<int, int>> sizes;
  for (const auto& picture : set->pictures) {
    std::string bytes = catalogue::ReadPicture(*set, picture.path).value_or("");
    auto [width, height] = checks::JpegSize(bytes);
    EXPECT_TRUE(width >= 640 && width <= 1600 && height >= 480 && height <= 1200)
        << picture.path << " " << width << "x" << height;
    sizes.insert({width, height});
    contents.insert(bytes);
  }
  EXPECT_EQ(contents.size(), 12u);
  EXPECT_GE(sizes.size(), 3u);
}

TEST(PictureFolder, TopLevelAndSubfolderPicturesBecomeAlbumsSkippingEverythingElse) {
  checks::TempFolder temp;
  std::string jpeg = checks::SomeJpeg(40, 30);
  for (const std::string& file : checks::Words(
           "b.jpg A.JPEG .hidden.jpg Boats/x.jpg Boats/deeper/y.jpg sample/s.jpg .dot/z.jpg"))
    temp.Write("Holiday/" + file, jpeg);
  temp.Write("Holiday/notes.txt", "not a picture");
  temp.Write("Holiday/Empty/readme.txt", "");
  std::filesystem::create_directories(temp.Path() / "Holiday/folder.jpg");

  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "Holiday", error);
  ASSERT_TRUE(set) << error;
  EXPECT_EQ(Titles(*set), (std::vector<std::string>{"Holiday", "Boats", "sample"}));
  std::vector<std::string> paths;
  for (const auto& p : set->pictures) paths.push_back(p.path);
  EXPECT_EQ(paths, checks::Words("A.JPEG b.jpg Boats/x.jpg sample/s.jpg"));
  EXPECT_EQ(catalogue::ReadPicture(*set, "Boats/x.jpg"), jpeg);
  EXPECT_FALSE(catalogue::ReadPicture(*set, "Boats/deeper/y.jpg"));
  EXPECT_NE(set->albums[2].slug, "sample") << "the full catalogue's name stays free";
}

TEST(PictureFolder, MissingOrPictureLessFoldersAreRefusedWithAReason) {
  checks::TempFolder temp;
  std::string error;
  EXPECT_FALSE(LoadPictureFolder(temp.Path() / "absent", error));
  EXPECT_NE(error.find("absent"), std::string::npos);
  EXPECT_FALSE(LoadPictureFolder(temp.Write("file.jpg", "x"), error));
  temp.Write("texts/a.txt", "x");
  temp.Write("texts/deep/er/b.jpg", "x");
  error.clear();
  EXPECT_FALSE(LoadPictureFolder(temp.Path() / "texts", error));
  EXPECT_NE(error.find("no pictures"), std::string::npos);
}

TEST(CleanTitle, KeepsUtf8AndReplacesWhatXmlCannotCarry) {
  using catalogue::CleanTitle;
  EXPECT_EQ(CleanTitle("Hafen \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8C\x8A"),
            "Hafen \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8C\x8A");
  EXPECT_EQ(CleanTitle("a\tb\x7F"), "a_b_");
  EXPECT_EQ(CleanTitle("\xC0\xAF"), "__");            // overlong '/'
  EXPECT_EQ(CleanTitle("\xED\xA0\x80x"), "___x");     // a surrogate
  EXPECT_EQ(CleanTitle("\xF4\x90\x80\x80"), "____");  // above U+10FFFF
  EXPECT_EQ(CleanTitle("end\xE2\x82"), "end__");      // cut short
  EXPECT_EQ(catalogue::MakeSlug("  Old Town / 1999 "), "old-town-1999");
  EXPECT_EQ(catalogue::MakeSlug("\xC3\xA4\xC3\xB6"), "album");
}

}  // namespace
