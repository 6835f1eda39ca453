#include "picture_set.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue_checks.h"
#include "catalogue_document.h"
#include "sample_pictures.h"

namespace {

using catalogue::LoadPictureFolder;

std::vector<std::string> Titles(const catalogue::PictureSet& set) {
  std::vector<std::string> titles;
  for (const auto& album : set.albums) titles.push_back(album.title);
  return titles;
}

std::vector<size_t> Everything(const catalogue::PictureSet& set) {
  std::vector<size_t> all(set.pictures.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  return all;
}

TEST(SamplePictures, TwelveDistinctRealJpegsOfSeveralSizesInThreeAlbums) {
  auto set = checks::Samples();
  ASSERT_EQ(set->pictures.size(), 12u);
  EXPECT_EQ(Titles(*set), (std::vector<std::string>{"Harbour", "Forest", "City"}));
  std::set<std::string> contents;
  std::set<std::pair<int, int>> sizes;
  for (const auto& picture : set->pictures) {
    auto bytes = catalogue::ReadPicture(*set, picture.path);
    ASSERT_TRUE(bytes && bytes->size() > 4) << picture.path;
    EXPECT_EQ(bytes->substr(0, 2), "\xFF\xD8") << picture.path;
    EXPECT_EQ(bytes->substr(bytes->size() - 2), "\xFF\xD9") << picture.path;
    checks::JpegInfo info = checks::InspectJpeg(*bytes);
    ASSERT_TRUE(info.decodes) << picture.path;
    EXPECT_TRUE(info.width >= 640 && info.width <= 1600) << info.width;
    EXPECT_TRUE(info.height >= 480 && info.height <= 1200) << info.height;
    sizes.insert({info.width, info.height});
    contents.insert(*bytes);
  }
  EXPECT_EQ(contents.size(), 12u);
  EXPECT_GE(sizes.size(), 3u);
}

TEST(SamplePictures, PaintingIsRepeatableAndTheSeedChangesThePicture) {
  using catalogue::PaintScene;
  using catalogue::Scene;
  for (Scene scene : {Scene::Harbour, Scene::Forest, Scene::City}) {
    auto once = PaintScene(scene, 3, 320, 240);
    EXPECT_EQ(once.rgb, PaintScene(scene, 3, 320, 240).rgb);
    EXPECT_NE(once.rgb, PaintScene(scene, 4, 320, 240).rgb);
    std::set<uint8_t> reds(once.rgb.begin(), once.rgb.end());
    EXPECT_GT(reds.size(), 20u) << "a scene is more than a flat colour";
  }
  EXPECT_EQ(catalogue::EncodeJpeg(PaintScene(Scene::City, 1, 0, 100), 80), "");
  EXPECT_EQ(catalogue::EncodeJpeg(catalogue::Canvas{10, 10, {}}, 80), "");
}

TEST(PictureFolder, TopLevelAndSubfolderPicturesBecomeAlbumsSkippingEverythingElse) {
  checks::TempFolder temp;
  std::string jpeg = checks::TinyJpeg(40, 30);
  temp.Write("Holiday/b.jpg", jpeg);
  temp.Write("Holiday/A.JPEG", jpeg);
  temp.Write("Holiday/notes.txt", "not a picture");
  temp.Write("Holiday/.hidden.jpg", jpeg);
  temp.Write("Holiday/Boats/x.jpg", jpeg);
  temp.Write("Holiday/Boats/deeper/y.jpg", jpeg);
  temp.Write("Holiday/Empty/readme.txt", "");
  temp.Write("Holiday/sample/s.jpg", jpeg);
  std::filesystem::create_directories(temp.Path() / "Holiday/folder.jpg");

  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "Holiday", error);
  ASSERT_TRUE(set) << error;
  EXPECT_EQ(Titles(*set), (std::vector<std::string>{"Holiday", "Boats", "sample"}));
  std::vector<std::string> paths;
  for (const auto& p : set->pictures) paths.push_back(p.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"A.JPEG", "b.jpg", "Boats/x.jpg", "sample/s.jpg"}));
  EXPECT_EQ(catalogue::ReadPicture(*set, "Boats/x.jpg"), jpeg);
  EXPECT_FALSE(catalogue::ReadPicture(*set, "Boats/deeper/y.jpg"));
  EXPECT_NE(set->albums[2].slug, "sample") << "the full catalogue's name stays free";
}

