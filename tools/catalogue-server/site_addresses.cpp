#include "site_addresses.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace catalogue {
namespace {

bool HasControlOrBlank(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
  });
}

// `lowerPrefix` in lower case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

// The part after "scheme://", or nothing when the scheme is neither http nor https.
std::optional<std::string_view> AfterScheme(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://"}) {
    if (StartsWithIgnoringCase(url, scheme)) return url.substr(scheme.size());
  }
  return std::nullopt;
}

// "host", "host:port", "[v6]" or "[v6]:port", with a host and a numeric port.
bool IsHostAndPort(std::string_view authority) {
  size_t hostEnd = authority.starts_with('[') ? authority.find(']') : authority.rfind(':');
  if (authority.starts_with('[')) {
    if (hostEnd == std::string_view::npos || hostEnd == 1) return false;
    ++hostEnd;
  } else if (hostEnd == std::string_view::npos) {
    hostEnd = authority.size();
  }
  std::string_view host = authority.substr(0, hostEnd), port = authority.substr(hostEnd);
  if (host.empty() || host.find('@') != std::string_view::npos) return false;
  if (port.empty()) return true;
  return port.size() > 1 && port.size() <= 6 && port[0] == ':' &&
         std::all_of(port.begin() + 1, port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Fail(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

// A folder above them is fine: the routes look for the ping and the pictures first.
bool IsWithin(std::string_view path, std::string_view taken) {
  return path == taken || (path.starts_with(taken) && path[taken.size()] == '/');
}

bool HasDotOrEmptySegment(std::string_view path) {
  for (size_t start = 1; start <= path.size();) {
    size_t end = std::min(path.find('/', start), path.size());
    std::string_view segment = path.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool NormalBaseUrl(std::string_view url, std::string& normal, std::string& error) {
  std::string quoted = "base URL \"" + std::string(url) + "\"";
  auto rest = AfterScheme(url);
  if (!rest) return Fail(error, quoted + " must start with http:// or https://");
  if (url.find_first_of("?#") != std::string_view::npos)
    return Fail(error, quoted + " must not have a query (?) or a fragment (#)");
  if (HasControlOrBlank(url)) return Fail(error, quoted + " must not hold blanks");
  if (!IsHostAndPort(rest->substr(0, rest->find('/'))))
    return Fail(error, quoted + " needs a host (and at most a numeric port)");
  while (url.ends_with('/')) url.remove_suffix(1);
  normal = url;
  return true;
}

bool CheckCataloguePath(std::string_view path, std::string& error) {
  std::string quoted = "catalogue path \"" + std::string(path) + "\"";
  if (!path.starts_with('/')) return Fail(error, quoted + " must start with /");
  if (path.find_first_of("?#\\") != std::string_view::npos || HasControlOrBlank(path))
    return Fail(error, quoted + " must not hold ?, #, \\ or blanks");
  if (path.ends_with('/')) return Fail(error, quoted + " must not end with /");
  if (HasDotOrEmptySegment(path))
    return Fail(error, quoted + " must not have empty, . or .. segments");
  std::string index = std::string("/") + kIndexFile;
  for (std::string_view taken :
       {std::string_view(kPingPath), std::string_view(kPicturesPath), std::string_view(index)}) {
    if (IsWithin(path, taken))
      return Fail(error, quoted + " must not be or lie below " + std::string(taken));
  }
  return true;
}

}  // namespace catalogue
