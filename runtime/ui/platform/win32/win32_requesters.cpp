// The message box and the folder chooser, both modal for the calling thread: meanwhile its
// other top-level windows are disabled and none of them stays always on top.
#include "win32_requesters.h"

#include <shlobj.h>

#include <set>
#include <utility>
#include <vector>

#include "win32_common.h"
#include "win32_resources.h"

namespace {

constexpr size_t kMaxStartFolder = MAX_PATH - 1;
constexpr UINT kReselectDelayMs = 200;

// The foreground window when it is one of this process's, else none.
HWND ProcessForeground() {
  HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground) GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

// While it lives, the calling thread's visible, enabled top-level windows other than the
// foreground one are disabled, and its always-on-top windows are not on top.
class ThreadWindowsHeld {
 public:
  ThreadWindowsHeld() : foreground_(GetForegroundWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), Hold, reinterpret_cast<LPARAM>(this));
  }
  ~ThreadWindowsHeld() {
    for (HWND window : disabled_)
      if (IsWindow(window)) EnableWindow(window, TRUE);
    for (HWND window : topmost_)
      if (IsWindow(window)) SetOnTop(window, HWND_TOPMOST);
  }
  ThreadWindowsHeld(const ThreadWindowsHeld&) = delete;
  ThreadWindowsHeld& operator=(const ThreadWindowsHeld&) = delete;

 private:
  static void SetOnTop(HWND window, HWND where) {
    SetWindowPos(window, where, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  static BOOL CALLBACK Hold(HWND window, LPARAM data) {
    auto& self = *reinterpret_cast<ThreadWindowsHeld*>(data);
    if (window != self.foreground_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      self.disabled_.push_back(window);
    }
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
      SetOnTop(window, HWND_NOTOPMOST);
      self.topmost_.push_back(window);
    }
    return TRUE;
  }

  const HWND foreground_;
  std::vector<HWND> disabled_;
  std::vector<HWND> topmost_;
};

void InitialiseCom() {
  static const HRESULT once = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)once;
}

// Selects the start folder once more when the new-style tree has settled, so that it
// scrolls there; the timer's identifier is the folder.
void CALLBACK Reselect(HWND dialog, UINT, UINT_PTR timer, DWORD) {
  KillTimer(dialog, timer);
  SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
               reinterpret_cast<LPARAM>(WideOf(*reinterpret_cast<const Text*>(timer))));
}

int CALLBACK ChooserEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
  const Text& start = *reinterpret_cast<const Text*>(data);
  if (message == BFFM_INITIALIZED && !start.empty()) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(WideOf(start)));
    SetTimer(dialog, reinterpret_cast<UINT_PTR>(&start), kReselectDelayMs, Reselect);
  }
  return 0;
}

}  // namespace

Text ChooserStartFolder(TextView folder) {
  Text start(folder.substr(0, kMaxStartFolder));
  if (start.size() > 3 && start.back() == u'\\') start.pop_back();
  return start;
}

Text AsFolder(TextView path) {
  Text folder(path);
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  return folder;
}

namespace {

// While a box is open on this thread: the auto-repeated presses of a key that was already
// down when it opened are not the user's answer (a key held to cancel a job would
// otherwise close the box that reports the cancel before it can be read). A key first
// pressed in the box repeats as usual. The dialog's loop offers each message here first.
thread_local std::set<WPARAM>* keysPressedInBox = nullptr;

LRESULT CALLBACK IgnoreHeldKeys(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && keysPressedInBox && message &&
      (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN)) {
    const bool repeated = (message->lParam & (LPARAM{1} << 30)) != 0;
    if (!repeated) {
      keysPressedInBox->insert(message->wParam);
    } else if (keysPressedInBox->count(message->wParam) == 0) {
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int64_t PlatformMessageBox(const Text& title, const Text& text, int64_t flags) {
  HWND owner = ProcessForeground();
  ThreadWindowsHeld held;
  std::set<WPARAM> pressed;
  std::set<WPARAM>* outer = std::exchange(keysPressedInBox, &pressed);
  MessageHook hook(SetWindowsHookExW(WH_MSGFILTER, IgnoreHeldKeys, nullptr, GetCurrentThreadId()));
  const int answer = MessageBoxW(owner, WideOf(text), WideOf(title), static_cast<UINT>(flags));
  hook.Reset();
  keysPressedInBox = outer;
  // A box with OK alone answers OK however it was closed (Escape gives IDCANCEL in Wine).
  return (flags & MB_TYPEMASK) == MB_OK && answer == IDCANCEL ? IDOK : answer;
}

Text PlatformChooseFolder(const Text& title, const Text& initialFolder) {
  InitialiseCom();
  const Text start = ChooserStartFolder(initialFolder);
  BROWSEINFOW browse{};
  browse.hwndOwner = ProcessForeground();
  browse.lpszTitle = WideOf(title);
  browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_RETURNONLYFSDIRS;
  browse.lpfn = ChooserEvent;
  browse.lParam = reinterpret_cast<LPARAM>(&start);
  TaskMemory<PIDLIST_ABSOLUTE> chosen;
  {
    ThreadWindowsHeld held;
    chosen.Reset(SHBrowseForFolderW(&browse));
  }
  wchar_t path[MAX_PATH] = {};
  if (!chosen || !SHGetPathFromIDListW(chosen.Get(), path)) return Text();
  return AsFolder(TextOf(path, wcsnlen(path, MAX_PATH)));
}
