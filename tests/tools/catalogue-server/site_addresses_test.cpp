#include "site_addresses.h"

#include <gtest/gtest.h>

namespace {

TEST(SiteAddresses, BaseUrlsAreHttpOrHttpsWithAHostAndLoseTheirTrailingSlash) {
  const std::pair<std::string, std::string> good[] = {
      {"http://example.org", "http://example.org"},
      {"https://example.org/", "https://example.org"},
      {"HTTPS://Example.org:8443/pics//", "HTTPS://Example.org:8443/pics"},
      {"http://[::1]:8080/a/b", "http://[::1]:8080/a/b"},
      {"http://10.0.0.1/caf%C3%A9", "http://10.0.0.1/caf%C3%A9"},
  };
  for (const auto& [url, normal] : good) {
    std::string result, error;
    EXPECT_TRUE(catalogue::NormalBaseUrl(url, result, error)) << url << ": " << error;
    EXPECT_EQ(result, normal);
  }
  const std::pair<std::string, std::string> bad[] = {
      {"ftp://example.org", "http://"}, {"example.org", "http://"},  {"https://", "host"},
      {"https:///pics", "host"},        {"http://:80/", "host"},     {"http://host:port/", "port"},
      {"http://user@host/", "host"},    {"http://[::1/", "host"},    {"https://h/?a=1", "query"},
      {"https://h/#top", "fragment"},   {"https://h/a b", "blanks"}, {"https://h/\x01", "blanks"},
  };
  for (const auto& [url, says] : bad) {
    std::string result = "untouched", error;
    EXPECT_FALSE(catalogue::NormalBaseUrl(url, result, error)) << url;
    EXPECT_NE(error.find(says), std::string::npos) << url << ": " << error;
    EXPECT_EQ(result, "untouched");
  }
}

TEST(SiteAddresses, CataloguePathsAreAbsoluteCleanAndClearOfTheOtherAddresses) {
  std::string error;
  for (const std::string& path : {"/trawl/catalog", "/x", "/trawl", "/trawl/pingpong",
                                  "/long/catalogue-folder.d/v2", "/trawl/pictures2"})
    EXPECT_TRUE(catalogue::CheckCataloguePath(path, error)) << path << ": " << error;
  const std::pair<std::string, std::string> bad[] = {
      {"", "start with /"},
      {"trawl/catalog", "start with /"},
      {"/", "end with /"},
      {"/a/", "end with /"},
      {"/a?b", "?"},
      {"/a#b", "#"},
      {"/a\\b", "\\"},
      {"/a b", "blanks"},
      {"/a//b", "segments"},
      {"/a/./b", "segments"},
      {"/a/../b", "segments"},
      {"/..", "segments"},
      {"/trawl/ping", "/trawl/ping"},
      {"/trawl/ping/x", "/trawl/ping"},
      {"/trawl/pictures", "/trawl/pictures"},
      {"/trawl/pictures/c", "/trawl/pictures"},
      {"/index.html", "/index.html"},
  };
  for (const auto& [path, says] : bad) {
    error.clear();
    EXPECT_FALSE(catalogue::CheckCataloguePath(path, error)) << path;
    EXPECT_NE(error.find(says), std::string::npos) << path << ": " << error;
  }
}

}  // namespace
