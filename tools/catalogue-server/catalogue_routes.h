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
//
// A CatalogueRoutes object is immutable and may answer from any number of threads.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "picture_set.h"

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

// kPicturesPerDay pictures (fewer when the set is smaller) from position b modulo count.
std::vector<size_t> DayPictures(size_t count, int64_t b);

class CatalogueRoutes {
 public:
  explicit CatalogueRoutes(std::shared_ptr<const PictureSet> set);

  // `baseUrl` is where the server is reached ("http://127.0.0.1:8917"); catalogue
  // entries point below it.
  HttpAnswer Answer(std::string_view method, std::string_view path, std::string_view baseUrl) const;

  const PictureSet& Pictures() const { return *set_; }

 private:
  HttpAnswer CatalogueAnswer(std::string_view name, std::string_view baseUrl) const;
  HttpAnswer IndexPage() const;

  std::shared_ptr<const PictureSet> set_;
};

}  // namespace catalogue
