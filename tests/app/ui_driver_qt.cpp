// The application tests' driver over the Qt platform: QTest input, widget lookups and
// QMessageBox answers. Qt's input is handled before the calls return.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <memory>

#include "app_state.h"
#include "gadgets.h"
#include "list_checkbox.h"
#include "toolkit_windows.h"
#include "ui_driver.h"

namespace {

const QEvent::Type kCallsWaiting = static_cast<QEvent::Type>(QEvent::registerEventType());

class Courier final : public QObject {
 public:
  explicit Courier(void (*arrived)()) : arrived_(arrived) {}
  bool event(QEvent* event) override {
    if (event->type() != kCallsWaiting) return QObject::event(event);
    arrived_();
    return true;
  }

 private:
  void (*arrived_)();
};

QObject* courier = nullptr;  // lives on the UI thread while the toolkit is up
// The next wake-up, made on the UI thread: the application's event filters read it there,
// and one made by the test thread would reach them through Qt's queue alone.
std::unique_ptr<QEvent> spareWake;

QWidget* Gadget(int64_t number) { return reinterpret_cast<QWidget*>(GadgetGetHandle(number)); }
QWidget* MainWindow() { return reinterpret_cast<QWidget*>(WindowGetHandle(kMainWindow)); }
QAbstractItemView* ListView(int64_t gadget) {
  return qobject_cast<QAbstractItemView*>(Gadget(gadget));
}
QLineEdit* Field(int64_t gadget) { return qobject_cast<QLineEdit*>(Gadget(gadget)); }
QString Q(const Text& text) { return QString::fromStdU16String(text); }

Qt::Key KeyOf(UiKey key) {
  switch (key) {
    case UiKey::Return:
      return Qt::Key_Return;
    case UiKey::Escape:
      return Qt::Key_Escape;
    case UiKey::A:
      return Qt::Key_A;
  }
  return Qt::Key_unknown;
}
Qt::MouseButton ButtonOf(UiButton button) {
  return button == UiButton::Right ? Qt::RightButton : Qt::LeftButton;
}
QWidget* FocusOrMain() {
  QWidget* target = QApplication::focusWidget();
  return target ? target : MainWindow();
}

}  // namespace

void CourierOpen(void (*arrived)()) {
  courier = new Courier(arrived);
  spareWake = std::make_unique<QEvent>(kCallsWaiting);
}

void CourierClose() {
  delete courier;  // its pending wake-up goes with it
  courier = nullptr;
  spareWake.reset();
}

void CourierRearm() {
  if (!spareWake) spareWake = std::make_unique<QEvent>(kCallsWaiting);
}

void CourierWake() {
  QCoreApplication::postEvent(courier, spareWake.release());
  // The wake-up posted here is taken on the UI thread, which makes the next one.
}

bool InputSettled() { return true; }

void FocusGadget(int64_t gadget) {
  QWidget* window = MainWindow();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  if (QWidget* widget = Gadget(gadget)) widget->setFocus(Qt::OtherFocusReason);
}

void TypeText(const Text& text) { QTest::keyClicks(FocusOrMain(), Q(text)); }

void PressKey(UiKey key, bool control) {
  QTest::keyClick(FocusOrMain(), KeyOf(key), control ? Qt::ControlModifier : Qt::NoModifier);
}

void KeyDown(UiKey key) { QTest::keyPress(MainWindow(), KeyOf(key)); }

void KeyUp(UiKey key) {
  QTest::keyRelease(QApplication::activeWindow() ? QApplication::activeWindow() : MainWindow(),
                    KeyOf(key));
}

void ClickButton(int64_t gadget) { QTest::mouseClick(Gadget(gadget), Qt::LeftButton); }

void ClickListRow(int64_t gadget, int64_t row, int64_t column, UiButton button) {
  QAbstractItemView* view = ListView(gadget);
  const QModelIndex index = view->model()->index(static_cast<int>(row), static_cast<int>(column));
  QTest::mouseClick(view->viewport(), ButtonOf(button), {}, view->visualRect(index).center());
}

void ClickListSpace(int64_t gadget, UiButton button) {
  QTest::mouseClick(ListView(gadget)->viewport(), ButtonOf(button), {}, QPoint(40, 40));
}

bool ClickListCheckbox(int64_t gadget, int64_t row) {
  const QRect box = ListCheckboxRect(gadget, row);
  if (box.isEmpty()) return false;
  QTest::mouseClick(ListView(gadget)->viewport(), Qt::LeftButton, {}, box.center());
  return true;
}

bool PopupOpen() { return QApplication::activePopupWidget() != nullptr; }

bool ChoosePopupItem(std::initializer_list<int> path) {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  for (auto step = path.begin(); menu && step != path.end(); ++step) {
    QAction* action = menu->actions().value(*step);
    if (!action) return false;
    menu->setActiveAction(action);
    if (step + 1 == path.end()) {
      QTest::keyClick(menu, Qt::Key_Return);
      return true;
    }
    QTest::keyClick(menu, Qt::Key_Right);
    menu = action->menu();
  }
  return false;
}

void ClosePopup() {
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

bool FolderChooserOpen() {
  return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr;
}

void CancelFolderChooser() {
  if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dialog->reject();
}

void AcceptFolderChooser(const Text& folder) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (!dialog) return;
  dialog->setDirectory(Q(folder));
  QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
}

std::optional<MessageBoxSeen> AnswerMessageBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) return std::nullopt;
  MessageBoxSeen seen{box->windowTitle().toStdU16String(), box->text().toStdU16String(),
                      static_cast<BoxIcon>(box->icon()),  // QMessageBox::Icon counts alike
                      std::chrono::steady_clock::now()};
  QAbstractButton* button = box->defaultButton();
  if (!button && !box->buttons().isEmpty()) button = box->buttons().first();
  if (button) button->click();
  return seen;
}

void CloseLeftovers() {
  ClosePopup();
  if (QWidget* modal = QApplication::activeModalWidget(); modal && !qobject_cast<QMessageBox*>(modal))
    modal->close();
}

void CloseMainWindow() {
  if (QWidget* window = MainWindow()) window->close();
}

Text MainWindowTitle() { return MainWindow()->windowTitle().toStdU16String(); }

int64_t NativeParentOf(int64_t gadget) {
  return reinterpret_cast<int64_t>(Gadget(gadget)->parentWidget());
}

void SetFieldText(int64_t gadget, const Text& text) {
  QLineEdit* field = Field(gadget);
  field->setText(Q(text));
  field->deselect();
}

Text FieldSelection(int64_t gadget) { return Field(gadget)->selectedText().toStdU16String(); }
