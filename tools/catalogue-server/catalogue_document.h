#pragma once
// Writes catalogues in Trawl's format: a <catalogue> root holding, for each run of
// pictures of one album, an <album title> context element followed by <section>s with a
// <group kind="pictures"> of <entry><image src/></entry> and a <group kind="notes">.
//
// Pure functions over an immutable picture set; safe from any thread.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "picture_set.h"

namespace catalogue {

// The catalogue of the given pictures (indices into set.pictures, in that order), with
// src addresses below `baseUrl` (for example "http://127.0.0.1:8917").
std::string CatalogueXml(const PictureSet& set, const std::vector<size_t>& pictures,
                         std::string_view baseUrl);

// The address of a picture: baseUrl + "/trawl/pictures/" + its path, percent-escaped.
std::string PictureAddress(std::string_view baseUrl, std::string_view path);

// Text escaped for XML content and attribute values.
std::string EscapeXml(std::string_view text);

// Every byte outside the unreserved characters and '/' as %XX.
std::string EscapeUrlPath(std::string_view path);

}  // namespace catalogue
