#include "download_folder.h"

#include "files.h"
#include "program.h"
#include "texts.h"

Text StartDownloadFolder(const Text& programFolder, const Text& picturesFolder,
                         const Text& homeFolder) {
  if (FolderWritable(programFolder)) return programFolder;
  if (!picturesFolder.empty()) {
    // Not made here: starting the program should leave no trace until it saves something.
    Text own = picturesFolder + T(TextRole::DownloadFolderName) + kPathSeparator;
    if (FolderWritable(own)) return own;
  }
  return homeFolder.empty() ? programFolder : homeFolder;
}
