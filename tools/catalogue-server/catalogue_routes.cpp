#include "catalogue_routes.h"

#include <charconv>
#include <optional>

#include "catalogue_document.h"

namespace catalogue {
namespace {

constexpr std::string_view kCatalogueRoot = "/trawl/catalog/";
constexpr std::string_view kPicturesRoot = "/trawl/pictures/";
constexpr std::string_view kXmlSuffix = ".xml";

HttpAnswer Html(int status, std::string_view title, std::string_view content) {
  std::string body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
  body += title;
  body += "</title></head>\n<body>\n";
  body += content;
  body += "</body></html>\n";
  return {status, "text/html; charset=utf-8", std::move(body)};
}

HttpAnswer NotFound() {
  return Html(404, "404 Not Found", "<h1>Not found</h1>\n<p>No catalogue or picture here.</p>\n");
}

std::optional<int64_t> ParseInteger(std::string_view text) {
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Non-negative remainder, also for negative numbers.
size_t Wrap(int64_t value, size_t count) {
  auto n = static_cast<int64_t>(count);
  return static_cast<size_t>(((value % n) + n) % n);
}

std::vector<size_t> Range(size_t first, size_t count) {
  std::vector<size_t> indices(count);
  for (size_t i = 0; i < count; ++i) indices[i] = first + i;
  return indices;
}

// Splits "a/b.xml" into its two segments, the second without ".xml".
std::optional<std::pair<std::string_view, std::string_view>> SplitPair(std::string_view rest) {
  size_t slash = rest.find('/');
  if (slash == std::string_view::npos || !rest.ends_with(kXmlSuffix)) return std::nullopt;
  std::string_view first = rest.substr(0, slash);
  std::string_view second = rest.substr(slash + 1, rest.size() - slash - 1 - kXmlSuffix.size());
  if (second.find('/') != std::string_view::npos) return std::nullopt;
  return std::pair{first, second};
}

std::optional<std::vector<size_t>> NumberedSelection(std::string_view form,
                                                     std::string_view numbers, size_t count) {
  auto pair = SplitPair(numbers);
  if (!pair) return std::nullopt;
  auto a = ParseInteger(pair->first), b = ParseInteger(pair->second);
  if (!a || !b) return std::nullopt;
  if (form == "series" && *a >= kFirstSeries && *a <= kLastSeries) return SeriesPage(count, *a, *b);
  if (form == "yearly" && *a == kYearlySeries) return DayPictures(count, *b);
  return std::nullopt;
}

}  // namespace

std::vector<size_t> SeriesPage(size_t count, int64_t a, int64_t b) {
  if (count == 0 || a < kFirstSeries || a > kLastSeries) return {};
  auto pageSize = static_cast<size_t>(a - kFirstSeries + 1);
  size_t pages = (count + pageSize - 1) / pageSize;
  size_t first = Wrap(b, pages) * pageSize;
  return Range(first, std::min(pageSize, count - first));
}

std::vector<size_t> DayPictures(size_t count, int64_t b) {
  if (count == 0) return {};
  std::vector<size_t> indices;
  size_t start = Wrap(b, count);
  for (size_t i = 0; i < std::min(kPicturesPerDay, count); ++i)
    indices.push_back((start + i) % count);
  return indices;
}

CatalogueRoutes::CatalogueRoutes(std::shared_ptr<const PictureSet> set) : set_(std::move(set)) {}

HttpAnswer CatalogueRoutes::Answer(std::string_view method, std::string_view path,
                                   std::string_view baseUrl) const {
  if (method != "GET" && method != "HEAD") {
    return Html(405, "405 Method Not Allowed", "<h1>Only GET and HEAD</h1>\n");
  }
  if (path == "/") return IndexPage();
  if (path == "/trawl/ping") return {200, "text/plain; charset=utf-8", "ok\n"};
  if (path.starts_with(kCatalogueRoot)) {
    return CatalogueAnswer(path.substr(kCatalogueRoot.size()), baseUrl);
  }
  if (path.starts_with(kPicturesRoot)) {
    auto bytes = ReadPicture(*set_, path.substr(kPicturesRoot.size()));
    if (bytes) return {200, "image/jpeg", std::move(*bytes)};
  }
  return NotFound();
}

HttpAnswer CatalogueRoutes::CatalogueAnswer(std::string_view name, std::string_view baseUrl) const {
  std::optional<std::vector<size_t>> selection;
  size_t slash = name.find('/');
  if (slash != std::string_view::npos) {
    selection =
        NumberedSelection(name.substr(0, slash), name.substr(slash + 1), set_->pictures.size());
  } else if (name.ends_with(kXmlSuffix)) {
    std::string_view slug = name.substr(0, name.size() - kXmlSuffix.size());
    if (slug == "sample") selection = Range(0, set_->pictures.size());
    for (size_t album = 0; album < set_->albums.size() && !selection; ++album) {
      if (set_->albums[album].slug != slug) continue;
      selection.emplace();
      for (size_t i = 0; i < set_->pictures.size(); ++i)
        if (set_->pictures[i].album == album) selection->push_back(i);
    }
  }
  if (!selection) return NotFound();
  return {200, "application/xml; charset=utf-8", CatalogueXml(*set_, *selection, baseUrl)};
}

HttpAnswer CatalogueRoutes::IndexPage() const {
  auto link = [](const std::string& path) {
    std::string escaped = EscapeXml(EscapeUrlPath(path));
    return "<li><a href=\"" + escaped + "\">" + escaped + "</a></li>\n";
  };
  std::string list = "<h1>Trawl catalogue server</h1>\n<p>" +
                     std::to_string(set_->pictures.size()) + " pictures.</p>\n<ul>\n" +
                     link("/trawl/catalog/sample.xml");
  for (const Album& album : set_->albums) list += link("/trawl/catalog/" + album.slug + ".xml");
  list += link("/trawl/catalog/series/900/1.xml") + link("/trawl/catalog/yearly/365/1.xml");
  return Html(200, "Trawl catalogue server", list + "</ul>\n");
}

}  // namespace catalogue
