#include "picture_set.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue_checks.h"
#include "catalogue_document.h"

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

TEST(PictureFolder, OddNamesStillGiveAWellFormedCatalogueWithDistinctNames) {
  checks::TempFolder temp;
  std::string jpeg = checks::SomeJpeg(16, 16);
  // Bytes that are not UTF-8, a control character and XML's own special characters.
  const std::string odd = "top/Caf\xE9 \x01<&>\"/one two#?.jpg";
  temp.Write(odd, jpeg);
  temp.Write("top/My Boats/a.jpg", jpeg);
  temp.Write("top/my-boats/a.jpg", jpeg);
  for (int i = 0; i < 13; ++i) temp.Write("top/Many/" + std::to_string(100 + i) + ".jpg", jpeg);
  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "top", error);
  ASSERT_TRUE(set) << error;

  std::vector<size_t> all(set->pictures.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  std::string xml = catalogue::CatalogueXml(*set, all, "http://127.0.0.1:1");
  checks::ReadCatalogue read = checks::Read(xml);
  ASSERT_TRUE(read.wellFormed) << xml;
  ASSERT_EQ(read.rows.size(), 16u);
  EXPECT_EQ(read.rows[0].name, "Caf_ _<&>\"_one%20two%23%3F.jpg");
  EXPECT_EQ(read.sections, 6) << "13 pictures make three sections, the three others one each";
  EXPECT_EQ(catalogue::ReadPicture(*set, odd.substr(4)), jpeg);
  std::set<std::string> slugs;
  for (const auto& album : set->albums) slugs.insert(album.slug);
  EXPECT_EQ(slugs.size(), set->albums.size());
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
