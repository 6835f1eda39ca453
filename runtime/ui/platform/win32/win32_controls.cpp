// The registry of the toolkit's live windows and controls, the routing of what controls
// tell their parents, and the calls that work on any of them.
#include <unordered_map>
#include <vector>

#include "events.h"
#include "platform/platform.h"
#include "win32_common.h"

namespace {

constexpr UINT_PTR kForwardSubclass = 0x54524C32;  // 'TRL2'

struct Registered {
  ControlTag tag;
  PlatformGone gone;
  WNDPROC previous = nullptr;  // the window procedure from before the toolkit's
};

// Only the UI thread touches windows, so the registries need no lock.
std::unordered_map<HWND, Registered>& Registry() {
  static auto* registry = new std::unordered_map<HWND, Registered>();
  return *registry;
}

std::unordered_map<int64_t, VirtualControl*>& VirtualControls() {
  static auto* controls = new std::unordered_map<int64_t, VirtualControl*>();
  return *controls;
}

void ForgetToolTip(HWND control);

// The registry's own subclass, set with the window procedure itself rather than the
// common controls' subclass chain, whose per-message cost is large under Wine.
LRESULT CALLBACK WatchDestruction(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = Registry().find(window);
  if (found == Registry().end()) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = found->second.previous;
  if (found->second.tag.own && message != WM_NCDESTROY) {
    // A copy: the handling may destroy the control, and its entry with it.
    const ControlNotify own = found->second.tag.own;
    LRESULT result = 0;
    if (own(window, message, wParam, lParam, result)) return result;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ForgetToolTip(window);
    PlatformGone gone = std::move(found->second.gone);
    Registry().erase(found);
    if (gone) gone(HandleOf(window));
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK ForwardMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ForwardMessages, id);
  LRESULT result = 0;
  if (RouteControlMessage(message, wParam, lParam, result)) return result;
  return DefSubclassProc(window, message, wParam, lParam);
}

// The control that sent a message to its parent, or null.
HWND SenderOf(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

Text WindowTextOf(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return TextOf(buffer.data(), static_cast<size_t>(std::max(copied, 0)));
}

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

HFONT ControlFont() {
  // Made once and never deleted: a control may use it until the process ends.
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      if (HFONT made = CreateFontIndirectW(&metrics.lfMessageFont)) return made;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

void RegisterControl(HWND control, ControlTag tag, PlatformGone gone) {
  if (!control) return;
  Registered& entry = Registry()[control];
  const bool known = entry.previous != nullptr;
  entry.tag = std::move(tag);
  entry.gone = std::move(gone);
  if (!known)
    entry.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestruction)));
}

ControlTag* TagOf(HWND control) {
  auto found = Registry().find(control);
  return found == Registry().end() ? nullptr : &found->second.tag;
}

HWND ControlOf(int64_t handle) {
  HWND window = HwndOf(handle);
  return handle && TagOf(window) && IsWindow(window) ? window : nullptr;
}

bool RouteControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND sender = SenderOf(message, wParam, lParam);
  ControlTag* tag = sender ? TagOf(sender) : nullptr;
  if (!tag) return false;
  // The kind's code may destroy the control; keep what the event needs.
  const int64_t gadget = tag->gadget, window = tag->window;
  if (tag->notify && tag->notify(sender, message, wParam, lParam, result)) return true;
  if (message != WM_COMMAND) return false;
  if (gadget >= 0) EventRaise(kEventGadget, window, gadget, HIWORD(wParam), 0, false);
  result = 0;
  return true;
}

