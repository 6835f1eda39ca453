#include "requesters.h"

#include "platform/platform.h"
#include "toolkit_internal.h"

int64_t ShowMessageBox(const Text& title, const Text& text, int64_t flags) {
  if (!PlatformRunning()) return 0;
  return OnUiThread([&] { return PlatformMessageBox(title, text, flags); });
}

Text ChooseFolder(const Text& title, const Text& initialFolder) {
  if (!PlatformRunning()) return Text();
  // The root keeps its separator; any other folder is opened without its trailing one.
  Text initial = initialFolder;
  if (initial.size() > 1 && initial.back() == u'/') initial.pop_back();
  Text chosen = OnUiThread([&] { return PlatformChooseFolder(title, initial); });
  if (!chosen.empty() && chosen.back() != u'/') chosen += u'/';
  return chosen;
}

std::pair<Text, Text> UserFolders() { return PlatformUserFolders(); }
