#pragma once
// What the catalogue server answers, as a pure function of method and path, so that the
// routes can be checked without a socket. Paths arrive percent-decoded.
//
//   /, /trawl/ping                   200 (the connectivity addresses; / lists catalogues)
//   /trawl/catalog/sample.xml        every picture
//   /trawl/catalog/<album>.xml       one album (its slug)
//   /trawl/catalog/series/A/B.xml    900 <= A <= 926: page B of pages of A - 899 pictures
//   /trawl/catalog/yearly/365/B.xml  three pictures from position B, wrapping around
//   /trawl/pictures/<path>           a picture of the set (GET and HEAD)
// Anything else is 404 with a small HTML page; methods other than GET and HEAD are 405.
// The catalogue folder (/trawl/catalog) may be moved elsewhere (SiteAddresses).
//
// A CatalogueRoutes object is immutable and may answer from any number of threads.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "picture_set.h"
#include "site_addresses.h"

namespace catalogue {

struct HttpAnswer {
  int status = 404;
  std::string contentType;
  std::string body;
};

constexpr int64_t kFirstSeries = 900;
constexpr int64_t kLastSeries = 926;
constexpr int64_t kYearlySeries = 365;
constexpr size_t kPicturesPerDay = 3;

// Page b (taken modulo the number of pages, so never empty) of the pictures split into
// pages of a - 899. Empty only when count is 0 or a is outside 900..926.
std::vector<size_t> SeriesPage(size_t count, int64_t a, int64_t b);

// How many pages series a has: 0 when count is 0 or a is outside 900..926.
size_t SeriesPageCount(size_t count, int64_t a);

// kPicturesPerDay pictures (fewer when the set is smaller) from position b modulo count.
std::vector<size_t> DayPictures(size_t count, int64_t b);

class CatalogueRoutes {
 public:
  // `site` as checked by site_addresses.h.
  explicit CatalogueRoutes(std::shared_ptr<const PictureSet> set, SiteAddresses site = {});

  // `requestBaseUrl` is where the request reached the server ("http://127.0.0.1:8917");
  // catalogue entries point below it unless the site has a base URL of its own.
  HttpAnswer Answer(std::string_view method, std::string_view path,
                    std::string_view requestBaseUrl) const;

  // Every path answered with a page or a catalogue: /, the ping, sample.xml, each album,
  // and the series and days with their canonical numbers only (B below the page or
  // picture count), since the others repeat them.
  std::vector<std::string> DocumentPaths() const;

  const PictureSet& Pictures() const { return *set_; }

 private:
  HttpAnswer CatalogueAnswer(std::string_view name, std::string_view baseUrl) const;
  HttpAnswer IndexPage() const;
  std::string CatalogueAddress(std::string_view name) const;

  std::shared_ptr<const PictureSet> set_;
  SiteAddresses site_;
};

}  // namespace catalogue
