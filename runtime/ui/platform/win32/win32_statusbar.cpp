// Status bars: the common status bar control docked at the bottom of its window, its
// fields laid out from the left edge; the room right of the last field belongs to none
// (the application puts a panel there).
#include <algorithm>
#include <climits>
#include <cwchar>
#include <map>
#include <memory>
#include <vector>

#include "platform/statusbar_layout.h"
#include "win32_common.h"

namespace {

constexpr int kStatusbarId = -10001;
constexpr int kMinimumInnerHeight = 18;

struct Statusbar {
  HWND control = nullptr;
  HWND window = nullptr;
  std::vector<int64_t> widths;
  std::vector<int> rightEdges;  // as the control has them
  std::vector<int> tabs;        // alignment tabs put before each field's text
  SIZE inner{-1, -1};           // the window's inner size at the last docking

  int LeftOf(size_t field) const { return field == 0 ? 0 : rightEdges[field - 1]; }
};

std::map<HWND, std::unique_ptr<Statusbar>>& Statusbars() {
  static std::map<HWND, std::unique_ptr<Statusbar>> statusbars;
  return statusbars;
}

Statusbar* StatusbarOf(int64_t handle) {
  auto it = Statusbars().find(ControlOf(handle));
  return it == Statusbars().end() ? nullptr : it->second.get();
}

bool HasField(const Statusbar* bar, int64_t field) {
  return bar && field >= 0 && field < static_cast<int64_t>(bar->rightEdges.size());
}

// Right edges of fields placed from x = 0 in `available` pixels.
std::vector<int> RightEdges(int64_t available, const std::vector<int64_t>& widths) {
  std::vector<int> edges;
  int64_t right = 0;
  for (int64_t width : StatusbarFieldWidths(available, widths)) {
    right += width;
    edges.push_back(static_cast<int>(std::min<int64_t>(right, INT_MAX)));
  }
  return edges;
}

// A sizable window that is not maximised has a size grip in the bar's right corner.
void Layout(Statusbar& bar) {
  RECT inner{};
  GetClientRect(bar.control, &inner);
  int64_t available = inner.right;
  const LONG style = GetWindowLongW(bar.window, GWL_STYLE);
  if ((style & WS_THICKFRAME) && !IsZoomed(bar.window)) available -= inner.bottom - 3;
  bar.rightEdges = RightEdges(available, bar.widths);
  if (bar.rightEdges.empty()) return;  // the control's one simple field stays
  SendMessageW(bar.control, SB_SETPARTS, bar.rightEdges.size(),
               reinterpret_cast<LPARAM>(bar.rightEdges.data()));
}

// The control's minimum height counts its borders differently on different systems: raise
// it until the inside of the borders is high enough.
void KeepMinimumHeight(HWND control) {
  for (int asked = kMinimumInnerHeight; asked < 4 * kMinimumInnerHeight;) {
    SendMessageW(control, SB_SETMINHEIGHT, asked, 0);
    SendMessageW(control, WM_SIZE, 0, 0);
    int borders[3] = {};
    SendMessageW(control, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    RECT inner{};
    GetClientRect(control, &inner);
    const int missing = kMinimumInnerHeight - (inner.bottom - 2 * borders[1]);
    if (missing <= 0) return;
    asked += missing;
  }
}

void Dock(Statusbar& bar) {
  SendMessageW(bar.control, WM_SIZE, 0, 0);  // the control docks itself at the bottom
  Layout(bar);
  InvalidateRect(bar.control, nullptr, TRUE);
}

// The window's side: re-dock and lay out when a normal or maximising resize changed the
// inner size.
void FollowWindow(Statusbar& bar, WPARAM kind, LPARAM size) {
  if (kind != SIZE_RESTORED && kind != SIZE_MAXIMIZED) return;
  const SIZE inner{LOWORD(size), HIWORD(size)};
  if (inner.cx == bar.inner.cx && inner.cy == bar.inner.cy) return;
  bar.inner = inner;
  Dock(bar);
}

void ForgetStatusbar(HWND control) {
  auto it = Statusbars().find(control);
  if (it == Statusbars().end()) return;
  ForgetWindowSizeFollower(it->second->window, control);
  Statusbars().erase(it);
}

}  // namespace

int64_t PlatformStatusbarCreate(int64_t window, const PlatformGone& gone) {
  HWND owner = ControlOf(window);
  int64_t number = PlatformWindowNumberOf(window);
  if (!owner || number < 0) return 0;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM;
  if (GetWindowLongW(owner, GWL_STYLE) & WS_THICKFRAME) style |= SBARS_SIZEGRIP;
  HWND control = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, style, 0, 0, 0, 0, owner,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(kStatusbarId)),
                                 ProgramInstance(), nullptr);
  if (!control) return 0;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  KeepMinimumHeight(control);
  auto record = std::make_unique<Statusbar>();
  Statusbar& bar = *record;
  bar.control = control;
  bar.window = owner;
  Statusbars()[control] = std::move(record);
  RECT inner{};
  GetClientRect(owner, &inner);
  bar.inner = {inner.right, inner.bottom};
  FollowWindowSize(owner, control,
                   [&bar](WPARAM kind, LPARAM size) { FollowWindow(bar, kind, size); });
  RegisterControl(control, {-1, number, false, {}, {}}, [gone](int64_t handle) {
    ForgetStatusbar(HwndOf(handle));
    if (gone) gone(handle);
  });
  ForwardChildMessages(control);
  Dock(bar);
  return HandleOf(control);
}

