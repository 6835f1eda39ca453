// What POSIX file names may be: any bytes but '/' and NUL; and what POSIX permissions
// mean for a site's files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "catalogue_checks.h"
#include "catalogue_document.h"
#include "catalogue_routes.h"
#include "picture_set.h"
#include "site_export.h"

namespace {

using catalogue::LoadPictureFolder;

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

// A web server's workers run as a user of their own: a picture only its owner may read
// is still published readable.
TEST(SiteExport, PicturesOnlyTheirOwnerMayReadArePublishedReadable) {
  checks::TempFolder temp;
  temp.Write("pictures/private.jpg", checks::SomeJpeg(16, 16));
  ASSERT_EQ(chmod((temp.Path() / "pictures/private.jpg").c_str(), 0600), 0);
  std::string error;
  auto set = LoadPictureFolder(temp.Path() / "pictures", error);
  ASSERT_TRUE(set) << error;
  catalogue::SiteSummary summary;
  ASSERT_TRUE(catalogue::WriteSite(catalogue::CatalogueRoutes(set), temp.Path() / "site", {},
                                   summary, error))
      << error;
  struct stat published {};
  ASSERT_EQ(stat((temp.Path() / "site/trawl/pictures/private.jpg").c_str(), &published), 0);
  EXPECT_EQ(published.st_mode & 0444, 0444u);
}

}  // namespace
