#include "platform/text_render.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "qt_font_qfont.h"

namespace {

QString ToQString(const Text& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Text FromQString(const QString& text) { return Text(text.toStdU16String()); }

}  // namespace

int64_t PlatformFontScreenDpi() {
  if (!QGuiApplication::instance()) return 96;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 96;
  auto dpi = static_cast<int64_t>(std::lround(screen->logicalDotsPerInchY()));
  return dpi > 0 ? dpi : 96;
}

bool PlatformFontResolve(const Text& face, Text& resolved) {
  if (!QGuiApplication::instance()) return false;
  QFont font(ToQString(face));
  font.setStyleHint(QFont::SansSerif);
  resolved = FromQString(QFontInfo(font).family());
  return !resolved.empty();
}

bool PlatformTextStart() {
  if (QGuiApplication::instance()) return true;
  static int argc = 1;
  static char name[] = "trawl";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static auto* application = new QGuiApplication(argc, argv);  // lives for the process
  return application != nullptr;
}

QFont QtFontFromSpec(const FontSpec& description) {
  QFont font(ToQString(description.face));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(static_cast<int>(std::max<int64_t>(1, description.pixelHeight)));
  font.setBold((description.flags & kFontBold) != 0);
  font.setItalic((description.flags & kFontItalic) != 0);
  font.setUnderline((description.flags & kFontUnderline) != 0);
  font.setStrikeOut((description.flags & kFontStrikeOut) != 0);
  if (description.flags & kFontHighQuality)
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferQuality));
  return font;
}

QFont QtFontSystem() { return QFontDatabase::systemFont(QFontDatabase::GeneralFont); }
