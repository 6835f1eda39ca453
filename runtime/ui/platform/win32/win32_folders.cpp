// The user's folders as the shell names them.
#include <shlobj.h>

#include "win32_common.h"
#include "win32_requesters.h"

namespace {

Text KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  Text folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path)
    folder = AsFolder(TextOf(path, wcslen(path)));
  CoTaskMemFree(path);
  return folder;
}

}  // namespace

std::pair<Text, Text> PlatformUserFolders() {
  const Text home = KnownFolder(FOLDERID_Profile);
  const Text pictures = KnownFolder(FOLDERID_Pictures);
  return {pictures.empty() ? home : pictures, home};
}
