// Toolkit windows: one window class per window, a window procedure that offers every
// message to the window filter and turns what happens to the window into its events.
#include <memory>
#include <string>
#include <vector>

#include "events.h"
#include "platform/platform.h"
#include "win32_common.h"
#include "win32_resources.h"

namespace {

struct ToolkitWindow {
  int64_t number = -1;
  PlatformWindowHooks hooks;
  std::wstring className;
  bool ready = false;
  bool marked = false;  // minimised or maximised, for the restore event
  int64_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;  // inner; 0: none
  HWND focusBeforeDeactivate = nullptr;
  AcceleratorTable accelerators{};  // made from the shortcuts after each change
  std::vector<std::pair<HWND, SizeFollower>> sizeFollowers{};
  int showState = SW_SHOWNORMAL;  // how the next showing shows it
  bool created = false;  // CreateWindowExW has returned: the toolkit handles its messages
};

// Classes of destroyed windows, unregistered once their windows are gone for good.
std::vector<std::wstring>& RetiredClasses() {
  static auto* classes = new std::vector<std::wstring>();
  return *classes;
}

void UnregisterRetiredClasses() {
  auto& classes = RetiredClasses();
  std::erase_if(classes, [](const std::wstring& name) {
    return UnregisterClassW(name.c_str(), ProgramInstance()) != 0;
  });
}

ToolkitWindow* RecordOf(HWND window) {
  return reinterpret_cast<ToolkitWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The record of a registered toolkit window, null for anything else.
ToolkitWindow* ToolkitRecordOf(HWND window) {
  const ControlTag* tag = window ? TagOf(window) : nullptr;
  return tag && tag->isWindow ? RecordOf(window) : nullptr;
}

ToolkitWindow* WindowOf(int64_t handle) { return ToolkitRecordOf(ControlOf(handle)); }

void Raise(const ToolkitWindow& record, int32_t event, int64_t object = 0) {
  EventRaise(event, record.number, object, 0, 0, false);
}

// The frame size of an inner size for the window's style.
SIZE FrameSize(HWND window, int64_t width, int64_t height) {
  RECT r{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  return {r.right - r.left, r.bottom - r.top};
}

void AnswerSizeQuery(HWND window, const ToolkitWindow& record, MINMAXINFO& info) {
  if (record.minWidth || record.minHeight) {
    SIZE frame = FrameSize(window, record.minWidth, record.minHeight);
    if (record.minWidth) info.ptMinTrackSize.x = frame.cx;
    if (record.minHeight) info.ptMinTrackSize.y = frame.cy;
  }
  if (record.maxWidth || record.maxHeight) {
    SIZE frame = FrameSize(window, record.maxWidth, record.maxHeight);
    if (record.maxWidth) info.ptMaxTrackSize.x = frame.cx;
    if (record.maxHeight) info.ptMaxTrackSize.y = frame.cy;
  }
}

void SizeChanged(ToolkitWindow& record, WPARAM kind) {
  if (!record.ready) return;
  if (kind == SIZE_MINIMIZED) {
    record.marked = true;
    Raise(record, kEventMinimise);
    return;
  }
  if (kind == SIZE_MAXIMIZED) {
    record.marked = true;
    Raise(record, kEventMaximise);
  } else if (kind == SIZE_RESTORED && record.marked) {
    record.marked = false;
    Raise(record, kEventRestore);
  } else if (kind != SIZE_RESTORED) {
    return;
  }
  // At most one size event of a window waits in the queue.
  EventDropQueued(kEventSizeWindow, record.number, 0, 0);
  Raise(record, kEventSizeWindow);
}

void ActivationChanged(HWND window, ToolkitWindow& record, bool active) {
  if (active) {
    HWND focus = record.focusBeforeDeactivate;
    // The first activation, or the saved control is gone: the first gadget Tab reaches.
    if (!focus || !IsWindow(focus) || !IsChild(window, focus))
      focus = GetNextDlgTabItem(window, nullptr, FALSE);
    if (focus) SetFocus(focus);
    Raise(record, kEventActivate);
  } else {
    record.focusBeforeDeactivate = GetFocus();
    Raise(record, kEventDeactivate);
  }
}

// A command with no control behind it: a menu item (code 0) or a shortcut (code 1).
void Command(HWND window, const ToolkitWindow& record, WPARAM wParam) {
  const int64_t item = LOWORD(wParam);
  if (HIWORD(wParam) == 1 && (item == kItemNextGadget || item == kItemPreviousGadget)) {
    HWND next = GetNextDlgTabItem(window, GetFocus(), item == kItemPreviousGadget);
    if (next) SetFocus(next);
    return;
  }
  RaiseMenuEvent(record.number, item);
}

// What the toolkit does with a message the filter left to it.
LRESULT Handle(HWND window, ToolkitWindow& record, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_CLOSE:  // the window stays open; the application decides what it means
      Raise(record, kEventCloseWindow, record.number);
      return 0;
    case WM_SIZE:
      SizeChanged(record, wParam);
      break;
    case WM_MOVE:
      if (record.ready) Raise(record, kEventMoveWindow, record.number);
      break;
    case WM_ACTIVATE:
      ActivationChanged(window, record, LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_ERASEBKGND:
      result = DefWindowProcW(window, message, wParam, lParam);
      Raise(record, kEventRepaint);
      return result;
    case WM_LBUTTONUP:
      Raise(record, kEventLeftClick);
      break;
    case WM_RBUTTONUP:
      Raise(record, kEventRightClick);
      break;
    case WM_LBUTTONDBLCLK:
      Raise(record, kEventLeftDoubleClick);
      break;
    case WM_TIMER:
      Raise(record, kEventTimer, static_cast<int64_t>(wParam));
      return 0;
    case WM_COMMAND:
      if (RouteControlMessage(message, wParam, lParam, result)) return result;
      if (lParam == 0) Command(window, record, wParam);
      return 0;
    case WM_GETMINMAXINFO:
      AnswerSizeQuery(window, record, *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    default:
      if (RouteControlMessage(message, wParam, lParam, result)) return result;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The window owns its record from its first message to its last, also when its creation
// fails half way.
void AdoptRecord(HWND window, LPARAM lParam) {
  auto& offered = *static_cast<std::unique_ptr<ToolkitWindow>*>(
      reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(offered.release()));
}

void DropRecord(HWND window, ToolkitWindow* record) {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  RetiredClasses().push_back(record->className);
  delete record;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) AdoptRecord(window, lParam);
  ToolkitWindow* record = RecordOf(window);
  if (record && message == WM_NCDESTROY) {
    DropRecord(window, record);
    record = nullptr;
  }
  if (!record || !record->created) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_SIZE) {
    auto followers = record->sizeFollowers;  // a follower may forget itself
    for (auto& [follower, follow] : followers)
      if (IsWindow(follower)) follow(wParam, lParam);
  }
  // Notices reach the filter as the toolkit's own records, from the list's code.
  if (message != WM_NOTIFY && record->hooks.filter) {
    const int64_t answer = record->hooks.filter(HandleOf(window), message, wParam, lParam);
    if (answer != kFilterDefault) return static_cast<LRESULT>(answer);
  }
  return Handle(window, *record, message, wParam, lParam);
}

// Flags made only of toolkit bits get a title bar.
int64_t WithDefaultTitleBar(int64_t flags) {
  const int64_t toolkitOnly =
      kWindowCentreScreen | kWindowCentreParent | kWindowNotContainer | kWindowInvisible;
  return (flags & ~toolkitOnly) == 0 ? flags | kWindowTitleBar : flags;
}

DWORD StyleOf(int64_t flags) {
  const int64_t toolkitBits = kWindowCentreScreen | kWindowCentreParent | kWindowNoActivate |
                              kWindowTool | kWindowNotContainer | kWindowInvisible |
                              kWindowMinimised | kWindowMaximised;
  return static_cast<DWORD>(flags & ~toolkitBits) | WS_CLIPCHILDREN;
}

bool RegisterWindowClass(const std::wstring& name) {
  UnregisterRetiredClasses();
  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.style = CS_DBLCLKS;
  type.lpfnWndProc = WindowProcedure;
  type.hInstance = ProgramInstance();
  type.hIcon = LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(1));
  if (!type.hIcon) type.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = name.c_str();
  return RegisterClassExW(&type) != 0;
}

// The invisible resize border of sizable windows under desktop composition.
bool CompositionOn() {
  using Query = HRESULT(WINAPI*)(BOOL*);
  static Query query = [] {
    HMODULE library = LoadLibraryW(L"dwmapi.dll");
    return library ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                         GetProcAddress(library, "DwmIsCompositionEnabled")))
                   : nullptr;
  }();
  BOOL on = FALSE;
  return query && SUCCEEDED(query(&on)) && on;
}

}  // namespace

