#include "scratch_folder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <system_error>

#include "program.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8Of(const fs::path& path) { return TextToUtf8(Text(path.u16string())); }

}  // namespace

ScratchFolder::ScratchFolder() {
  static std::atomic<int> made{0};
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) return;
  std::random_device random;
  for (int attempt = 0; attempt < 20; ++attempt) {
    const fs::path candidate = base / ("trawl-test-" + std::to_string(random()) + "-" +
                                       std::to_string(made.fetch_add(1)));
    if (fs::create_directory(candidate, error) && !error) {
      // The long form: the program's own paths (the folder chooser's answer) are long.
      path_ = fs::canonical(candidate, error);
      if (error) path_ = candidate;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string ScratchFolder::Path() const { return Utf8Of(path_); }

std::string Separator() { return TextToUtf8(Text(1, kPathSeparator)); }

fs::path PathOf(const std::string& utf8) { return fs::path(TextFromUtf8(utf8)); }

bool PathExists(const std::string& utf8) {
  std::error_code error;
  return fs::exists(PathOf(utf8), error);
}

bool MakeFolders(const std::string& utf8) {
  std::error_code error;
  fs::create_directories(PathOf(utf8), error);
  return fs::is_directory(PathOf(utf8), error);
}

bool MakeEmptyFile(const std::string& utf8) {
  std::ofstream file(PathOf(utf8), std::ios::binary);
  return file.good();
}

std::vector<std::string> NamesIn(const std::string& folder, bool filesOnly) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(PathOf(folder), error), end; !error && entry != end;
       entry.increment(error)) {
    if (filesOnly && !entry->is_regular_file(error)) continue;
    names.push_back(Utf8Of(entry->path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}