TEST(PictureFolder, MissingEmptyOrPictureLessFoldersAreRefusedWithAReason) {
  checks::TempFolder temp;
  std::string error;
  EXPECT_FALSE(LoadPictureFolder(temp.Path() / "absent", error));
  EXPECT_NE(error.find("absent"), std::string::npos);
  error.clear();
  EXPECT_FALSE(LoadPictureFolder(temp.Write("file.jpg", "x"), error));
  EXPECT_FALSE(error.empty());
  error.clear();
  std::filesystem::create_directories(temp.Path() / "empty");
  EXPECT_FALSE(LoadPictureFolder(temp.Path() / "empty", error));
  EXPECT_NE(error.find("no pictures"), std::string::npos);
  temp.Write("texts/a.txt", "x");
  temp.Write("texts/deep/er/b.jpg", "x");
  EXPECT_FALSE(LoadPictureFolder(temp.Path() / "texts", error));
}

TEST(PictureFolder, OddFolderNamesStillGiveAWellFormedCatalogueWithDistinctNames) {
  checks::TempFolder temp;
  std::string jpeg = checks::TinyJpeg(16, 16);
  // Bytes that are not UTF-8, a control character and XML's special characters.
  temp.Write("top/Caf\xE9 \x01<&>\"/one two#?.jpg", jpeg);
  temp.Write("top/My Boats/a.jpg", jpeg);
  temp.Write("top/my-boats/a.jpg", jpeg);
  for (int i = 0; i < 13; ++i) temp.Write("top/Many/" + std::to_string(100 + i) + ".jpg", jpeg);
  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "top", error);
  ASSERT_TRUE(set) << error;

  std::string xml = catalogue::CatalogueXml(*set, Everything(*set), "http://127.0.0.1:1");
  checks::ReadCatalogue read = checks::Read(xml);
  ASSERT_TRUE(read.wellFormed) << xml;
  ASSERT_EQ(read.rows.size(), 16u);
  EXPECT_EQ(read.rows[0].name, "Caf_ _<&>\"_one%20two%23%3F.jpg");
  EXPECT_EQ(read.sections, 6) << "13 pictures make three sections, the three others one each";
  std::set<std::string> slugs;
  for (const auto& album : set->albums) slugs.insert(album.slug);
  EXPECT_EQ(slugs.size(), set->albums.size());
  EXPECT_EQ(catalogue::ReadPicture(*set, "Caf\xE9 \x01<&>\"/one two#?.jpg"), jpeg);
}

TEST(CleanTitle, KeepsUtf8AndReplacesWhatXmlCannotCarry) {
  using catalogue::CleanTitle;
  EXPECT_EQ(CleanTitle("Hafen \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8C\x8A"),
            "Hafen \xC3\xA4\xE2\x82\xAC\xF0\x9F\x8C\x8A");
  EXPECT_EQ(CleanTitle("a\tb\x7F"), "a_b_");
  EXPECT_EQ(CleanTitle("\xC0\xAF"), "__");          // overlong '/'
  EXPECT_EQ(CleanTitle("\xED\xA0\x80x"), "___x");   // a surrogate
  EXPECT_EQ(CleanTitle("\xF4\x90\x80\x80"), "____");  // above U+10FFFF
  EXPECT_EQ(CleanTitle("end\xE2\x82"), "end__");    // cut short
  EXPECT_EQ(catalogue::MakeSlug("  Old Town / 1999 "), "old-town-1999");
  EXPECT_EQ(catalogue::MakeSlug("\xC3\xA4\xC3\xB6"), "album");
}

}  // namespace
