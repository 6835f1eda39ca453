#include "catalogue_routes.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "catalogue_checks.h"

namespace {

using catalogue::CatalogueRoutes;
using catalogue::HttpAnswer;

constexpr char kBase[] = "http://127.0.0.1:8917";
constexpr int64_t kExtremes[] = {std::numeric_limits<int64_t>::min(), -13, -1, 0, 1, 11, 12,
                                 std::numeric_limits<int64_t>::max()};

HttpAnswer Answer(const std::string& path, const std::string& method = "GET") {
  return CatalogueRoutes(checks::Samples()).Answer(method, path, kBase);
}

std::vector<checks::Row> Rows(const std::string& path) {
  HttpAnswer answer = Answer(path);
  EXPECT_EQ(answer.status, 200) << path;
  EXPECT_EQ(answer.contentType.rfind("application/xml", 0), 0u) << path;
  checks::ReadCatalogue read = checks::Read(answer.body);
  EXPECT_TRUE(read.wellFormed && read.rootIsCatalogue) << path;
  return read.rows;
}

TEST(Pages, SeriesPagesCoverEachPictureOnceAndAnyNumberGivesAPageOrADay) {
  for (size_t count : {1u, 2u, 12u, 13u}) {
    for (int64_t a = catalogue::kFirstSeries; a <= catalogue::kLastSeries; ++a) {
      int64_t size = a - 899, pages = (static_cast<int64_t>(count) + size - 1) / size;
      std::multiset<size_t> seen;
      for (int64_t b = 0; b < pages; ++b) {
        auto page = catalogue::SeriesPage(count, a, b);
        ASSERT_TRUE(!page.empty() && static_cast<int64_t>(page.size()) <= size) << a << " " << b;
        seen.insert(page.begin(), page.end());
      }
      for (size_t i = 0; i < count; ++i) ASSERT_EQ(seen.count(i), 1u) << count << " " << a;
      for (int64_t b : kExtremes) {  // every number is some page, taken modulo the pages
        ASSERT_EQ(catalogue::SeriesPage(count, a, b),
                  catalogue::SeriesPage(count, a, (b % pages + pages) % pages));
      }
    }
    for (int64_t b : kExtremes) {
      auto day = catalogue::DayPictures(count, b);
      ASSERT_EQ(day.size(), std::min<size_t>(3, count)) << b;
      for (size_t i = 1; i < day.size(); ++i) ASSERT_EQ(day[i], (day[i - 1] + 1) % count);
    }
  }
  EXPECT_TRUE(catalogue::SeriesPage(12, 899, 0).empty());
  EXPECT_TRUE(catalogue::SeriesPage(12, 927, 0).empty());
  EXPECT_TRUE(catalogue::SeriesPage(0, 900, 0).empty());
  EXPECT_EQ(catalogue::DayPictures(12, 11), (std::vector<size_t>{11, 0, 1}));
}

TEST(CatalogueRoutes, SampleAndAlbumsListPicturesByAlbumWithAddressesThatAnswer) {
  auto sample = Rows("/trawl/catalog/sample.xml");
  ASSERT_EQ(sample.size(), 12u);
  EXPECT_EQ(sample[0].name, "Harbour_harbour-01.jpg");
  EXPECT_EQ(sample[0].address, std::string(kBase) + "/trawl/pictures/harbour-01.jpg");
  std::set<std::string> names;
  for (const checks::Row& row : sample) {
    names.insert(row.name);
    ASSERT_EQ(row.address.rfind(std::string(kBase) + "/trawl/pictures/", 0), 0u) << row.address;
    HttpAnswer picture = Answer(row.address.substr(std::string(kBase).size()));
    EXPECT_EQ(picture.contentType, "image/jpeg");
    EXPECT_NE(checks::JpegSize(picture.body).first, 0) << row.address;
  }
  EXPECT_EQ(names.size(), 12u) << "row names are file names and must not collide";
  auto city = Rows("/trawl/catalog/city.xml");
  ASSERT_EQ(city.size(), 4u);
  for (const checks::Row& row : city) EXPECT_EQ(row.name.rfind("City_", 0), 0u);
}

TEST(CatalogueRoutes, NumberedCataloguesFollowThePages) {
  EXPECT_EQ(Rows("/trawl/catalog/series/900/5.xml").size(), 1u);
  EXPECT_EQ(Rows("/trawl/catalog/series/926/7.xml").size(), 12u);
  EXPECT_EQ(Rows("/trawl/catalog/series/905/-1.xml").size(), 6u);
  EXPECT_NE(Rows("/trawl/catalog/series/901/0.xml")[0].address,
            Rows("/trawl/catalog/series/901/1.xml")[0].address);
  // A day that wraps round the end starts the first album's context again.
  auto wrapped = Rows("/trawl/catalog/yearly/365/11.xml");
  ASSERT_EQ(wrapped.size(), 3u);
  EXPECT_EQ(wrapped[0].name, "City_city-04.jpg");
  EXPECT_EQ(wrapped[1].name, "Harbour_harbour-01.jpg");
}

TEST(CatalogueRoutes, OtherNamesAndNumbersAreNotFoundAndOnlyGetAndHeadAreServed) {
  for (const std::string& rest : checks::Words(
           "series/899/1.xml series/927/1.xml yearly/364/1.xml yearly/366/1.xml "
           "series/900/x.xml series/900/.xml series/900/5 series/900/5/6.xml series/x/5.xml "
           "series/900/99999999999999999999.xml yearly/900/1.xml weekly/900/1.xml "
           "nothing.xml sample . .xml ../pictures/harbour-01.jpg")) {
    HttpAnswer answer = Answer("/trawl/catalog/" + rest);
    EXPECT_EQ(answer.status, 404) << rest;
    EXPECT_EQ(answer.contentType.rfind("text/html", 0), 0u) << rest;
  }
  for (const std::string& path :
       checks::Words("/trawl/pictures/ /trawl/pictures/HARBOUR-01.JPG /trawl/ping/ /x"))
    EXPECT_EQ(Answer(path).status, 404) << path;
  EXPECT_EQ(Answer("/trawl/ping").status, 200);
  EXPECT_NE(Answer("/").body.find("/trawl/catalog/sample.xml"), std::string::npos);
  EXPECT_EQ(Answer("/trawl/pictures/city-01.jpg", "HEAD").status, 200);
  for (const std::string& method : checks::Words("POST PUT DELETE OPTIONS"))
    EXPECT_EQ(Answer("/trawl/ping", method).status, 405) << method;
}

}  // namespace
