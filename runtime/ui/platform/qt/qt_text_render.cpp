#include "platform/text_render.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/rotated_cell.h"
#include "qt_font_qfont.h"

namespace {

QString ToQString(const Text& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

struct TextRenderer::Impl {
  QFont font = QtFontSystem();
  QImage mask;
};

TextRenderer::TextRenderer() : impl_(std::make_unique<Impl>()) {}
TextRenderer::~TextRenderer() = default;

bool TextRenderer::Available() { return QGuiApplication::instance() != nullptr; }

void TextRenderer::UseFont(const FontSpec& description) { impl_->font = QtFontFromSpec(description); }
void TextRenderer::UseSystemFont() { impl_->font = QtFontSystem(); }

int64_t TextRenderer::Width(const Text& text) const {
  if (text.empty()) return 0;
  return QFontMetrics(impl_->font).horizontalAdvance(ToQString(text));
}

int64_t TextRenderer::Height(const Text& text) const {
  if (text.empty()) return 0;
  return QFontMetrics(impl_->font).height();
}

bool TextRenderer::Render(const Text& text, int64_t x, int64_t y, double angle,
                          int64_t clipWidth, int64_t clipHeight, TextMask& mask) {
  if (text.empty() || std::abs(x) > kTextFarAway || std::abs(y) > kTextFarAway) return false;
  QString string = ToQString(text);
  QFontMetrics metrics(impl_->font);
  RotatedBox cell = RotatedCell(0, metrics.horizontalAdvance(string), metrics.height(), angle);
  int64_t left = std::max<int64_t>(0, x + cell.left);
  int64_t top = std::max<int64_t>(0, y + cell.top);
  int64_t right = std::min(clipWidth, x + cell.right);
  int64_t bottom = std::min(clipHeight, y + cell.bottom);
  if (left >= right || top >= bottom) return false;

  QImage& image = impl_->mask;
  image = QImage(static_cast<int>(right - left), static_cast<int>(bottom - top),
                 QImage::Format_Grayscale8);
  if (image.isNull()) return false;
  image.fill(0);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.setPen(Qt::white);
  painter.setFont(impl_->font);
  painter.translate(static_cast<double>(x - left), static_cast<double>(y - top));
  painter.rotate(-angle);  // Qt turns clockwise on the screen
  painter.drawText(QPointF(0, metrics.ascent()), string);
  painter.end();

  mask = {left, top, right - left, bottom - top, image.bytesPerLine(), image.constBits()};
  return true;
}
