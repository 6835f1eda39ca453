// The user's folders as the desktop names them (on Linux the XDG user directories, which
// Qt reads from user-dirs.dirs, falling back to ~/Pictures).
#include <QDir>
#include <QStandardPaths>

#include "platform/platform.h"
#include "qt_common.h"

namespace {

Text AsFolder(const QString& path) {
  if (path.isEmpty()) return Text();
  Text folder = FromQString(QDir::cleanPath(path));
  if (folder.back() != u'/') folder += u'/';
  return folder;
}

}  // namespace

std::pair<Text, Text> PlatformUserFolders() {
  const Text home = AsFolder(QDir::homePath());
  const Text pictures = AsFolder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
  return {pictures.empty() ? home : pictures, home};
}
