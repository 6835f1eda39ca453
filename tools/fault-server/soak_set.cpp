#include "soak_set.h"

#include <cstdio>
#include <fstream>
#include <set>

#include "sample_pictures.h"

namespace faults {
namespace {

struct Size {
  int width, height;
};
// Trawl's mark is a 216-point text whose middle sits on the picture's centre: from about
// 400x300 on, its strokes cover whole 16x16 blocks near the centre, which stay red even
// in the most strongly compressed copy. Smaller pictures keep a copy's marking quick.
constexpr Size kSizes[] = {{400, 300}, {448, 336}, {480, 360}, {520, 390}, {560, 420}, {640, 480}};
constexpr int kQuality = 85;
constexpr size_t kEntriesPerSection = 50;

}  // namespace

std::shared_ptr<const catalogue::PictureSet> MakeSoakSet(size_t entries) {
  // The forest scene is sky, hills, trees and brown trunks: nothing red.
  std::vector<std::shared_ptr<const std::string>> pictures;
  for (size_t i = 0; i < std::size(kSizes); ++i) {
    catalogue::Canvas canvas = catalogue::PaintScene(
        catalogue::Scene::Forest, static_cast<uint32_t>(i + 1), kSizes[i].width, kSizes[i].height);
    pictures.push_back(
        std::make_shared<const std::string>(catalogue::EncodeJpeg(canvas, kQuality)));
  }
  auto set = std::make_shared<catalogue::PictureSet>();
  set->albums.push_back({"Soak", "soak"});
  for (size_t i = 0; i < entries; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "soak-%05zu.jpg", i + 1);
    set->byPath.emplace(name, set->pictures.size());
    set->pictures.push_back({0, i / kEntriesPerSection, name, {}, pictures[i % pictures.size()]});
  }
  return set;
}

bool WriteDistinctPictures(const catalogue::PictureSet& set, const std::filesystem::path& folder,
                           std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::set<const std::string*> written;
  for (const catalogue::Picture& picture : set.pictures) {
    if (!picture.bytes || !written.insert(picture.bytes.get()).second) continue;
    auto file = folder / ("picture-" + std::to_string(written.size()) + ".jpg");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(picture.bytes->data(), static_cast<std::streamsize>(picture.bytes->size()));
    if (!out.flush()) {
      error = "cannot write " + file.string();
      return false;
    }
  }
  return true;
}

}  // namespace faults
