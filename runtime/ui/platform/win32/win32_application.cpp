// The UI thread, the event platform over the Win32 message loop, and the keyboard: key
// notes, the key state and the windows' shortcuts.
#include <atomic>

#include "event_platform.h"
#include "events.h"
#include "platform/platform.h"
#include "platform/ui_inbox.h"
#include "win32_common.h"

namespace {

constexpr UINT kWakeMessage = WM_APP + 1;
constexpr wchar_t kInboxClass[] = L"TrawlInbox";

UiInbox& Inbox() {
  static auto* inbox = new UiInbox();  // workers may still post during shutdown
  return *inbox;
}

LRESULT CALLBACK InboxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWakeMessage) return DefWindowProcW(window, message, wParam, lParam);
  Inbox().Deliver();
  return 0;
}

PlatformKeyNote keyNote = nullptr;  // UI thread only
HWND inboxWindow = nullptr;
std::atomic<DWORD> uiThread{0};

// A key press offered to the accelerator table of the active toolkit window: true when it
// was one of its shortcuts (the window then has the command).
bool RunShortcut(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  HWND window = ToolkitWindowOf(GetActiveWindow());
  HACCEL table = window && IsWindowEnabled(window) ? Win32WindowAccelerators(window) : nullptr;
  return table && TranslateAcceleratorW(window, table, &message) != 0;
}

void NoteKey(const MSG& message) {
  const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if (!down && !up) return;
  const bool repeat = down && (message.lParam & (1 << 30));
  if (keyNote && !repeat) keyNote(static_cast<int64_t>(message.wParam), down);
  // While a modifier is held the window shows its keyboard cues.
  const WPARAM key = message.wParam;
  if (down && (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU))
    if (HWND window = ToolkitWindowOf(GetActiveWindow()))
      SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                   0);
}

// Handles the messages waiting now; true when there was any.
bool DispatchWaiting() {
  bool any = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    // The program ends by its own close, never by WM_QUIT: should one come, it ends this
    // wait and is gone (posted again, every later wait would find it at once and spin).
    if (message.message == WM_QUIT) break;
    NoteKey(message);
    if (RunShortcut(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return any;
}

class Win32EventPlatform final : public EventPlatform {
 public:
  bool Post(const PostedEvent& event) override { return Inbox().Post(event); }

  int32_t PumpMessages(uint32_t timeoutMs) override {
    if (!Inbox().Running()) return 0;
    const int64_t before = Inbox().Delivered();
    if (DispatchWaiting() || Inbox().Delivered() != before) return kPlatformMessage;
    if (timeoutMs == 0) return 0;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      DWORD wait = INFINITE;
      if (timeoutMs != kWaitForever) {
        const ULONGLONG spent = GetTickCount64() - start;
        if (spent >= timeoutMs) return 0;
        wait = static_cast<DWORD>(timeoutMs - spent);
      }
      MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (DispatchWaiting() || Inbox().Delivered() != before) return kPlatformMessage;
    }
  }
};

Win32EventPlatform& Platform() {
  static auto* platform = new Win32EventPlatform();  // workers may post during shutdown
  return *platform;
}

HWND MakeInboxWindow() {
  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.lpfnWndProc = InboxProcedure;
  type.hInstance = ProgramInstance();
  type.lpszClassName = kInboxClass;
  RegisterClassExW(&type);  // fails harmlessly when registered by an earlier start
  return CreateWindowExW(0, kInboxClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         ProgramInstance(), nullptr);
}

}  // namespace

bool PlatformStart(int&, char**, PlatformKeyNote note) {
  if (inboxWindow) return true;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  inboxWindow = MakeInboxWindow();
  if (!inboxWindow) return false;
  keyNote = note;
  uiThread = GetCurrentThreadId();
  HWND receiver = inboxWindow;
  // A posted message only wakes the UI thread; the inbox carries the items.
  Inbox().Open([receiver] { return PostMessageW(receiver, kWakeMessage, 0, 0) != 0; });
  EventSetPlatform(&Platform());
  return true;
}

void PlatformStop() {
  if (!inboxWindow) return;
  EventSetPlatform(nullptr);
  Inbox().Close();
  DestroyWindow(inboxWindow);
  inboxWindow = nullptr;
  keyNote = nullptr;
  uiThread = 0;
}

void PlatformRefuseWorkerCalls() { Inbox().Close(); }

bool PlatformRunning() { return uiThread.load() != 0; }

bool PlatformIsUiThread() {
  const DWORD thread = uiThread.load();
  return thread != 0 && GetCurrentThreadId() == thread;
}

namespace {

// Work for the UI thread is done at once on it, and anywhere while there is none.
bool RunsHere() {
  const DWORD thread = uiThread.load();
  return thread == 0 || GetCurrentThreadId() == thread;
}

}  // namespace

void RunOnUiThread(const std::function<void()>& work) {
  if (RunsHere()) return work();
  Inbox().CallAndWait(work);
}

void PostToUiThread(std::function<void()> work) {
  if (RunsHere()) return work();
  Inbox().Send(std::move(work));
}

// Any thread: the asynchronous key state knows a key's release even when its message
// went to a window that is gone.
bool PlatformKeyIsUp(int64_t virtualKey) {
  if (!PlatformKeyStateIsPhysical(virtualKey)) return false;
  return (GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) == 0;
}

bool PlatformKeyStateIsPhysical(int64_t virtualKey) { return virtualKey > 0 && virtualKey <= 0xFE; }
