#include "requesters.h"

#include "platform/platform.h"
#include "program.h"
#include "toolkit_internal.h"

int64_t ShowMessageBox(const Text& title, const Text& text, int64_t flags) {
  if (!PlatformRunning()) return 0;
  return OnUiThread([&] { return PlatformMessageBox(title, text, flags); });
}

Text ChooseFolder(const Text& title, const Text& initialFolder) {
  if (!PlatformRunning()) return Text();
  return FolderPath(OnUiThread([&] { return PlatformChooseFolder(title, initialFolder); }));
}

std::pair<Text, Text> UserFolders() { return PlatformUserFolders(); }
