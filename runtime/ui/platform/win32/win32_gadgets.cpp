// The simple gadgets: text fields (EDIT), push buttons, frames (group boxes and STATIC
// edges), panels (a container class of the toolkit's) and progress bars.
#include "platform/platform.h"
#include "win32_common.h"

namespace {

constexpr wchar_t kPanelClass[] = L"TrawlPanel";
constexpr UINT_PTR kMarqueeMs = 100;

// A text field tells its changes and focus through commands to its parent.
bool TextFieldNotify(HWND control, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
  if (message != WM_COMMAND) return false;
  switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
      RaiseGadgetEvent(control, kGadgetFocusIn);
      return true;
    case EN_KILLFOCUS:
      RaiseGadgetEvent(control, kGadgetFocusOut);
      return true;
    default:
      return false;  // EN_CHANGE (768) and the rest pass through as their own codes
  }
}

// Frames and progress bars raise nothing; a panel's children report through it.
bool Silent(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_COMMAND) return false;
  result = 0;
  return true;
}

HWND Make(const wchar_t* kind, int64_t parent, int64_t number, const Text& text, DWORD style,
          DWORD exStyle = 0) {
  HWND parentWindow = ControlOf(parent);
  if (!parentWindow) return nullptr;
  HWND control = CreateWindowExW(
      exStyle, kind, WideOf(text), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parentWindow,
      reinterpret_cast<HMENU>(static_cast<intptr_t>(number)), ProgramInstance(), nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  return control;
}

int64_t Register(HWND control, int64_t number, int64_t window, ControlNotify notify,
                 const PlatformGone& gone) {
  if (!control) return 0;
  ControlTag tag;
  tag.gadget = number;
  tag.window = window;
  tag.notify = std::move(notify);
  RegisterControl(control, std::move(tag), gone);
  return HandleOf(control);
}

LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RouteControlMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterPanelClass() {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = PanelProcedure;
    type.hInstance = ProgramInstance();
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kPanelClass;
    return RegisterClassExW(&type) != 0;
  }();
  return registered;
}

DWORD PanelBorder(int64_t flags, DWORD& exStyle) {
  exStyle = 0;
  if (flags & kPanelSunken) exStyle |= WS_EX_CLIENTEDGE;
  if (flags & kPanelFlat) exStyle |= WS_EX_STATICEDGE;
  if (flags & kPanelDoubleLine) exStyle |= WS_EX_DLGMODALFRAME;
  return (flags & kPanelSingleLine) ? WS_BORDER : 0;
}

bool IsClass(HWND control, const wchar_t* kind) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  return lstrcmpiW(name, kind) == 0;
}

}  // namespace

int64_t PlatformTextFieldCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                                bool readOnly, bool border, const PlatformGone& gone) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0);
  HWND field = Make(L"EDIT", parent, number, text, style, border ? WS_EX_CLIENTEDGE : 0);
  return Register(field, number, window, TextFieldNotify, gone);
}

int64_t PlatformButtonCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                             const PlatformGone& gone) {
  HWND button = Make(L"BUTTON", parent, number, text, WS_TABSTOP | BS_PUSHBUTTON);
  return Register(button, number, window, {}, gone);  // BN_CLICKED is type 0
}

int64_t PlatformFrameCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                            int64_t flags, const PlatformGone& gone) {
  HWND frame = nullptr;
  if (flags == kFrameGroup) {
    frame = Make(L"BUTTON", parent, number, text, BS_GROUPBOX);
  } else {
    // With a flag the text is not shown: a sunken box, a thin etched edge, or a border.
    DWORD style = flags == kFrameSunken ? SS_SUNKEN
                  : flags == kFrameFlat ? SS_ETCHEDFRAME
                                        : WS_BORDER;
    frame = Make(L"STATIC", parent, number, Text(), style);
  }
  return Register(frame, number, window, Silent, gone);
}

int64_t PlatformPanelCreate(int64_t parent, int64_t number, int64_t window, int64_t flags,
                            const PlatformGone& gone) {
  if (!RegisterPanelClass()) return 0;
  DWORD exStyle = 0;
  DWORD style = PanelBorder(flags, exStyle) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  HWND panel = Make(kPanelClass, parent, number, Text(), style, exStyle | WS_EX_CONTROLPARENT);
  return Register(panel, number, window, Silent, gone);
}

int64_t PlatformProgressCreate(int64_t parent, int64_t number, int64_t window,
                               const PlatformGone& gone) {
  HWND bar = Make(PROGRESS_CLASSW, parent, number, Text(), 0);
  return Register(bar, number, window, Silent, gone);
}

void PlatformSetText(int64_t handle, const Text& text) {
  HWND control = ControlOf(handle);
  if (!control) return;
  SetWindowTextW(control, WideOf(text));
  if (IsClass(control, L"EDIT")) SendMessageW(control, EM_SETSEL, 0, 0);
}

Text PlatformGetText(int64_t handle) {
  HWND control = ControlOf(handle);
  return control ? WindowTextOf(control) : Text();
}

void PlatformSelectText(int64_t handle, int64_t start, int64_t length) {
  HWND control = ControlOf(handle);
  if (!control || !IsClass(control, L"EDIT")) return;
  if (length <= 0)
    SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  else
    SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(start),
                 static_cast<LPARAM>(start + length));
}

void PlatformProgressShow(int64_t handle, int64_t minimum, int64_t maximum, int64_t value,
                          bool busy) {
  HWND bar = ControlOf(handle);
  if (!bar || !IsClass(bar, PROGRESS_CLASSW)) return;
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  if (busy) {
    if (!(style & PBS_MARQUEE)) SetWindowLongPtrW(bar, GWL_STYLE, style | PBS_MARQUEE);
    SendMessageW(bar, PBM_SETMARQUEE, TRUE, kMarqueeMs);
    return;
  }
  if (style & PBS_MARQUEE) {
    SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongPtrW(bar, GWL_STYLE, style & ~PBS_MARQUEE);
  }
  const int low = static_cast<int>(std::min(minimum, maximum));
  const int high = static_cast<int>(std::max(minimum, maximum));
  const int position = static_cast<int>(std::clamp<int64_t>(value, low, high));
  // Shown at once, without the gliding animation: a step back is never animated.
  SendMessageW(bar, PBM_SETRANGE32, low, high + 1);
  SendMessageW(bar, PBM_SETPOS, position + 1, 0);
  SendMessageW(bar, PBM_SETRANGE32, low, high);
  SendMessageW(bar, PBM_SETPOS, position, 0);
}
