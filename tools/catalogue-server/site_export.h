#pragma once
// Writes a whole site as plain files, one for each path the server answers, so that any
// static web server hands out the same bytes: "/" as index.html, every other path as the
// file of that name (picture names unescaped, as web servers decode request paths).
//
// Several threads write at once; the call returns once they have all ended.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue_routes.h"

namespace catalogue {

struct SiteSummary {
  size_t files = 0;
  size_t pictures = 0;
  uintmax_t bytes = 0;
};

// Asked every few milliseconds on the calling thread while the files are written (it may
// block that long); true stops the writing.
using StopCheck = std::function<bool()>;

// The file below `folder` that holds the answer for `path`.
std::filesystem::path SiteFile(const std::filesystem::path& folder, std::string_view path);

// Writes the answers of every document path of `routes` and every picture of its set
// into `folder`, which is empty. Pictures on disk are copied by the file system, pictures
// in memory written out. False with `error` set when a file cannot be written or `stop`
// asked for it; what was written stays.
bool WriteSite(const CatalogueRoutes& routes, const std::filesystem::path& folder,
               const StopCheck& stop, SiteSummary& summary, std::string& error);

}  // namespace catalogue
