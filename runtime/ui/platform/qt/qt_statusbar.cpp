// Status bars: a strip docked at the bottom of its window, as wide as it, with text
// fields laid out from the left; the room right of the last field belongs to no field.
#include <QEvent>
#include <QLabel>
#include <QWidget>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/statusbar_layout.h"
#include "qt_common.h"

namespace {

constexpr int kMinimumInnerHeight = 18;
constexpr int kBorder = 2;

// Left edges and widths of fields in a bar `barWidth` wide that keeps `grip` pixels free
// at its right end.
std::vector<std::pair<int64_t, int64_t>> LayoutFields(int64_t barWidth, int64_t grip,
                                                      const std::vector<int64_t>& widths) {
  std::vector<std::pair<int64_t, int64_t>> fields;
  int64_t left = 0;
  for (int64_t width : StatusbarFieldWidths(barWidth - grip, widths)) {
    fields.emplace_back(left, width);
    left += width;
  }
  return fields;
}

class Statusbar final : public QWidget {
 public:
  explicit Statusbar(QWidget* window) : QWidget(window) {
    setAutoFillBackground(true);
    window->installEventFilter(this);
    int height = std::max(kMinimumInnerHeight, fontMetrics().height() + 4) + 2 * kBorder;
    resize(window->width(), height);
    Dock();
  }

  void SetFields(const std::vector<int64_t>& widths) {
    widths_ = widths;
    while (fields_.size() < widths_.size()) {
      auto* label = new QLabel(this);
      label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      label->setIndent(2);
      label->setTextFormat(Qt::PlainText);  // texts are shown as typed, never as markup
      label->show();
      fields_.push_back(label);
    }
    Layout();
  }

  QLabel* Field(int64_t field) const {
    return field >= 0 && field < static_cast<int64_t>(fields_.size()) ? fields_[field] : nullptr;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Resize) Dock();
    return false;
  }

 private:
  void Dock() {
    QWidget* window = parentWidget();
    setGeometry(0, window->height() - height(), window->width(), height());
    Layout();
    update();
  }

  void Layout() {
    QWidget* window = parentWidget();
    bool grip = window->property(kSizableProperty).toBool() && !window->isMaximized();
    auto placed = LayoutFields(width(), grip ? height() - 3 : 0, widths_);
    for (size_t i = 0; i < placed.size(); ++i)
      fields_[i]->setGeometry(static_cast<int>(placed[i].first), kBorder,
                              static_cast<int>(std::max<int64_t>(placed[i].second, 0)),
                              height() - 2 * kBorder);
  }

  std::vector<int64_t> widths_;
  std::vector<QLabel*> fields_;
};

Statusbar* StatusbarOf(int64_t handle) { return WidgetAs<Statusbar>(handle); }

Qt::Alignment AlignmentOf(int64_t flags) {
  if (flags & kStatusCentred) return Qt::AlignCenter;
  return Qt::AlignVCenter | ((flags & kStatusRight) ? Qt::AlignRight : Qt::AlignLeft);
}

int FrameOf(int64_t flags) {
  if (flags & kStatusNoBorder) return QFrame::NoFrame;
  return QFrame::Panel | ((flags & kStatusRaised) ? QFrame::Raised : QFrame::Sunken);
}

}  // namespace

int64_t PlatformStatusbarCreate(int64_t window, const PlatformGone& gone) {
  QWidget* owner = WidgetOf(window);
  int64_t number = PlatformWindowNumberOf(window);
  if (!owner || number < 0) return 0;
  auto* bar = new Statusbar(owner);
  int64_t handle = HandleOf(bar);
  RegisterWidget(bar, {-1, number, false}, gone);
  bar->show();
  bar->raise();
  return handle;
}

void PlatformStatusbarSetFields(int64_t statusbar, const std::vector<int64_t>& widths) {
  if (Statusbar* bar = StatusbarOf(statusbar)) bar->SetFields(widths);
}

void PlatformStatusbarSetText(int64_t statusbar, int64_t field, const Text& text, int64_t flags) {
  Statusbar* bar = StatusbarOf(statusbar);
  QLabel* label = bar ? bar->Field(field) : nullptr;
  if (!label) return;
  label->setFrameStyle(FrameOf(flags));
  label->setAlignment(AlignmentOf(flags));
  label->setText(ToQString(text));
}

Text PlatformStatusbarGetText(int64_t statusbar, int64_t field) {
  Statusbar* bar = StatusbarOf(statusbar);
  QLabel* label = bar ? bar->Field(field) : nullptr;
  return label ? FromQString(label->text()) : Text();
}

PlatformRect PlatformStatusbarFieldRect(int64_t statusbar, int64_t field) {
  Statusbar* bar = StatusbarOf(statusbar);
  QLabel* label = bar ? bar->Field(field) : nullptr;
  if (!label) return {};
  QRect r = label->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}
