#include "catalogue_routes.h"

#include <charconv>
#include <optional>

#include "catalogue_document.h"

namespace catalogue {
namespace {

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

std::string NumberedName(std::string_view form, int64_t a, size_t b) {
  return std::string(form) + "/" + std::to_string(a) + "/" + std::to_string(b) + ".xml";
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

size_t SeriesPageCount(size_t count, int64_t a) {
  if (a < kFirstSeries || a > kLastSeries) return 0;
  auto pageSize = static_cast<size_t>(a - kFirstSeries + 1);
  return (count + pageSize - 1) / pageSize;
}

std::vector<size_t> SeriesPage(size_t count, int64_t a, int64_t b) {
  size_t pages = SeriesPageCount(count, a);
  if (pages == 0) return {};
  auto pageSize = static_cast<size_t>(a - kFirstSeries + 1);
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

CatalogueRoutes::CatalogueRoutes(std::shared_ptr<const PictureSet> set, SiteAddresses site)
    : set_(std::move(set)), site_(std::move(site)) {}

// The pictures go before the catalogues, whose folder may lie above them.
HttpAnswer CatalogueRoutes::Answer(std::string_view method, std::string_view path,
                                   std::string_view requestBaseUrl) const {
  if (method != "GET" && method != "HEAD") {
    return Html(405, "405 Method Not Allowed", "<h1>Only GET and HEAD</h1>\n");
  }
  if (path == "/") return IndexPage();
  if (path == kPingPath) return {200, "text/plain; charset=utf-8", "ok\n"};
  if (path.starts_with(kPicturesRoot)) {
    auto bytes = ReadPicture(*set_, path.substr(kPicturesRoot.size()));
    if (bytes) return {200, "image/jpeg", std::move(*bytes)};
    return NotFound();
  }
  const std::string& folder = site_.cataloguePath;
  if (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/') {
    std::string_view baseUrl = site_.baseUrl.empty() ? requestBaseUrl : site_.baseUrl;
    return CatalogueAnswer(path.substr(folder.size() + 1), baseUrl);
  }
  return NotFound();
}

std::vector<std::string> CatalogueRoutes::DocumentPaths() const {
  size_t count = set_->pictures.size();
  std::vector<std::string> paths{"/", kPingPath, CatalogueAddress("sample.xml")};
  for (const Album& album : set_->albums) paths.push_back(CatalogueAddress(album.slug + ".xml"));
  for (int64_t a = kFirstSeries; a <= kLastSeries; ++a) {
    for (size_t b = 0; b < SeriesPageCount(count, a); ++b)
      paths.push_back(CatalogueAddress(NumberedName("series", a, b)));
  }
  for (size_t b = 0; b < count; ++b)
    paths.push_back(CatalogueAddress(NumberedName("yearly", kYearlySeries, b)));
  return paths;
}

std::string CatalogueRoutes::CatalogueAddress(std::string_view name) const {
  return site_.cataloguePath + "/" + std::string(name);
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
  // Behind a base URL of its own the site may sit below a path: links name it in full.
  auto link = [this](std::string_view name) {
    std::string escaped = EscapeXml(site_.baseUrl + EscapeUrlPath(CatalogueAddress(name)));
    return "<li><a href=\"" + escaped + "\">" + escaped + "</a></li>\n";
  };
  std::string list = "<h1>Trawl catalogue server</h1>\n<p>" +
                     std::to_string(set_->pictures.size()) + " pictures.</p>\n<ul>\n" +
                     link("sample.xml");
  for (const Album& album : set_->albums) list += link(album.slug + ".xml");
  list += link("series/900/1.xml") + link("yearly/365/1.xml");
  return Html(200, "Trawl catalogue server", list + "</ul>\n");
}

}  // namespace catalogue
