#pragma once
// The pictures a catalogue server publishes, grouped into albums and sections.
//
// A set is built once (from a folder or from the built-in samples) and never changed
// afterwards, so any number of threads may read it at once. Pictures are found only by
// the exact path the set gave them: nothing outside the set can be named.
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace catalogue {

struct Album {
  std::string title;  // the context text of the album's entries (valid UTF-8)
  std::string slug;   // the album's own catalogue: /trawl/catalog/<slug>.xml
};

struct Picture {
  size_t album = 0;                          // index into PictureSet::albums
  size_t section = 0;                        // running section number within the album
  std::string path;                          // below /trawl/pictures/, '/'-separated, not escaped
  std::filesystem::path file;                // the picture on disk, or
  std::shared_ptr<const std::string> bytes;  // the picture held in memory
};

struct PictureSet {
  std::vector<Album> albums;
  std::vector<Picture> pictures;  // album by album, section by section
  std::map<std::string, size_t, std::less<>> byPath;
};

// Folders hold at most this many pictures per section.
constexpr size_t kPicturesPerSection = 6;

// The generated sample set: twelve pictures in the albums Harbour, Forest and City.
std::shared_ptr<const PictureSet> MakeSamplePictureSet();

// The *.jpg and *.jpeg files of `folder` form an album named after the folder, and those
// of each direct subfolder an album named after the subfolder. Null with `error` set
// when the folder is missing or holds no pictures.
std::shared_ptr<const PictureSet> LoadPictureFolder(const std::filesystem::path& folder,
                                                    std::string& error);

// The picture's bytes, or nothing when it is not in the set or cannot be read.
std::optional<std::string> ReadPicture(const PictureSet& set, std::string_view path);

// Text that is safe as XML content: invalid UTF-8 bytes and control characters become
// '_'. File names on Linux are arbitrary bytes; the catalogue must stay well-formed.
std::string CleanTitle(std::string_view name);

// Lower-case ASCII letters and digits, other runs of characters as one '-'.
std::string MakeSlug(std::string_view title);

}  // namespace catalogue
