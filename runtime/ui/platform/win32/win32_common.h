#pragma once
// Shared by the Win32 side: text and handle conversion, the registry of the toolkit's
// live windows and controls with the numbers their events carry, and the routing of the
// messages a control sends to its parent (commands, notices, colour requests) to the
// code of the control's kind, wherever the control has been moved.
#include <windows.h>
// windows.h first
#include <commctrl.h>

#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide texts are UTF-16");

inline const wchar_t* WideOf(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline Text TextOf(const wchar_t* text, size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}
// A window's own text (a control's caption or contents).
Text WindowTextOf(HWND window);

inline HWND HwndOf(int64_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }
inline int64_t HandleOf(HWND window) { return reinterpret_cast<intptr_t>(window); }

// The module that holds the program's window classes.
HINSTANCE ProgramInstance();
// The font every control gets (the desktop's message font).
HFONT ControlFont();

// A kind's handling of a message its control sent to the parent: WM_COMMAND (lParam the
// control), WM_NOTIFY (lParam an NMHDR), WM_CTLCOLOR* (lParam the control). Returns true
// with `result` set when it handled the message; false lets the toolkit go on as usual.
using ControlNotify =
    std::function<bool(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

// What the toolkit knows about one of its windows or controls.
struct ControlTag {
  int64_t gadget = -1;  // gadget number, -1 for windows, toolbars and status bars
  int64_t window = -1;  // number of the owning toolkit window
  bool isWindow = false;
  ControlNotify notify;  // the kind's handling of the control's messages, or empty
  // The kind's handling of messages to the control itself, before the control sees them;
  // true keeps a message from the control.
  ControlNotify own;
};

// Registers a window or control; `gone` hears its handle once, when it is destroyed
// (WM_NCDESTROY). Registering subclasses the window to see its destruction.
void RegisterControl(HWND control, ControlTag tag, PlatformGone gone = {});
// The tag of a registered window or control, null for others. UI thread only.
ControlTag* TagOf(HWND control);
// The registered window or control of a handle, or null.
HWND ControlOf(int64_t handle);

// Routes a message that a child control sent to `receiver` (WM_COMMAND, WM_NOTIFY,
// WM_CTLCOLOR*) to the kind of the sending control. For a command it did not handle from
// a gadget, raises the gadget event with the notification code as type. Returns true with
// `result` set when the message was a child's and is done with.
bool RouteControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// Makes a container that is not a toolkit window (a panel, the toolbar, the status bar)
// pass its children's messages on through RouteControlMessage, and paint around them.
void ForwardChildMessages(HWND container);

// Raises a gadget event (13100) for a registered gadget on the UI thread.
void RaiseGadgetEvent(HWND gadget, int64_t type);
// Raises a menu event (13101) for a window.
void RaiseMenuEvent(int64_t window, int64_t item);

// The toolkit window a window or control belongs to (itself for a toolkit window), or null.
HWND ToolkitWindowOf(HWND window);
// Runs `follow(kind, size)` with the parameters of every WM_SIZE of a toolkit window,
// before the window's filter and events, until `follower` is destroyed or forgotten: the
// docked bars follow their window this way (a subclass of the window per bar would cost
// much on every message under Wine).
using SizeFollower = std::function<void(WPARAM kind, LPARAM size)>;
void FollowWindowSize(HWND window, HWND follower, SizeFollower follow);
void ForgetWindowSizeFollower(HWND window, HWND follower);
// The accelerator table made from a toolkit window's shortcuts, or null.
HACCEL Win32WindowAccelerators(HWND window);

// Objects with a handle that are no windows (the toolbar's buttons) answer the calls on
// any widget through this; their owner registers them while they live.
class VirtualControl {
 public:
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetToolTip(const Text& text) = 0;
  virtual Text ToolTip() const = 0;
  // In the coordinates of the owning control's client area.
  virtual PlatformRect Geometry() const = 0;

 protected:
  ~VirtualControl() = default;
};
void RegisterVirtualControl(int64_t handle, VirtualControl* control);
void ForgetVirtualControl(int64_t handle);
VirtualControl* VirtualControlOf(int64_t handle);
