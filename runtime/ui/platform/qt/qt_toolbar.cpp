// Toolbars: a strip docked at the top of its window, as wide as it, with flat buttons
// placed from the left at the platform's classic metrics (23 x 22 buttons, 8-pixel
// separators), so that gadgets moved into it can sit right of them.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>
#include <map>

#include "platform/platform.h"
#include "qt_common.h"

namespace {

constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;
constexpr int kLargeButtonWidth = 31;
constexpr int kLargeButtonHeight = 30;
constexpr int kSeparatorWidth = 8;
constexpr int kEdge = 2;  // above and below the buttons

class Toolbar final : public QWidget {
 public:
  Toolbar(QWidget* window, int64_t number, int64_t flags)
      : QWidget(window),
        window_(number),
        large_((flags & kToolbarLargeImages) != 0),
        texts_((flags & kToolbarTextBelow) != 0) {
    setAutoFillBackground(true);
    window->installEventFilter(this);
    setGeometry(0, 0, window->width(), ButtonHeight() + 2 * kEdge);
  }

  void AddButton(int64_t button, const QIcon& icon, bool toggle, const QString& text) {
    auto* tool = new QToolButton(this);
    tool->setIcon(icon);
    tool->setIconSize(large_ ? QSize(24, 24) : QSize(16, 16));
    tool->setAutoRaise(true);
    tool->setCheckable(toggle);
    tool->setFocusPolicy(Qt::NoFocus);
    if (texts_) {
      tool->setText(text);
      tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    int width = texts_ ? std::max(ButtonWidth(), tool->sizeHint().width()) : ButtonWidth();
    int height = texts_ ? std::max(ButtonHeight(), tool->sizeHint().height()) : ButtonHeight();
    tool->setGeometry(next_, kEdge, width, height);
    tool->show();
    next_ += width;
    if (height + 2 * kEdge > this->height()) resize(this->width(), height + 2 * kEdge);
    RegisterWidget(tool, {-1, window_, false});
    QObject::connect(tool, &QToolButton::clicked, this,
                     [this, button] { RaiseMenuEvent(window_, button); });
    buttons_[button] = tool;
  }

  void AddSeparator() { next_ += kSeparatorWidth; }

  QToolButton* Button(int64_t button) const {
    auto it = buttons_.find(button);
    return it == buttons_.end() ? nullptr : it->second;
  }
  int64_t ButtonCount() const { return static_cast<int64_t>(buttons_.size()); }

 protected:
  // Follows the window's width.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Resize)
      setGeometry(0, 0, parentWidget()->width(), height());
    return false;
  }

 private:
  int ButtonWidth() const { return large_ ? kLargeButtonWidth : kButtonWidth; }
  int ButtonHeight() const { return large_ ? kLargeButtonHeight : kButtonHeight; }

  const int64_t window_;
  const bool large_;
  const bool texts_;
  int next_ = 0;
  std::map<int64_t, QToolButton*> buttons_;
};

Toolbar* ToolbarOf(int64_t handle) { return WidgetAs<Toolbar>(handle); }

QIcon StockIcon(int64_t image) {
  static const std::map<int64_t, QStyle::StandardPixmap> stock = {
      {kStockCut, QStyle::SP_DialogDiscardButton},
      {kStockCopy, QStyle::SP_FileDialogDetailedView},
      {kStockPaste, QStyle::SP_DialogApplyButton},
      {kStockUndo, QStyle::SP_ArrowBack},
      {kStockRedo, QStyle::SP_ArrowForward},
      {kStockDelete, QStyle::SP_TrashIcon},
      {kStockNewDocument, QStyle::SP_FileIcon},
      {kStockOpen, QStyle::SP_DialogOpenButton},
      {kStockSave, QStyle::SP_DialogSaveButton},
      {kStockPrintPreview, QStyle::SP_FileDialogContentsView},
      {kStockProperties, QStyle::SP_FileDialogInfoView},
      {kStockHelp, QStyle::SP_DialogHelpButton},
      {kStockFind, QStyle::SP_FileDialogContentsView},
      {kStockReplace, QStyle::SP_BrowserReload},
      {kStockPrint, QStyle::SP_DriveFDIcon}};
  auto it = stock.find(image);
  return it == stock.end() ? QIcon() : QApplication::style()->standardIcon(it->second);
}

}  // namespace

int64_t PlatformToolbarCreate(int64_t window, int64_t flags, const PlatformGone& gone) {
  QWidget* owner = WidgetOf(window);
  int64_t number = PlatformWindowNumberOf(window);
  if (!owner || number < 0) return 0;
  auto* toolbar = new Toolbar(owner, number, flags);
  int64_t handle = HandleOf(toolbar);
  RegisterWidget(toolbar, {-1, number, false}, gone);
  toolbar->show();
  toolbar->raise();
  return handle;
}

void PlatformToolbarAddButton(int64_t toolbar, int64_t button, int64_t stockImage,
                              const std::vector<uint32_t>& image, int64_t width, int64_t height,
                              bool toggle, const Text& text) {
  Toolbar* bar = ToolbarOf(toolbar);
  if (!bar) return;
  QIcon icon;
  if (stockImage >= 0) {
    icon = StockIcon(stockImage);
  } else if (!image.empty() && static_cast<int64_t>(image.size()) >= width * height) {
    QImage picture(reinterpret_cast<const uchar*>(image.data()), static_cast<int>(width),
                   static_cast<int>(height), static_cast<int>(width * 4), QImage::Format_ARGB32);
    icon = QIcon(QPixmap::fromImage(picture.copy()));
  }
  bar->AddButton(button, icon, toggle, ToQString(text));
}

void PlatformToolbarAddSeparator(int64_t toolbar) {
  if (Toolbar* bar = ToolbarOf(toolbar)) bar->AddSeparator();
}

int64_t PlatformToolbarButton(int64_t toolbar, int64_t button) {
  Toolbar* bar = ToolbarOf(toolbar);
  return bar ? HandleOf(bar->Button(button)) : 0;
}

int64_t PlatformToolbarButtonCount(int64_t toolbar) {
  Toolbar* bar = ToolbarOf(toolbar);
  return bar ? bar->ButtonCount() : 0;
}
