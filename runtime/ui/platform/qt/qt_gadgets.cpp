// The simple gadgets: text fields, push buttons, frames, panels and progress bars.
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "platform/platform.h"
#include "qt_common.h"

namespace {

class EntryField final : public QLineEdit {
 public:
  explicit EntryField(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { RaiseGadgetEvent(this, kGadgetChange); });
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    RaiseGadgetEvent(this, kGadgetFocusIn);
  }
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    RaiseGadgetEvent(this, kGadgetFocusOut);
  }
};

int64_t Register(QWidget* widget, int64_t number, int64_t window, const PlatformGone& gone) {
  RegisterWidget(widget, {number, window, false}, gone);
  widget->show();
  return HandleOf(widget);
}

QFrame::Shape PanelShape(int64_t flags) {
  return flags & (kPanelSingleLine | kPanelDoubleLine | kPanelFlat | kPanelSunken)
             ? QFrame::Panel
             : QFrame::NoFrame;
}

}  // namespace

int64_t PlatformTextFieldCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                                bool readOnly, bool border, const PlatformGone& gone) {
  auto* field = new EntryField(WidgetOf(parent));
  field->setText(ToQString(text));
  field->setCursorPosition(0);
  field->setReadOnly(readOnly);
  field->setFrame(border);
  return Register(field, number, window, gone);
}

int64_t PlatformButtonCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                             const PlatformGone& gone) {
  auto* button = new QPushButton(ToQString(text), WidgetOf(parent));
  QObject::connect(button, &QPushButton::clicked, button,
                   [button] { RaiseGadgetEvent(button, kGadgetClicked); });
  return Register(button, number, window, gone);
}

int64_t PlatformFrameCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                            int64_t flags, const PlatformGone& gone) {
  if (flags == kFrameGroup)
    return Register(new QGroupBox(ToQString(text), WidgetOf(parent)), number, window, gone);
  // Sunken box, thin etched edge (a divider when 2 wide), or a plain one-pixel border.
  auto* frame = new QFrame(WidgetOf(parent));
  bool edged = flags == kFrameSunken || flags == kFrameFlat;
  frame->setFrameStyle(edged ? QFrame::Panel | QFrame::Sunken : QFrame::Box | QFrame::Plain);
  frame->setLineWidth(flags == kFrameSunken ? 2 : 1);
  return Register(frame, number, window, gone);
}

int64_t PlatformPanelCreate(int64_t parent, int64_t number, int64_t window, int64_t flags,
                            const PlatformGone& gone) {
  auto* panel = new QFrame(WidgetOf(parent));
  panel->setAutoFillBackground(true);
  panel->setFrameShape(PanelShape(flags));
  panel->setFrameShadow((flags & kPanelSunken) ? QFrame::Sunken : QFrame::Plain);
  panel->setLineWidth((flags & kPanelDoubleLine) ? 2 : 1);
  return Register(panel, number, window, gone);
}

int64_t PlatformProgressCreate(int64_t parent, int64_t number, int64_t window,
                               const PlatformGone& gone) {
  auto* bar = new QProgressBar(WidgetOf(parent));
  bar->setTextVisible(false);
  bar->setFocusPolicy(Qt::NoFocus);
  return Register(bar, number, window, gone);
}

void PlatformSetText(int64_t handle, const Text& text) {
  QWidget* widget = WidgetOf(handle);
  if (auto* field = dynamic_cast<QLineEdit*>(widget)) {
    field->setText(ToQString(text));
    field->setCursorPosition(0);
  } else if (auto* button = dynamic_cast<QPushButton*>(widget)) {
    button->setText(ToQString(text));
  } else if (auto* group = dynamic_cast<QGroupBox*>(widget)) {
    group->setTitle(ToQString(text));
  }
}

Text PlatformGetText(int64_t handle) {
  QWidget* widget = WidgetOf(handle);
  if (auto* field = dynamic_cast<QLineEdit*>(widget)) return FromQString(field->text());
  if (auto* button = dynamic_cast<QPushButton*>(widget)) return FromQString(button->text());
  if (auto* group = dynamic_cast<QGroupBox*>(widget)) return FromQString(group->title());
  return Text();
}

void PlatformSelectText(int64_t handle, int64_t start, int64_t length) {
  auto* field = dynamic_cast<QLineEdit*>(WidgetOf(handle));
  if (!field) return;
  if (length <= 0)
    field->deselect();
  else
    field->setSelection(static_cast<int>(start), static_cast<int>(length));
}

void PlatformProgressShow(int64_t handle, int64_t minimum, int64_t maximum, int64_t value,
                          bool busy) {
  auto* bar = dynamic_cast<QProgressBar*>(WidgetOf(handle));
  if (!bar) return;
  if (busy) {
    bar->setRange(0, 0);  // Qt's busy display
    return;
  }
  int low = static_cast<int>(std::min(minimum, maximum));
  int high = static_cast<int>(std::max(minimum, maximum));
  // Qt shows 0..0 as busy; a real empty range stays a still bar.
  bar->setRange(low, high == 0 && low == 0 ? 1 : high);
  bar->setValue(static_cast<int>(value));
}
