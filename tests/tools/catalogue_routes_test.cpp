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

HttpAnswer Get(const std::string& path) {
  return CatalogueRoutes(checks::Samples()).Answer("GET", path, kBase);
}

checks::ReadCatalogue Catalogue(const std::string& path) {
  HttpAnswer answer = Get(path);
  EXPECT_EQ(answer.status, 200) << path;
  EXPECT_EQ(answer.contentType.rfind("application/xml", 0), 0u) << path;
  checks::ReadCatalogue read = checks::Read(answer.body);
  EXPECT_TRUE(read.wellFormed && read.rootIsCatalogue) << path;
  return read;
}

TEST(SeriesPages, EveryFirstNumberSplitsThePicturesIntoPagesThatCoverEachOnce) {
  for (size_t count : {1u, 2u, 12u, 13u, 40u}) {
    for (int64_t a = catalogue::kFirstSeries; a <= catalogue::kLastSeries; ++a) {
      std::multiset<size_t> seen;
      size_t pageSize = static_cast<size_t>(a - 899);
      for (size_t b = 0; b < (count + pageSize - 1) / pageSize; ++b) {
        auto page = catalogue::SeriesPage(count, a, static_cast<int64_t>(b));
        ASSERT_FALSE(page.empty()) << count << " " << a << " " << b;
        ASSERT_LE(page.size(), pageSize);
        seen.insert(page.begin(), page.end());
      }
      ASSERT_EQ(seen.size(), count) << count << " " << a;
      for (size_t i = 0; i < count; ++i) ASSERT_EQ(seen.count(i), 1u) << count << " " << a;
    }
  }
}

TEST(SeriesPages, AnySecondNumberGivesAPageAndOtherFirstNumbersNone) {
  for (int64_t b : kExtremes) {
    for (int64_t a : {900, 901, 913, 926}) {
      auto page = catalogue::SeriesPage(12, a, b);
      ASSERT_FALSE(page.empty()) << a << " " << b;
      for (size_t i : page) ASSERT_LT(i, 12u);
    }
    EXPECT_TRUE(catalogue::SeriesPage(12, 899, b).empty());
    EXPECT_TRUE(catalogue::SeriesPage(12, 927, b).empty());
    EXPECT_TRUE(catalogue::SeriesPage(0, 900, b).empty());
  }
  EXPECT_EQ(catalogue::SeriesPage(12, 900, -1), catalogue::SeriesPage(12, 900, 11));
}

TEST(DayPictures, ThreeNeighboursWrappingAroundForAnyDay) {
  for (int64_t b : kExtremes) {
    for (size_t count : {1u, 2u, 3u, 12u}) {
      auto day = catalogue::DayPictures(count, b);
      ASSERT_EQ(day.size(), std::min<size_t>(3, count)) << b << " " << count;
      for (size_t i = 0; i < day.size(); ++i) {
        ASSERT_LT(day[i], count);
        if (i > 0) ASSERT_EQ(day[i], (day[i - 1] + 1) % count);
      }
    }
  }
  EXPECT_EQ(catalogue::DayPictures(12, 11), (std::vector<size_t>{11, 0, 1}));
  EXPECT_TRUE(catalogue::DayPictures(0, 5).empty());
}

TEST(CatalogueRoutes, SampleListsEveryPictureNamedByAlbumWithAddressesBelowTheBase) {
  checks::ReadCatalogue sample = Catalogue("/trawl/catalog/sample.xml");
  ASSERT_EQ(sample.rows.size(), 12u);
  EXPECT_EQ(sample.rows.front().name, "Harbour_harbour-01.jpg");
  EXPECT_EQ(sample.rows.front().address, "http://127.0.0.1:8917/trawl/pictures/harbour-01.jpg");
  std::set<std::string> names;
  for (const checks::Row& row : sample.rows) {
    names.insert(row.name);
    ASSERT_EQ(row.address.rfind(std::string(kBase) + "/trawl/pictures/", 0), 0u) << row.address;
    HttpAnswer picture = Get(row.address.substr(std::string(kBase).size()));
    EXPECT_EQ(picture.status, 200) << row.address;
    EXPECT_EQ(picture.contentType, "image/jpeg");
    EXPECT_TRUE(checks::InspectJpeg(picture.body).decodes) << row.address;
  }
  EXPECT_EQ(names.size(), 12u) << "row names are file names and must not collide";
  EXPECT_GE(sample.sections, 3);
}

