#pragma once
// A folder of a test's own under the system's temporary folder, with paths as the program
// writes them (UTF-8 here, the platform's separator).
#include <filesystem>
#include <string>
#include <vector>

class ScratchFolder {
 public:
  // Makes a new, empty folder; Valid() tells whether that worked.
  ScratchFolder();
  // Removes the folder with everything in it.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Valid() const { return !path_.empty(); }
  // The folder's full path, without a trailing separator.
  std::string Path() const;

 private:
  std::filesystem::path path_;
};

// The platform's path separator as text.
std::string Separator();
std::filesystem::path PathOf(const std::string& utf8);
bool PathExists(const std::string& utf8);
// Makes a folder with its missing parents; true when it is there.
bool MakeFolders(const std::string& utf8);
// Makes an empty file; true when that worked.
bool MakeEmptyFile(const std::string& utf8);
// The names in a folder (hidden ones too), sorted; with `filesOnly` the regular files only.
std::vector<std::string> NamesIn(const std::string& folder, bool filesOnly);
