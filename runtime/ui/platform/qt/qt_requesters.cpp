// The message box and the folder chooser.
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <set>

#include "platform/platform.h"
#include "qt_common.h"

namespace {

// Result codes of the pressed button.
constexpr int64_t kResultOk = 1, kResultCancel = 2, kResultAbort = 3, kResultRetry = 4,
                  kResultIgnore = 5, kResultYes = 6, kResultNo = 7;

QMessageBox::Icon IconOf(int64_t flags) {
  switch (flags & 0xF0) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

struct ButtonCode {
  QMessageBox::StandardButton button;
  int64_t code;
};

std::vector<ButtonCode> ButtonsOf(int64_t flags) {
  using B = QMessageBox;
  switch (flags & 0xF) {
    case 1:
      return {{B::Ok, kResultOk}, {B::Cancel, kResultCancel}};
    case 2:
      return {{B::Abort, kResultAbort}, {B::Retry, kResultRetry}, {B::Ignore, kResultIgnore}};
    case 3:
      return {{B::Yes, kResultYes}, {B::No, kResultNo}, {B::Cancel, kResultCancel}};
    case 4:
      return {{B::Yes, kResultYes}, {B::No, kResultNo}};
    case 5:
      return {{B::Retry, kResultRetry}, {B::Cancel, kResultCancel}};
    default:
      return {{B::Ok, kResultOk}};
  }
}

// While a box is open: the auto-repeated presses of a key that was already down when it
// opened are not the user's answer (a key held to cancel a job would otherwise close the
// box that reports the cancel before it can be read). A key first pressed in the box
// repeats as usual.
class HeldKeysIgnored : public QObject {
 public:
  explicit HeldKeysIgnored(const QWidget* box) : box_(box) { qApp->installEventFilter(this); }
  ~HeldKeysIgnored() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != box_) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) {
      pressedInside_.insert(key->key());
      return false;
    }
    return pressedInside_.count(key->key()) == 0;
  }

 private:
  const QWidget* box_;
  std::set<int> pressedInside_;
};

}  // namespace

int64_t PlatformMessageBox(const Text& title, const Text& text, int64_t flags) {
  QMessageBox box(IconOf(flags), ToQString(title), ToQString(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);  // shown as typed, never as markup
  auto buttons = ButtonsOf(flags);
  for (const ButtonCode& entry : buttons) box.addButton(entry.button);
  box.setWindowModality(Qt::ApplicationModal);
  HeldKeysIgnored heldKeys(&box);
  int pressed = box.exec();
  for (const ButtonCode& entry : buttons)
    if (pressed == entry.button) return entry.code;
  // Closed without a button: the box's cancel answer, or OK for a box that has none.
  return buttons.size() == 1 ? kResultOk : kResultCancel;
}

Text PlatformChooseFolder(const Text& title, const Text& initialFolder) {
  // The root keeps its separator; any other folder is opened without its trailing one.
  Text initial = initialFolder;
  if (initial.size() > 1 && initial.back() == u'/') initial.pop_back();
  QFileDialog dialog(QApplication::activeWindow(), ToQString(title), ToQString(initial));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return Text();
  return FromQString(dialog.selectedFiles().first());
}
