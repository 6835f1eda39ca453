#include "picture_set.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "sample_pictures.h"
#include "server_platform.h"

namespace catalogue {
namespace fs = std::filesystem;
namespace {

constexpr int kSampleQuality = 88;

struct SampleAlbum {
  const char* title;
  Scene scene;
};
constexpr SampleAlbum kSampleAlbums[] = {
    {"Harbour", Scene::Harbour}, {"Forest", Scene::Forest}, {"City", Scene::City}};
constexpr int kSamplePicturesPerAlbum = 4;
constexpr int kSamplePicturesPerSection = 2;
struct Size {
  int width, height;
};
constexpr Size kSampleSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 960}, {1600, 1200}};

// Records a new album; its slug is made unique among the set's catalogue names.
size_t AddAlbum(PictureSet& set, std::string title) {
  std::string base = MakeSlug(title), slug = base;
  auto taken = [&](const std::string& s) {
    return s == "sample" || std::any_of(set.albums.begin(), set.albums.end(),
                                        [&](const Album& a) { return a.slug == s; });
  };
  for (int n = 2; taken(slug); ++n) slug = base + "-" + std::to_string(n);
  set.albums.push_back({std::move(title), std::move(slug)});
  return set.albums.size() - 1;
}

void AddPicture(PictureSet& set, Picture picture) {
  set.byPath.emplace(picture.path, set.pictures.size());
  set.pictures.push_back(std::move(picture));
}

bool IsPictureName(const fs::path& file) {
  std::string ext = platform::Utf8Path(file.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".jpg" || ext == ".jpeg";
}

// The visible entries of a folder that pass `wanted`, sorted by name; unreadable
// entries are passed over.
template <class Wanted>
std::vector<fs::path> SortedEntries(const fs::path& folder, Wanted wanted) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!platform::IsHidden(*it) && wanted(*it)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<fs::path> PicturesIn(const fs::path& folder) {
  return SortedEntries(folder, [](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec) && IsPictureName(e.path());
  });
}

void AddFolderAlbum(PictureSet& set, const std::string& title, const std::string& prefix,
                    const std::vector<fs::path>& files) {
  if (files.empty()) return;
  size_t album = AddAlbum(set, CleanTitle(title));
  for (size_t i = 0; i < files.size(); ++i) {
    std::string path = prefix + platform::Utf8Path(files[i].filename());
    AddPicture(set, {album, i / kPicturesPerSection, std::move(path), files[i], nullptr});
  }
}

std::string FolderTitle(const fs::path& folder) {
  std::error_code ec;
  fs::path absolute = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  std::string name = platform::Utf8Path(absolute.filename());
  return name.empty() ? "Pictures" : name;
}

// Length of the UTF-8 sequence at the start of `s`, or 0 when it is not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF included).
size_t Utf8SequenceLength(std::string_view s) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(0);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || length > s.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)))
    return 0;
  if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)))
    return 0;
  return length;
}

}  // namespace

std::string CleanTitle(std::string_view name) {
  std::string clean;
  while (!name.empty()) {
    size_t length = Utf8SequenceLength(name);
    bool control = length == 1 && (static_cast<unsigned char>(name[0]) < 0x20 || name[0] == 0x7F);
    if (length == 0 || control) {
      clean += '_';
      length = length ? length : 1;
    } else {
      clean.append(name.substr(0, length));
    }
    name.remove_prefix(length);
  }
  return clean;
}

std::string MakeSlug(std::string_view title) {
  std::string slug;
  for (unsigned char c : title) {
    if (std::isalnum(c) && c < 0x80) {
      slug += static_cast<char>(std::tolower(c));
    } else if (!slug.empty() && slug.back() != '-') {
      slug += '-';
    }
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug.empty() ? "album" : slug;
}

std::shared_ptr<const PictureSet> MakeSamplePictureSet() {
  auto set = std::make_shared<PictureSet>();
  int painted = 0;
  for (const SampleAlbum& sample : kSampleAlbums) {
    size_t album = AddAlbum(*set, sample.title);
    for (int i = 0; i < kSamplePicturesPerAlbum; ++i, ++painted) {
      Size size = kSampleSizes[painted % std::size(kSampleSizes)];
      Canvas canvas =
          PaintScene(sample.scene, static_cast<uint32_t>(painted), size.width, size.height);
      char name[32];
      std::snprintf(name, sizeof name, "%s-%02d.jpg", set->albums[album].slug.c_str(), i + 1);
      AddPicture(*set, {album,
                        static_cast<size_t>(i / kSamplePicturesPerSection),
                        name,
                        {},
                        std::make_shared<const std::string>(EncodeJpeg(canvas, kSampleQuality))});
    }
  }
  return set;
}

std::shared_ptr<const PictureSet> LoadPictureFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = "no such folder: " + platform::Utf8Path(folder);
    return nullptr;
  }
  auto set = std::make_shared<PictureSet>();
  AddFolderAlbum(*set, FolderTitle(folder), "", PicturesIn(folder));
  auto subfolders = SortedEntries(folder, [](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_directory(ec);
  });
  for (const fs::path& sub : subfolders) {
    std::string name = platform::Utf8Path(sub.filename());
    AddFolderAlbum(*set, name, name + "/", PicturesIn(sub));
  }
  if (set->pictures.empty()) {
    error = "no pictures (*.jpg, *.jpeg) in " + platform::Utf8Path(folder);
    return nullptr;
  }
  return set;
}

std::optional<std::string> ReadPicture(const PictureSet& set, std::string_view path) {
  auto found = set.byPath.find(path);
  if (found == set.byPath.end()) return std::nullopt;
  const Picture& picture = set.pictures[found->second];
  if (picture.bytes) return *picture.bytes;
  std::ifstream in(picture.file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace catalogue