void FollowWindowSize(HWND window, HWND follower, SizeFollower follow) {
  if (ToolkitWindow* record = ToolkitRecordOf(window))
    record->sizeFollowers.emplace_back(follower, std::move(follow));
}

void ForgetWindowSizeFollower(HWND window, HWND follower) {
  if (ToolkitWindow* record = ToolkitRecordOf(window))
    std::erase_if(record->sizeFollowers,
                  [follower](const auto& entry) { return entry.first == follower; });
}

HACCEL Win32WindowAccelerators(HWND window) {
  ToolkitWindow* record = ToolkitRecordOf(window);
  return record ? record->accelerators.Get() : nullptr;
}

void PlatformWindowSetShortcuts(int64_t handle, const std::vector<PlatformShortcut>& shortcuts) {
  ToolkitWindow* record = WindowOf(handle);
  if (!record) return;
  std::vector<ACCEL> entries;
  for (const PlatformShortcut& shortcut : shortcuts) {
    // A virtual key with no menu highlighting, and the modifiers.
    BYTE flags = FVIRTKEY | FNOINVERT;
    if (shortcut.key & kShortcutShift) flags |= FSHIFT;
    if (shortcut.key & kShortcutControl) flags |= FCONTROL;
    if (shortcut.key & kShortcutAlt) flags |= FALT;
    entries.push_back({flags, static_cast<WORD>(shortcut.key & 0xFFFF),
                       static_cast<WORD>(shortcut.item & 0xFFFF)});
  }
  record->accelerators.Reset(
      entries.empty() ? nullptr
                      : CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size())));
}

