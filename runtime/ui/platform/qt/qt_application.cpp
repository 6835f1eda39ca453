// The application object, the UI thread, the event platform over Qt's dispatcher, and
// the application-wide key watcher (key states and window shortcuts).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

#include "event_platform.h"
#include "events.h"
#include "platform/platform.h"
#include "platform/ui_inbox.h"
#include "qt_common.h"
#include "qt_keys.h"

namespace {

const QEvent::Type kWakeType = static_cast<QEvent::Type>(QEvent::registerEventType());

// The next wake-up, made on the UI thread ahead of need: one made by a worker would be read
// by the application's event filters on the UI thread with nothing a race checker sees
// ordering the two (Qt's queue lock is invisible to it). Touched under the inbox's lock.
std::unique_ptr<QEvent> spareWake;

UiInbox& Inbox() {
  static auto* inbox = new UiInbox();  // workers may still post during shutdown
  return *inbox;
}

// Lives on the UI thread and empties the inbox there when woken.
class InboxReceiver final : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != kWakeType) return QObject::event(event);
    Inbox().Deliver();
    return true;
  }
};

class QtEventPlatform final : public EventPlatform {
 public:
  bool Post(const PostedEvent& event) override { return Inbox().Post(event); }

  int32_t PumpMessages(uint32_t timeoutMs) override {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !Inbox().Running()) return 0;
    int64_t before = Inbox().Delivered();
    auto delivered = [before] { return Inbox().Delivered() != before; };
    if (timeoutMs == kWaitForever) {
      dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      return kPlatformMessage;
    }
    if (dispatcher->processEvents(QEventLoop::AllEvents) || delivered()) return kPlatformMessage;
    if (timeoutMs == 0) return 0;
    // Wait for anything, with a timer that ends the wait when nothing comes.
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
    timer.start(static_cast<int>(std::min<uint32_t>(timeoutMs, INT32_MAX)));
    bool dispatched = false;
    while (!timedOut && !dispatched && !delivered())
      dispatched = dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return timedOut && !delivered() ? 0 : kPlatformMessage;
  }
};

// The virtual key code of a Qt key, or -1 for keys the toolkit does not name.
int64_t VirtualKey(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_End:
      return 35;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    default:
      return -1;
  }
}

int64_t ShortcutValue(const QKeyEvent& event, int64_t virtualKey) {
  Qt::KeyboardModifiers modifiers = event.modifiers();
  int64_t value = virtualKey;
  if (modifiers & Qt::ShiftModifier || event.key() == Qt::Key_Backtab) value |= kShortcutShift;
  if (modifiers & Qt::ControlModifier) value |= kShortcutControl;
  if (modifiers & Qt::AltModifier) value |= kShortcutAlt;
  return value;
}

// Sees every key of the application, also those sent to disabled windows.
class KeyWatcher final : public QObject {
 public:
  explicit KeyWatcher(PlatformKeyNote keyNote) : keyNote_(keyNote) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
      QtKeysNoteWindowEvent(watched, event->type());
      return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    int64_t virtualKey = VirtualKey(key->key());
    if (virtualKey < 0) return false;
    bool down = event->type() == QEvent::KeyPress;
    if (down && watched->isWidgetType())
      QtKeysNotePress(virtualKey, key->nativeScanCode(), static_cast<QWidget*>(watched)->window());
    if (keyNote_ && (down || !key->isAutoRepeat())) keyNote_(virtualKey, down);
    return down && watched->isWidgetType() &&
           RunShortcut(static_cast<QWidget*>(watched), *key, virtualKey);
  }

 private:
  // A window's shortcut, whichever of its gadgets has the focus; Tab and Shift+Tab move
  // the focus as the platform does.
  static bool RunShortcut(QWidget* target, const QKeyEvent& key, int64_t virtualKey) {
    QWidget* window = target->window();
    const WidgetTag* tag = TagOf(window);
    if (!tag || !tag->isWindow || !window->isEnabled()) return false;
    int64_t item = QtWindowShortcut(window, ShortcutValue(key, virtualKey));
    if (item < 0 || item == kItemNextGadget || item == kItemPreviousGadget) return false;
    RaiseMenuEvent(tag->window, item);
    return true;
  }

  const PlatformKeyNote keyNote_;
};

QApplication* ownApplication = nullptr;
InboxReceiver* receiver = nullptr;
KeyWatcher* keyWatcher = nullptr;
std::atomic<QThread*> uiThread{nullptr};

QtEventPlatform& Platform() {
  static auto* platform = new QtEventPlatform();  // workers may post during shutdown
  return *platform;
}

// Work for the UI thread is done at once on it, and anywhere while there is none.
bool RunsHere() {
  QThread* thread = uiThread.load();
  return !thread || QThread::currentThread() == thread;
}

}  // namespace

bool PlatformStart(int& argc, char** argv, PlatformKeyNote keyNote) {
  if (receiver) return true;
  if (!QApplication::instance()) ownApplication = new QApplication(argc, argv);
  auto* application = qobject_cast<QApplication*>(QApplication::instance());
  if (!application) return false;
  QApplication::setQuitOnLastWindowClosed(false);
  uiThread = QThread::currentThread();
  receiver = new InboxReceiver();
  keyWatcher = new KeyWatcher(keyNote);
  application->installEventFilter(keyWatcher);
  QtKeysStart(keyNote);
  QObject* target = receiver;
  Inbox().Open(
      [target] {
        QCoreApplication::postEvent(target, spareWake.release());
        return true;
      },
      [] {
        if (!spareWake) spareWake = std::make_unique<QEvent>(kWakeType);
      });
  EventSetPlatform(&Platform());
  return true;
}

void PlatformStop() {
  if (!receiver) return;
  EventSetPlatform(nullptr);
  Inbox().Close();
  spareWake.reset();
  QApplication::instance()->removeEventFilter(keyWatcher);
  QtKeysStop();
  delete keyWatcher;
  delete receiver;
  keyWatcher = nullptr;
  receiver = nullptr;
  uiThread = nullptr;
  delete ownApplication;
  ownApplication = nullptr;
}

void PlatformRefuseWorkerCalls() { Inbox().Close(); }

bool PlatformRunning() { return uiThread.load() != nullptr; }

bool PlatformIsUiThread() {
  QThread* thread = uiThread.load();
  return thread && QThread::currentThread() == thread;
}

void RunOnUiThread(const std::function<void()>& work) {
  if (RunsHere()) return work();
  Inbox().CallAndWait(work);
}

void PostToUiThread(std::function<void()> work) {
  if (RunsHere()) return work();
  Inbox().Send(std::move(work));
}