void PlatformStatusbarSetFields(int64_t statusbar, const std::vector<int64_t>& widths) {
  Statusbar* bar = StatusbarOf(statusbar);
  if (!bar) return;
  bar->widths = widths;
  bar->tabs.resize(widths.size(), 0);
  Layout(*bar);
}

// Tabs before the text centre it (one) or align it right (two).
void PlatformStatusbarSetText(int64_t statusbar, int64_t field, const Text& text, int64_t flags) {
  Statusbar* bar = StatusbarOf(statusbar);
  if (!HasField(bar, field)) return;
  const int tabs = (flags & kStatusCentred) ? 1 : (flags & kStatusRight) ? 2 : 0;
  WPARAM how = static_cast<WPARAM>(field);
  if (flags & kStatusRaised) how |= SBT_POPOUT;
  if (flags & kStatusNoBorder) how |= SBT_NOBORDERS;
  const Text shown = Text(static_cast<size_t>(tabs), u'\t') + text;
  bar->tabs[static_cast<size_t>(field)] = tabs;
  SendMessageW(bar->control, SB_SETTEXTW, how, reinterpret_cast<LPARAM>(WideOf(shown)));
}

Text PlatformStatusbarGetText(int64_t statusbar, int64_t field) {
  Statusbar* bar = StatusbarOf(statusbar);
  if (!HasField(bar, field)) return Text();
  const WPARAM index = static_cast<WPARAM>(field);
  const size_t length = LOWORD(SendMessageW(bar->control, SB_GETTEXTLENGTHW, index, 0));
  std::vector<wchar_t> buffer(length + 1, L'\0');
  SendMessageW(bar->control, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(buffer.data()));
  Text shown = TextOf(buffer.data(), wcsnlen(buffer.data(), length));
  const size_t tabs = static_cast<size_t>(bar->tabs[index]);
  return shown.substr(std::min(tabs, shown.size()));
}

// Left edge and width from the layout, top and height from the control.
PlatformRect PlatformStatusbarFieldRect(int64_t statusbar, int64_t field) {
  Statusbar* bar = StatusbarOf(statusbar);
  if (!HasField(bar, field)) return {};
  RECT r{};
  SendMessageW(bar->control, SB_GETRECT, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(&r));
  const size_t index = static_cast<size_t>(field);
  const int left = bar->LeftOf(index);
  return {left, r.top, bar->rightEdges[index] - left, r.bottom - r.top};
}
