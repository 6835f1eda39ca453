// The application object, the UI thread, the event platform over Qt's dispatcher, and
// the application-wide key watcher (key states and window shortcuts).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "event_platform.h"
#include "events.h"
#include "platform.h"
#include "qt_common.h"
#include "windows.h"

namespace {

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kCallsWaitingType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Work that other threads hand to the UI thread and wait for. The hand-over and the
// answer go through this lock, so that they are visible to race checkers too.
class UiCalls {
 public:
  struct Call {
    const std::function<void()>* work;
    bool done = false;
  };

  // False when the UI thread no longer takes calls.
  bool Add(Call* call) {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    pending_.push_back(call);
    return true;
  }

  void WaitFor(Call* call) {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [call] { return call->done; });
  }

  // On the UI thread: runs every waiting call, also those that arrive meanwhile.
  void RunWaiting() {
    while (Call* call = Next()) {
      (*call->work)();
      Finish(call);
    }
  }

  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
  }

  // Releases every waiting caller without running its work.
  void Close() {
    std::deque<Call*> dropped;
    {
      std::lock_guard lock(mutex_);
      open_ = false;
      dropped.swap(pending_);
    }
    for (Call* call : dropped) Finish(call);
  }

 private:
  Call* Next() {
    std::lock_guard lock(mutex_);
    if (pending_.empty()) return nullptr;
    Call* call = pending_.front();
    pending_.pop_front();
    return call;
  }

  void Finish(Call* call) {
    {
      std::lock_guard lock(mutex_);
      call->done = true;
    }
    finished_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable finished_;
  std::deque<Call*> pending_;
  bool open_ = false;
};

UiCalls& Calls() {
  static auto* calls = new UiCalls();  // workers may still call during shutdown
  return *calls;
}

class PostedQEvent final : public QEvent {
 public:
  explicit PostedQEvent(const PostedEvent& record) : QEvent(kPostedType), record(record) {}
  PostedEvent record;
};

// Lives on the UI thread and raises the posted events there, in posting order.
class PostReceiver final : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == kCallsWaitingType) {
      Calls().RunWaiting();
      return true;
    }
    if (event->type() != kPostedType) return QObject::event(event);
    ++delivered;
    EventDeliverPosted(static_cast<PostedQEvent*>(event)->record);
    return true;
  }
  int64_t delivered = 0;
};

class QtEventPlatform final : public EventPlatform {
 public:
  void Attach(PostReceiver* receiver) {
    std::lock_guard lock(mutex_);
    receiver_ = receiver;
  }

  bool Post(const PostedEvent& event) override { return PostToUi(new PostedQEvent(event)); }

  // Takes the event; false when there is no UI thread to take it.
  bool PostToUi(QEvent* event) {
    std::lock_guard lock(mutex_);  // the receiver is not deleted under a post
    if (!receiver_) {
      delete event;
      return false;
    }
    QCoreApplication::postEvent(receiver_, event);
    return true;
  }

  int32_t PumpMessages(uint32_t timeoutMs) override {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !receiver_) return 0;
    int64_t before = receiver_->delivered;
    auto handledSince = [&](bool dispatched) {
      return dispatched || receiver_->delivered != before ? kPlatformMessage : 0;
    };
    if (timeoutMs == kWaitForever) {
      dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      return kPlatformMessage;
    }
    if (int32_t result = handledSince(dispatcher->processEvents(QEventLoop::AllEvents)))
      return result;
    if (timeoutMs == 0) return 0;
    // Wait for anything, with a timer that ends the wait when nothing comes.
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
    timer.start(static_cast<int>(std::min<uint32_t>(timeoutMs, INT32_MAX)));
    bool dispatched = false;
    while (!timedOut && !dispatched && receiver_->delivered == before)
      dispatched = dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return timedOut && receiver_->delivered == before ? 0 : kPlatformMessage;
  }

 private:
  std::mutex mutex_;
  PostReceiver* receiver_ = nullptr;
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
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int64_t virtualKey = VirtualKey(key->key());
    if (virtualKey < 0) return false;
    bool down = event->type() == QEvent::KeyPress;
    if (down || !key->isAutoRepeat()) KeyboardNote(virtualKey, down);
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
    int64_t item = WindowFindShortcut(tag->window, ShortcutValue(key, virtualKey));
    if (item < 0 || item == kItemNextGadget || item == kItemPreviousGadget) return false;
    RaiseMenuEvent(tag->window, item);
    return true;
  }
};

QApplication* ownApplication = nullptr;
PostReceiver* receiver = nullptr;
KeyWatcher* keyWatcher = nullptr;
std::atomic<QThread*> uiThread{nullptr};

QtEventPlatform& Platform() {
  static auto* platform = new QtEventPlatform();  // workers may post during shutdown
  return *platform;
}

}  // namespace

bool PlatformStart(int& argc, char** argv) {
  if (receiver) return true;
  if (!QApplication::instance()) ownApplication = new QApplication(argc, argv);
  auto* application = qobject_cast<QApplication*>(QApplication::instance());
  if (!application) return false;
  QApplication::setQuitOnLastWindowClosed(false);
  uiThread = QThread::currentThread();
  receiver = new PostReceiver();
  keyWatcher = new KeyWatcher();
  application->installEventFilter(keyWatcher);
  Platform().Attach(receiver);
  Calls().Open();
  EventSetPlatform(&Platform());
  return true;
}

void PlatformStop() {
  if (!receiver) return;
  EventSetPlatform(nullptr);
  Calls().Close();
  Platform().Attach(nullptr);
  QApplication::instance()->removeEventFilter(keyWatcher);
  delete keyWatcher;
  delete receiver;
  keyWatcher = nullptr;
  receiver = nullptr;
  uiThread = nullptr;
  delete ownApplication;
  ownApplication = nullptr;
}

bool PlatformRunning() { return uiThread.load() != nullptr; }

bool PlatformIsUiThread() {
  QThread* thread = uiThread.load();
  return thread && QThread::currentThread() == thread;
}

void RunOnUiThread(const std::function<void()>& work) {
  QThread* thread = uiThread.load();
  if (!thread || QThread::currentThread() == thread) {
    work();
    return;
  }
  UiCalls::Call call{&work};
  if (!Calls().Add(&call)) return;
  Platform().PostToUi(new QEvent(kCallsWaitingType));
  Calls().WaitFor(&call);
}
