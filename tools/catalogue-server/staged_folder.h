#pragma once
// A folder that is written beside its final place and moved there only when complete,
// so that the final place holds either its old content or the whole new one, even when
// the process is killed half-way (a staging folder may then be left beside it).
//
// One object belongs to one thread.
#include <filesystem>
#include <string>

namespace catalogue {

class StagedFolder {
 public:
  explicit StagedFolder(const std::filesystem::path& target);
  // Removes the staging folder unless it was committed.
  ~StagedFolder();
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  enum class TargetState { Writable, NotEmpty, Unusable };
  // Writable when the target's parent is a folder and the target is missing or an empty
  // folder, or any folder when `replace`; `error` says why otherwise.
  TargetState CheckTarget(bool replace, std::string& error) const;

  // Makes the empty staging folder beside the target.
  bool Create(std::string& error);
  const std::filesystem::path& Staging() const { return staging_; }
  const std::filesystem::path& Target() const { return target_; }

  // Puts the staging folder in the target's place. An old target is moved aside first
  // and removed only once the new one is in place; on failure it is put back.
  bool Commit(std::string& error);

 private:
  std::filesystem::path target_;
  std::filesystem::path staging_;
  bool committed_ = false;
};

}  // namespace catalogue