void ForwardChildMessages(HWND container) {
  SetWindowSubclass(container, ForwardMessages, kForwardSubclass, 0);
  // Tab and the first focus reach the gadgets moved into it.
  SetWindowLongPtrW(container, GWL_EXSTYLE,
                    GetWindowLongPtrW(container, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  // Its own repaints leave them alone: erased over, a gadget would stay blank until its
  // own repaint, which waits behind every other message (a run's worker calls).
  SetWindowLongPtrW(container, GWL_STYLE,
                    GetWindowLongPtrW(container, GWL_STYLE) | WS_CLIPCHILDREN);
}

void RaiseGadgetEvent(HWND gadget, int64_t type) {
  if (const ControlTag* tag = TagOf(gadget))
    EventRaise(kEventGadget, tag->window, tag->gadget, type, 0, false);
}

void RaiseMenuEvent(int64_t window, int64_t item) {
  EventRaise(kEventMenu, window, item, 0, 0, false);
}

HWND ToolkitWindowOf(HWND window) {
  for (HWND up = window; up; up = GetParent(up)) {
    const ControlTag* tag = TagOf(up);
    if (tag && tag->isWindow) return up;
    if (!(GetWindowLongPtrW(up, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

void RegisterVirtualControl(int64_t handle, VirtualControl* control) {
  VirtualControls()[handle] = control;
}

void ForgetVirtualControl(int64_t handle) { VirtualControls().erase(handle); }

VirtualControl* VirtualControlOf(int64_t handle) {
  auto found = VirtualControls().find(handle);
  return found == VirtualControls().end() ? nullptr : found->second;
}

// ---- Any widget

bool PlatformIsWidget(int64_t handle) {
  return ControlOf(handle) != nullptr || VirtualControlOf(handle) != nullptr;
}

void PlatformDestroy(int64_t handle) {
  if (HWND window = ControlOf(handle)) {
    DestroyWindow(window);
    return;
  }
  // Popup menus are the other platform objects the services release.
  auto* menu = reinterpret_cast<HMENU>(static_cast<intptr_t>(handle));
  if (handle && IsMenu(menu)) DestroyMenu(menu);
}

PlatformRect PlatformGetGeometry(int64_t handle) {
  if (VirtualControl* control = VirtualControlOf(handle)) return control->Geometry();
  HWND window = ControlOf(handle);
  if (!window) return {};
  RECT r{};
  if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) {
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  // A top-level window: its inner area, placed on the screen.
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return {origin.x, origin.y, r.right, r.bottom};
}

void PlatformSetGeometry(int64_t handle, const PlatformRect& rect) {
  HWND window = ControlOf(handle);
  if (!window) return;
  MoveWindow(window, static_cast<int>(rect.x), static_cast<int>(rect.y),
             static_cast<int>(std::max<int64_t>(rect.width, 0)),
             static_cast<int>(std::max<int64_t>(rect.height, 0)), FALSE);
  // Moved without drawing, so drawn whole now: its frame and its children too (a list's
  // header), which an invalidated inside alone would leave at the old size.
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void PlatformSetEnabled(int64_t handle, bool enabled) {
  if (VirtualControl* control = VirtualControlOf(handle)) return control->SetEnabled(enabled);
  if (HWND window = ControlOf(handle)) EnableWindow(window, enabled ? TRUE : FALSE);
}

bool PlatformIsEnabled(int64_t handle) {
  if (VirtualControl* control = VirtualControlOf(handle)) return control->IsEnabled();
  HWND window = ControlOf(handle);
  return window && IsWindowEnabled(window);
}

void PlatformSetFocus(int64_t handle) {
  if (HWND window = ControlOf(handle)) SetFocus(window);
}

void PlatformRepaint(int64_t handle) {
  if (HWND window = ControlOf(handle)) InvalidateRect(window, nullptr, TRUE);
}

int64_t PlatformFocusedGadget() {
  for (HWND window = GetFocus(); window; window = GetParent(window)) {
    const ControlTag* tag = TagOf(window);
    if (tag && tag->gadget >= 0) return tag->gadget;
    if ((tag && tag->isWindow) || !(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return -1;
}

int64_t PlatformWindowNumberOf(int64_t handle) {
  const ControlTag* tag = TagOf(ControlOf(handle));
  return tag && tag->isWindow ? tag->window : -1;
}

void PlatformSetParent(int64_t handle, int64_t parent) {
  HWND window = ControlOf(handle);
  HWND newParent = ControlOf(parent);
  if (!window || !newParent || window == newParent) return;
  if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return;
  for (HWND up = newParent; up; up = GetParent(up))
    if (up == window) return;  // no cycles
  RECT place{};
  GetWindowRect(window, &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  SetParent(window, newParent);
  // Last among its new siblings, so that Tab visits moved gadgets in the order moved.
  SetWindowPos(window, HWND_BOTTOM, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Tooltips: one tooltip window serves every control.

namespace {

struct ToolTips {
  HWND window = nullptr;
  std::unordered_map<HWND, Text> texts;
};

ToolTips& Tips() {
  static auto* tips = new ToolTips();
  return *tips;
}

HWND TipWindow() {
  ToolTips& tips = Tips();
  if (!tips.window || !IsWindow(tips.window))
    tips.window =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), nullptr);
  return tips.window;
}

void ForgetToolTip(HWND control) { Tips().texts.erase(control); }

}  // namespace

void PlatformSetToolTip(int64_t handle, const Text& text) {
  if (VirtualControl* control = VirtualControlOf(handle)) return control->SetToolTip(text);
  HWND window = ControlOf(handle);
  HWND tip = window ? TipWindow() : nullptr;
  if (!tip) return;
  Text& kept = Tips().texts[window];
  kept = text;  // the tooltip reads it while shown
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(window);
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = const_cast<wchar_t*>(WideOf(kept));
  SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!text.empty()) SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

Text PlatformGetToolTip(int64_t handle) {
  if (VirtualControl* control = VirtualControlOf(handle)) return control->ToolTip();
  auto found = Tips().texts.find(ControlOf(handle));
  return found == Tips().texts.end() ? Text() : found->second;
}
