#pragma once
// The soak catalogue: one album, "Soak", of many entries that share a few pictures of
// modest size, so that the run's time goes to the transfers rather than to marking.
//
// The pictures are painted without any red: the mark Trawl draws is red, and a saved
// copy tells it was marked by red pixels the served picture never had.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "picture_set.h"

namespace faults {

// Most entries a catalogue may have: the entries' names have five digits.
constexpr size_t kMostEntries = 99999;

// `entries` entries, soak-00001.jpg and on, below /trawl/pictures/.
std::shared_ptr<const catalogue::PictureSet> MakeSoakSet(size_t entries);

// Writes each distinct picture of the set once into `folder` (made if missing) as
// picture-N.jpg. False with `error` set when a file cannot be written.
bool WriteDistinctPictures(const catalogue::PictureSet& set, const std::filesystem::path& folder,
                           std::string& error);

}  // namespace faults
