// The user's folders as the shell names them.
#include <shlobj.h>

#include "win32_common.h"
#include "win32_requesters.h"
#include "win32_resources.h"

namespace {

Text KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR given = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &given);
  const TaskMemory<PWSTR> path(given);  // to be freed even when the call failed
  if (FAILED(result) || !path) return Text();
  return AsFolder(TextOf(path.Get(), wcslen(path.Get())));
}

}  // namespace

std::pair<Text, Text> PlatformUserFolders() {
  const Text home = KnownFolder(FOLDERID_Profile);
  const Text pictures = KnownFolder(FOLDERID_Pictures);
  return {pictures.empty() ? home : pictures, home};
}
