#include "platform/text_render.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>

#include "platform/rotated_cell.h"
#include "qt_font_qfont.h"

namespace {

QString ToQString(const Text& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt loads font engines per thread, and the download worker is a new thread for every
// picture: each would ask fontconfig again before marking. The sizes and masks measured
// and rendered on any thread are kept for all of them; a run's pictures share the mark, and
// its mask wherever the pictures are of one size.
class SharedTextCache {
 public:
  template <class Measure>
  int64_t Size(const QString& key, Measure measure) {
    {
      std::lock_guard lock(lock_);
      if (auto found = sizes_.constFind(key); found != sizes_.constEnd()) return *found;
    }
    const int64_t size = measure();
    std::lock_guard lock(lock_);
    if (sizes_.size() >= kMostSizes) sizes_.clear();
    sizes_.insert(key, size);
    return size;
  }

  bool FindMask(const QString& key, QImage& image, int64_t& left, int64_t& top) {
    std::lock_guard lock(lock_);
    for (const Mask& mask : masks_) {
      if (mask.key != key) continue;
      image = mask.image;  // shared, not copied
      left = mask.left;
      top = mask.top;
      return true;
    }
    return false;
  }

  void KeepMask(const QString& key, const QImage& image, int64_t left, int64_t top) {
    std::lock_guard lock(lock_);
    masks_.push_front({key, image, left, top});
    if (masks_.size() > kMostMasks) masks_.pop_back();
  }

 private:
  static constexpr qsizetype kMostSizes = 256;
  static constexpr size_t kMostMasks = 4;
  struct Mask {
    QString key;
    QImage image;
    int64_t left, top;
  };
  std::mutex lock_;
  QHash<QString, int64_t> sizes_;  // by kind, font and text
  std::deque<Mask> masks_;         // the newest first
};

SharedTextCache& Shared() {
  static auto* cache = new SharedTextCache();  // workers may mark while the process ends
  return *cache;
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
  const QString string = ToQString(text);
  return Shared().Size(QStringLiteral("w\x1f") + impl_->font.key() + u'\x1f' + string, [&] {
    return QFontMetrics(impl_->font).horizontalAdvance(string);
  });
}

int64_t TextRenderer::Height(const Text& text) const {
  if (text.empty()) return 0;
  return Shared().Size(QStringLiteral("h\x1f") + impl_->font.key(),
                       [&] { return QFontMetrics(impl_->font).height(); });
}

bool TextRenderer::Render(const Text& text, int64_t x, int64_t y, double angle,
                          int64_t clipWidth, int64_t clipHeight, TextMask& mask) {
  if (text.empty() || std::abs(x) > kTextFarAway || std::abs(y) > kTextFarAway) return false;
  QString string = ToQString(text);
  const QString key = QString::number(x) + u' ' + QString::number(y) + u' ' +
                      QString::number(angle, 'g', 17) + u' ' + QString::number(clipWidth) +
                      u' ' + QString::number(clipHeight) + u'\x1f' + impl_->font.key() +
                      u'\x1f' + string;
  QImage& image = impl_->mask;
  int64_t left = 0, top = 0;
  if (Shared().FindMask(key, image, left, top)) {
    mask = {left, top, image.width(), image.height(), image.bytesPerLine(), image.constBits()};
    return true;
  }
  QFontMetrics metrics(impl_->font);
  RotatedBox cell = RotatedCell(0, metrics.horizontalAdvance(string), metrics.height(), angle);
  left = std::max<int64_t>(0, x + cell.left);
  top = std::max<int64_t>(0, y + cell.top);
  int64_t right = std::min(clipWidth, x + cell.right);
  int64_t bottom = std::min(clipHeight, y + cell.bottom);
  if (left >= right || top >= bottom) return false;

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

  Shared().KeepMask(key, image, left, top);
  mask = {left, top, right - left, bottom - top, image.bytesPerLine(), image.constBits()};
  return true;
}
