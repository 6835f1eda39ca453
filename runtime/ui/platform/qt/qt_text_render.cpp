#include "platform/text_render.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "qt_font_qfont.h"

namespace {

// Anchors beyond this are far outside any picture; refusing them keeps the sums in range.
constexpr int64_t kFarAway = int64_t{1} << 40;

QString ToQString(const Text& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Rounds away the noise of cos and sin at multiples of 90 degrees.
double Settle(double value) {
  double nearest = std::round(value);
  return std::abs(value - nearest) < 1e-6 ? nearest : value;
}

struct Box {
  int64_t left, top, right, bottom;  // right and bottom exclusive
};

// The bounding box of the w x h cell turned about its top-left corner, relative to it.
Box RotatedCell(double w, double h, double angle) {
  double radians = angle * std::numbers::pi / 180.0;
  double c = std::cos(radians), s = std::sin(radians);
  const double xs[4] = {0, w * c, h * s, w * c + h * s};
  const double ys[4] = {0, -w * s, h * c, -w * s + h * c};
  auto [minX, maxX] = std::minmax_element(xs, xs + 4);
  auto [minY, maxY] = std::minmax_element(ys, ys + 4);
  return {static_cast<int64_t>(std::floor(Settle(*minX))),
          static_cast<int64_t>(std::floor(Settle(*minY))),
          static_cast<int64_t>(std::ceil(Settle(*maxX))),
          static_cast<int64_t>(std::ceil(Settle(*maxY)))};
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
  if (text.empty() || std::abs(x) > kFarAway || std::abs(y) > kFarAway) return false;
  QString string = ToQString(text);
  QFontMetrics metrics(impl_->font);
  Box cell = RotatedCell(metrics.horizontalAdvance(string), metrics.height(), angle);
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