int64_t PlatformWindowCreate(int64_t number, const Text& title, int64_t flags,
                             const PlatformWindowHooks& hooks) {
  flags = WithDefaultTitleBar(flags);
  std::wstring name = L"WindowClass_" + std::to_wstring(number);
  if (!RegisterWindowClass(name)) return 0;
  const DWORD exStyle = (flags & kWindowTool) ? WS_EX_TOOLWINDOW : 0;
  // Taken by the window in WM_NCCREATE; freed here if the window never came to be.
  auto offered = std::make_unique<ToolkitWindow>(ToolkitWindow{number, hooks, name});
  HWND window =
      CreateWindowExW(exStyle, name.c_str(), WideOf(title), StyleOf(flags), CW_USEDEFAULT,
                      CW_USEDEFAULT, 100, 100, nullptr, nullptr, ProgramInstance(), &offered);
  ToolkitWindow* record = window ? RecordOf(window) : nullptr;
  if (!record) {
    if (window) DestroyWindow(window);
    UnregisterClassW(name.c_str(), ProgramInstance());
    return 0;
  }
  record->created = true;
  ControlTag tag;
  tag.window = number;
  tag.isWindow = true;
  RegisterControl(window, tag, hooks.gone);
  return HandleOf(window);
}

void PlatformWindowSetInnerSize(int64_t handle, int64_t width, int64_t height) {
  if (!WindowOf(handle)) return;
  HWND window = HwndOf(handle);
  SIZE frame = FrameSize(window, std::clamp<int64_t>(width, 0, 32000),
                         std::clamp<int64_t>(height, 0, 32000));
  SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlatformWindowSetPosition(int64_t handle, int64_t x, int64_t y) {
  if (!WindowOf(handle)) return;
  HWND window = HwndOf(handle);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  if ((style & WS_CAPTION) == WS_CAPTION && (style & WS_THICKFRAME) && CompositionOn()) x -= 5;
  SetWindowPos(window, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

PlatformRect PlatformWindowFrame(int64_t handle) {
  if (!WindowOf(handle)) return {};
  RECT r{};
  GetWindowRect(HwndOf(handle), &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void PlatformWindowCentre(int64_t handle, bool onParent) {
  if (!WindowOf(handle)) return;
  HWND window = HwndOf(handle);
  HWND owner = onParent ? GetWindow(window, GW_OWNER) : nullptr;
  RECT area{};
  if (owner) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    area = monitor.rcWork;
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  const LONG x = area.left + (area.right - area.left - (frame.right - frame.left)) / 2;
  const LONG y = area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlatformWindowSetReady(int64_t handle) {
  if (ToolkitWindow* record = WindowOf(handle)) record->ready = true;
}

void PlatformWindowSetLimits(int64_t handle, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                             int64_t maxHeight) {
  ToolkitWindow* record = WindowOf(handle);
  if (!record) return;
  record->minWidth = minWidth;
  record->minHeight = minHeight;
  record->maxWidth = maxWidth;
  record->maxHeight = maxHeight;
}

void PlatformWindowShow(int64_t handle, bool activate) {
  ToolkitWindow* record = WindowOf(handle);
  if (!record) return;
  HWND window = HwndOf(handle);
  int command = record->showState;
  if (command == SW_SHOWNORMAL) {
    if (IsZoomed(window)) command = SW_SHOWMAXIMIZED;
    if (IsIconic(window)) command = SW_SHOWMINIMIZED;
  }
  if (!activate) command = command == SW_SHOWMINIMIZED ? SW_SHOWMINNOACTIVE : SW_SHOWNA;
  record->showState = SW_SHOWNORMAL;
  ShowWindow(window, command);
  if (activate) SetForegroundWindow(window);
}

void PlatformWindowHide(int64_t handle) {
  if (WindowOf(handle)) ShowWindow(HwndOf(handle), SW_HIDE);
}

bool PlatformWindowIsHidden(int64_t handle) {
  return WindowOf(handle) && !IsWindowVisible(HwndOf(handle));
}

bool PlatformWindowIsMinimisedOrMaximised(int64_t handle) {
  if (!WindowOf(handle)) return false;
  HWND window = HwndOf(handle);
  return IsIconic(window) || IsZoomed(window);
}

void PlatformWindowSetState(int64_t handle, bool minimised, bool maximised) {
  ToolkitWindow* record = WindowOf(handle);
  if (!record) return;
  const int command = minimised ? SW_SHOWMINIMIZED : maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  HWND window = HwndOf(handle);
  if (IsWindowVisible(window))
    ShowWindow(window, command == SW_SHOWNORMAL ? SW_RESTORE : command);
  else
    record->showState = command;  // applied when it is shown
}
