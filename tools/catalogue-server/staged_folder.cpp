#include "staged_folder.h"

#include "server_platform.h"

namespace catalogue {
namespace fs = std::filesystem;
namespace {

// "site/" and "site/." name the folder "site"; its siblings need a name to derive from.
fs::path NamedFolder(const fs::path& path) {
  std::error_code ec;
  fs::path normal = fs::absolute(path, ec).lexically_normal();
  if (normal.has_relative_path() && normal.filename().empty()) normal = normal.parent_path();
  return normal;
}

// The first of "target.SUFFIX", "target.SUFFIX-2", ... that does not exist yet.
fs::path FreeSibling(const fs::path& target, const std::string& suffix) {
  auto candidate = [&](int n) {
    fs::path name = target;
    name += "." + suffix + (n > 1 ? "-" + std::to_string(n) : "");
    return name;
  };
  std::error_code ec;
  int n = 1;
  while (fs::exists(fs::symlink_status(candidate(n), ec))) ++n;
  return candidate(n);
}

std::string Quoted(const fs::path& path) { return "\"" + platform::Utf8Path(path) + "\""; }

}  // namespace

StagedFolder::StagedFolder(const fs::path& target) : target_(NamedFolder(target)) {}

StagedFolder::~StagedFolder() {
  if (committed_ || staging_.empty()) return;
  std::error_code ignored;
  fs::remove_all(staging_, ignored);
}

StagedFolder::TargetState StagedFolder::CheckTarget(bool replace, std::string& error) const {
  std::error_code ec;
  if (!target_.has_relative_path() || !fs::is_directory(target_.parent_path(), ec)) {
    error = "the folder to hold " + Quoted(target_) + " does not exist";
    return TargetState::Unusable;
  }
  fs::file_status status = fs::symlink_status(target_, ec);
  if (status.type() == fs::file_type::not_found) return TargetState::Writable;
  if (status.type() != fs::file_type::directory) {
    error = Quoted(target_) + " exists and is not a folder";
    return TargetState::Unusable;
  }
  fs::directory_iterator first(target_, ec);
  if (ec) {
    error = "cannot read " + Quoted(target_) + ": " + ec.message();
    return TargetState::Unusable;
  }
  if (first != fs::directory_iterator() && !replace) {
    error = Quoted(target_) + " is not empty";
    return TargetState::NotEmpty;
  }
  return TargetState::Writable;
}

bool StagedFolder::Create(std::string& error) {
  fs::path staging = FreeSibling(target_, "staging");
  std::error_code ec;
  if (!fs::create_directory(staging, ec)) {
    error = "cannot make " + Quoted(staging) + ": " + ec.message();
    return false;
  }
  staging_ = staging;
  return true;
}

bool StagedFolder::Commit(std::string& error) {
  std::error_code ec;
  fs::path aside;
  if (fs::exists(fs::symlink_status(target_, ec))) {
    aside = FreeSibling(target_, "old");
    fs::rename(target_, aside, ec);
    if (ec) {
      error = "cannot move " + Quoted(target_) + " aside: " + ec.message();
      return false;
    }
  }
  fs::rename(staging_, target_, ec);
  if (ec) {
    error = "cannot move " + Quoted(staging_) + " into place: " + ec.message();
    std::error_code ignored;
    if (!aside.empty()) fs::rename(aside, target_, ignored);
    return false;
  }
  committed_ = true;
  if (!aside.empty()) fs::remove_all(aside, ec);
  return true;
}

}  // namespace catalogue
