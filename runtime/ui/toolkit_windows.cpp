#include "toolkit_windows.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "events.h"
#include "platform/platform.h"
#include "toolkit_internal.h"

namespace {

struct WindowRecord {
  int64_t handle = 0;
  std::vector<PlatformShortcut> shortcuts;
  WindowFilter filter = nullptr;
  int64_t clipErase = 0;
  // Inner size limits; 0 = none.
  int64_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

constexpr int64_t kLargestLimit = 32000;

void ReleaseWindow(int64_t number);

std::unique_ptr<ObjectTable<WindowRecord>> table;
// The filter of windows that have none of their own (windows live on the UI thread).
std::atomic<WindowFilter> defaultFilter{nullptr};

WindowRecord* Find(int64_t number) { return table ? table->Get(number) : nullptr; }

void ReleaseWindow(int64_t number) {
  if (!Find(number)) return;
  EventUnbindWindow(number);
  EventDropWindow(number);
  ReleasePlatformObject(table.get(), number);
}

int64_t StoredLimit(int64_t value, int64_t old) {
  if (value == kKeepValue) return old;
  return value < 0 ? 0 : std::min(value, kLargestLimit);
}

std::vector<PlatformShortcut> StartingShortcuts() {
  return {{9, kItemNextGadget}, {9 | kShortcutShift, kItemPreviousGadget}};
}

void ApplySize(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height) {
  WindowRecord* record = Find(number);
  if (!record) return;
  PlatformRect frame = PlatformWindowFrame(record->handle);
  if (x != kKeepValue || y != kKeepValue)
    PlatformWindowSetPosition(record->handle, x == kKeepValue ? frame.x : x,
                              y == kKeepValue ? frame.y : y);
  int64_t innerWidth = width == kKeepValue ? WindowGetInnerWidth(number) : width;
  int64_t innerHeight = height == kKeepValue ? WindowGetInnerHeight(number) : height;
  PlatformWindowSetInnerSize(record->handle, innerWidth, innerHeight);
}

int64_t FindShortcut(int64_t window, int64_t shortcut) {
  WindowRecord* record = Find(window);
  if (!record) return -1;
  for (const PlatformShortcut& entry : record->shortcuts)
    if (entry.key == shortcut) return entry.item;
  return -1;
}

// The platform destroyed the window (its record may already be gone, or hold a newer one).
void Forget(int64_t window, int64_t handle) {
  WindowRecord* record = Find(window);
  if (!record || record->handle != handle) return;
  EventUnbindWindow(window);
  EventDropWindow(window);
  table->Release(window);
}

PlatformWindowHooks HooksOf(int64_t number) {
  return {[number](int64_t handle) { Forget(number, handle); },
          [number](int64_t platformWindow, uint32_t message, uint64_t wParam, int64_t lParam) {
            return WindowRunFilter(number, platformWindow, message, wParam, lParam);
          },
          [number](int64_t shortcut) { return FindShortcut(number, shortcut); }};
}

}  // namespace

void WindowServiceInit() {
  if (!table) table = std::make_unique<ObjectTable<WindowRecord>>(4, ReleaseWindow);
  defaultFilter = nullptr;
}

void WindowServiceEnd() {
  if (!table) return;
  OnUiThread([] { CloseEach(table.get(), WindowClose); });
  defaultFilter = nullptr;
}

int64_t WindowCreate(int64_t number, int64_t x, int64_t y, int64_t innerWidth, int64_t innerHeight,
                     const Text& title, int64_t flags) {
  if (!table || !PlatformRunning()) return 0;
  return OnUiThread([&]() -> int64_t {
    WindowClose(number);
    WindowRecord* record = table->Reserve(number);
    if (!record) return 0;
    int64_t handle = PlatformWindowCreate(number, title, flags, HooksOf(number));
    if (!handle) {
      table->Release(number);
      return 0;
    }
    record->handle = handle;
    record->shortcuts = StartingShortcuts();
    PlatformWindowSetShortcuts(handle, record->shortcuts);
    PlatformWindowSetInnerSize(handle, std::max<int64_t>(innerWidth, 0),
                               std::max<int64_t>(innerHeight, 0));
    if (flags & (kWindowCentreScreen | kWindowCentreParent))
      PlatformWindowCentre(handle, (flags & kWindowCentreParent) != 0);
    else if (x != kKeepValue && y != kKeepValue)
      PlatformWindowSetPosition(handle, x, y);
    PlatformWindowSetReady(handle);
    if (!(flags & kWindowNotContainer)) GadgetSetContainerWindow(number, handle);
    if (!(flags & kWindowInvisible)) {
      PlatformWindowSetState(handle, (flags & kWindowMinimised) != 0,
                             (flags & kWindowMaximised) != 0);
      PlatformWindowShow(handle, !(flags & kWindowNoActivate));
    }
    return handle;
  });
}

void WindowClose(int64_t number) {
  WithFound(Find, number, [&](WindowRecord*) {
    ReleaseWindow(number);
    table->Release(number);
  });
}

int64_t WindowGetHandle(int64_t number) { return HandleIn(table.get(), number); }

int64_t WindowGetInnerWidth(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](WindowRecord* record) {
    return PlatformGetGeometry(record->handle).width;
  });
}