TEST(CatalogueRoutes, AlbumCataloguesHoldOnlyTheirOwnAlbum) {
  size_t total = 0;
  for (std::string album : {"Harbour", "Forest", "City"}) {
    std::string slug = album;
    slug[0] = static_cast<char>(std::tolower(slug[0]));
    checks::ReadCatalogue read = Catalogue("/trawl/catalog/" + slug + ".xml");
    ASSERT_FALSE(read.rows.empty()) << slug;
    for (const checks::Row& row : read.rows) EXPECT_EQ(row.name.rfind(album + "_", 0), 0u);
    total += read.rows.size();
  }
  EXPECT_EQ(total, 12u);
}

TEST(CatalogueRoutes, NumberedCataloguesFollowThePages) {
  EXPECT_EQ(Catalogue("/trawl/catalog/series/900/5.xml").rows.size(), 1u);
  EXPECT_EQ(Catalogue("/trawl/catalog/series/926/7.xml").rows.size(), 12u);
  EXPECT_EQ(Catalogue("/trawl/catalog/series/905/-1.xml").rows.size(), 6u);
  EXPECT_EQ(Catalogue("/trawl/catalog/yearly/365/12.xml").rows.size(), 3u);
  auto first = Catalogue("/trawl/catalog/series/901/0.xml").rows;
  auto second = Catalogue("/trawl/catalog/series/901/1.xml").rows;
  ASSERT_EQ(first.size(), 2u);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_NE(first[0].address, second[0].address);
  // A day that wraps round the end starts a new album context for the first picture.
  auto wrapped = Catalogue("/trawl/catalog/yearly/365/11.xml").rows;
  ASSERT_EQ(wrapped.size(), 3u);
  EXPECT_EQ(wrapped[0].name, "City_city-04.jpg");
  EXPECT_EQ(wrapped[1].name, "Harbour_harbour-01.jpg");
}

TEST(CatalogueRoutes, UnknownNamesAndNumbersAreNotFoundWithAnHtmlPage) {
  for (std::string path :
       {"/trawl/catalog/series/899/1.xml", "/trawl/catalog/series/927/1.xml",
        "/trawl/catalog/yearly/364/1.xml", "/trawl/catalog/yearly/366/1.xml",
        "/trawl/catalog/series/900/x.xml", "/trawl/catalog/series/900/.xml",
        "/trawl/catalog/series/900/5", "/trawl/catalog/series/900/5/6.xml",
        "/trawl/catalog/series/x/5.xml", "/trawl/catalog/series/900/99999999999999999999.xml",
        "/trawl/catalog/yearly/900/1.xml", "/trawl/catalog/weekly/900/1.xml",
        "/trawl/catalog/nothing.xml", "/trawl/catalog/sample", "/trawl/catalog/",
        "/trawl/catalog/.xml", "/trawl/pictures/", "/trawl/pictures/missing.jpg",
        "/trawl/pictures/HARBOUR-01.JPG", "/trawl/ping/", "/elsewhere"}) {
    HttpAnswer answer = Get(path);
    EXPECT_EQ(answer.status, 404) << path;
    EXPECT_EQ(answer.contentType.rfind("text/html", 0), 0u) << path;
    EXPECT_NE(answer.body.find("<html>"), std::string::npos) << path;
  }
}

TEST(CatalogueRoutes, ConnectivityAddressesAnswerAndOnlyReadingMethodsAreServed) {
  CatalogueRoutes routes(checks::Samples());
  EXPECT_EQ(routes.Answer("GET", "/trawl/ping", kBase).status, 200);
  HttpAnswer index = routes.Answer("GET", "/", kBase);
  EXPECT_EQ(index.status, 200);
  EXPECT_NE(index.body.find("/trawl/catalog/sample.xml"), std::string::npos);
  EXPECT_EQ(routes.Answer("HEAD", "/trawl/pictures/city-01.jpg", kBase).status, 200);
  for (std::string method : {"POST", "PUT", "DELETE", "OPTIONS"})
    EXPECT_EQ(routes.Answer(method, "/trawl/ping", kBase).status, 405) << method;
}

}  // namespace
