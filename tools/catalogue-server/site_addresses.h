#pragma once
// Where a published site lives: the base URL its picture addresses start with and the
// folder its catalogues are in. Both are checked once, from the command line, so that
// the routes and the export can take them as they are.
#include <string>
#include <string_view>

namespace catalogue {

inline constexpr char kDefaultCataloguePath[] = "/trawl/catalog";
inline constexpr char kPingPath[] = "/trawl/ping";
inline constexpr char kPicturesPath[] = "/trawl/pictures";
// The file a static copy of the site keeps the index page in.
inline constexpr char kIndexFile[] = "index.html";

struct SiteAddresses {
  std::string baseUrl;  // empty: the address each request reached the server at
  std::string cataloguePath = kDefaultCataloguePath;
};

// An http:// or https:// URL with a host, without query, fragment, blanks or control
// characters; the result has no trailing '/'. False with `error` set otherwise.
bool NormalBaseUrl(std::string_view url, std::string& normal, std::string& error);

// Starts with '/', has no '?', '#', '\', control characters, trailing '/', or empty, '.'
// or '..' segments, and is neither the ping, the pictures' folder nor the index file, nor
// below them (a static copy could not hold both). False with `error` set otherwise.
bool CheckCataloguePath(std::string_view path, std::string& error);

}  // namespace catalogue