int64_t WindowGetInnerHeight(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](WindowRecord* record) {
    return PlatformGetGeometry(record->handle).height;
  });
}

void WindowMove(int64_t number, int64_t x, int64_t y, int64_t innerWidth, int64_t innerHeight) {
  OnUiThread([&] { ApplySize(number, x, y, innerWidth, innerHeight); });
}

void WindowSetSizeLimits(int64_t number, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                         int64_t maxHeight) {
  WithFound(Find, number, [&](WindowRecord* record) {
    record->minWidth = StoredLimit(minWidth, record->minWidth);
    record->minHeight = StoredLimit(minHeight, record->minHeight);
    record->maxWidth = StoredLimit(maxWidth, record->maxWidth);
    record->maxHeight = StoredLimit(maxHeight, record->maxHeight);
    PlatformWindowSetLimits(record->handle, record->minWidth, record->minHeight, record->maxWidth,
                            record->maxHeight);
    if (!PlatformWindowIsMinimisedOrMaximised(record->handle))
      ApplySize(number, kKeepValue, kKeepValue, kKeepValue, kKeepValue);
  });
}

void WindowSetClipErase(int64_t number, int64_t on) {
  if (WindowRecord* record = Find(number)) record->clipErase = on ? 1 : 0;
}

int64_t WindowGetClipErase(int64_t number) {
  WindowRecord* record = Find(number);
  return record ? record->clipErase : 0;
}

void WindowSetHidden(int64_t number, int64_t hidden, int64_t flags) {
  WithFound(Find, number, [&](WindowRecord* record) {
    if (hidden) {
      PlatformWindowHide(record->handle);
      return;
    }
    if (flags & (kWindowCentreScreen | kWindowCentreParent))
      PlatformWindowCentre(record->handle, (flags & kWindowCentreParent) != 0);
    PlatformWindowShow(record->handle, !(flags & kWindowNoActivate));
  });
}

int64_t WindowIsHidden(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](WindowRecord* record) -> int64_t {
    return PlatformWindowIsHidden(record->handle) ? 1 : 0;
  });
}

void WindowSetDisabled(int64_t number, int64_t disabled) {
  WithFound(Find, number,
            [&](WindowRecord* record) { PlatformSetEnabled(record->handle, !disabled); });
}

int64_t WindowIsDisabled(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](WindowRecord* record) -> int64_t {
    return PlatformIsEnabled(record->handle) ? 0 : 1;
  });
}

void WindowSetFilter(WindowFilter filter, int64_t window) {
  if (window == -1) {
    defaultFilter = filter;
    return;
  }
  if (WindowRecord* record = Find(window)) record->filter = filter;
}

void WindowAddShortcut(int64_t window, int64_t shortcut, int64_t item) {
  WithFound(Find, window, [&](WindowRecord* record) {
    int64_t key = shortcut & (0xFFFF | kShortcutShift | kShortcutControl | kShortcutAlt);
    auto& entries = record->shortcuts;
    auto same = std::find_if(entries.begin(), entries.end(),
                             [key](const PlatformShortcut& entry) { return entry.key == key; });
    if (same != entries.end())
      same->item = item & 0xFFFF;
    else
      entries.push_back({key, item & 0xFFFF});
    PlatformWindowSetShortcuts(record->handle, entries);
  });
}

int64_t WindowRunFilter(int64_t window, int64_t platformWindow, uint32_t message, uint64_t wParam,
                        int64_t lParam) {
  WindowRecord* record = Find(window);
  WindowFilter filter = record && record->filter ? record->filter : defaultFilter.load();
  return filter ? filter(platformWindow, message, wParam, lParam) : kFilterDefault;
}
