#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

// Write permission alone: opening for reading and writing is refused, writing is not.
bool MakeFileRefuseReadWriteCreate(const fs::path& file) {
  if (::geteuid() == 0) return false;  // permissions do not bind the superuser
  fs::permissions(file, fs::perms::owner_write);
  return true;
}

void LetFileBeCreatedAgain(const fs::path& file) { fs::permissions(file, fs::perms::owner_all); }
