#include "gadgets.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "list_rows.h"
#include "per_thread.h"
#include "platform/platform.h"
#include "report_list.h"
#include "toolkit_internal.h"
#include "toolkit_windows.h"

namespace {

struct GadgetRecord {
  int64_t handle = 0;
  int64_t kind = 0;
  int64_t window = -1;  // the window the gadget was made in; its events carry it
  // Progress bars: the range and position, and the busy display.
  int64_t minimum = 0, maximum = 100, value = 0;
  bool busy = false;
  std::unique_ptr<ListRows> rows;  // report lists: what their view shows
};

// The thread's gadget container: the window made last, or the panel opened last.
struct Containers {
  int64_t window = -1;
  int64_t windowHandle = 0;
  std::vector<int64_t> panels;
  int64_t Current() const { return panels.empty() ? windowHandle : panels.back(); }
};

void ReleaseGadget(int64_t number);

std::unique_ptr<ObjectTable<GadgetRecord>> table;
std::unique_ptr<PerThread<Containers>> containers;

GadgetRecord* Find(int64_t number) { return table ? table->Get(number) : nullptr; }

GadgetRecord* FindKind(int64_t number, int64_t kind) {
  GadgetRecord* record = Find(number);
  return record && record->kind == kind ? record : nullptr;
}

GadgetRecord* FindProgressBar(int64_t number) { return FindKind(number, kKindProgressBar); }
GadgetRecord* FindTextField(int64_t number) { return FindKind(number, kKindTextField); }

void ReleaseGadget(int64_t number) {
  if (!Find(number)) return;
  EventDropQueued(kEventGadget, -1, number, -1);
  ReleasePlatformObject(table.get(), number);
}

// The platform destroyed the gadget (its record may already be gone, or hold a newer one).
void Forget(int64_t gadget, int64_t handle) {
  GadgetRecord* record = Find(gadget);
  if (!record || record->handle != handle) return;
  EventDropQueued(kEventGadget, -1, gadget, -1);
  table->Release(gadget);
}

template <class Make>
int64_t Create(int64_t number, int64_t kind, const PlatformRect& rect, Make make) {
  if (!table || !PlatformRunning() || !PlatformIsUiThread()) return 0;
  Containers& mine = containers->Get();
  int64_t parent = mine.Current();
  if (!PlatformIsWidget(parent)) return 0;
  if (number != kDynamicNumber) GadgetFree(number);
  GadgetRecord* record = table->Reserve(number);
  if (!record) return 0;
  // A dynamic gadget is known by the table's handle of its record.
  bool dynamic = number == kDynamicNumber;
  int64_t id = dynamic ? ObjectTable<GadgetRecord>::HandleOf(record) : number;
  int64_t handle = make(parent, mine.window, id, [id](int64_t widget) { Forget(id, widget); });
  if (!handle) {
    table->Release(id);
    return 0;
  }
  record->handle = handle;
  record->kind = kind;
  record->window = mine.window;
  PlatformSetGeometry(handle, rect);
  return dynamic ? id : handle;
}

void ShowProgress(const GadgetRecord& record) {
  PlatformProgressShow(record.handle, record.minimum, record.maximum, record.value, record.busy);
}

void SetProgressValue(GadgetRecord& record, int64_t value) {
  record.busy = value == -1;
  if (!record.busy) record.value = value;
  // The position always lies in the range, as the platform's own bars keep it.
  record.value = std::clamp(record.value, std::min(record.minimum, record.maximum),
                            std::max(record.minimum, record.maximum));
  ShowProgress(record);
}

bool HasText(int64_t kind) {
  return kind == kKindTextField || kind == kKindButton || kind == kKindFrame;
}

}  // namespace

ProgramChange::ProgramChange() { EventSuppress(); }
ProgramChange::~ProgramChange() { EventResume(); }

void GadgetServiceInit() {
  if (!table) table = std::make_unique<ObjectTable<GadgetRecord>>(16, ReleaseGadget);
  if (!containers) containers = std::make_unique<PerThread<Containers>>();
}

void GadgetServiceEnd() {
  if (!table) return;
  OnUiThread([] { CloseEach(table.get(), GadgetFree); });
  containers->Get() = Containers{};
}

void GadgetSetContainerWindow(int64_t window, int64_t handle) {
  if (!containers) return;
  Containers& mine = containers->Get();
  mine = Containers{};
  mine.window = window;
  mine.windowHandle = handle;
}

int64_t GadgetCreateTextField(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                              const Text& text, int64_t flags) {
  return Create(number, kKindTextField, {x, y, width, height},
                [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
                  return PlatformTextFieldCreate(parent, id, window, text,
                                                 (flags & kTextFieldReadOnly) != 0,
                                                 !(flags & kTextFieldNoBorder), gone);
                });
}

int64_t GadgetCreateButton(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                           const Text& text, int64_t flags) {
  return Create(number, kKindButton, {x, y, width, height},
                [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
                  return PlatformButtonCreate(parent, id, window, text, gone);
                });
}

int64_t GadgetCreateFrame(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                          const Text& text, int64_t flags) {
  return Create(number, kKindFrame, {x, y, width, height},
                [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
                  return PlatformFrameCreate(parent, id, window, text, flags, gone);
                });
}

int64_t GadgetCreatePanel(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                          int64_t flags) {
  int64_t result =
      Create(number, kKindPanel, {x, y, width, height},
             [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
               return PlatformPanelCreate(parent, id, window, flags, gone);
             });
  if (result)
    containers->Get().panels.push_back(number == kDynamicNumber ? GadgetGetHandle(result) : result);
  return result;
}

void GadgetEndPanel() {
  if (!containers) return;
  auto& panels = containers->Get().panels;
  if (!panels.empty()) panels.pop_back();
}

int64_t GadgetCreateProgressBar(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                                int64_t minimum, int64_t maximum, int64_t flags) {
  int64_t result =
      Create(number, kKindProgressBar, {x, y, width, height},
             [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
               return PlatformProgressCreate(parent, id, window, gone);
             });
  int64_t id = number == kDynamicNumber ? result : number;
  if (GadgetRecord* record = result ? Find(id) : nullptr) {
    record->minimum = static_cast<int32_t>(minimum);
    record->maximum = static_cast<int32_t>(maximum);
    record->value = record->minimum;
    ShowProgress(*record);
  }
  return result;
}

int64_t GadgetCreateReportList(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height,
                               const Text& firstColumnTitle, int64_t firstColumnWidth,
                               int64_t flags) {
  auto rows = std::make_unique<ListRows>();
  int64_t result =
      Create(number, kKindReportList, {x, y, width, height},
             [&](int64_t parent, int64_t window, int64_t id, const PlatformGone& gone) {
               auto filter = [window](int64_t platformWindow, uint32_t message, uint64_t wParam,
                                      int64_t lParam) {
                 return WindowRunFilter(window, platformWindow, message, wParam, lParam);
               };
               return PlatformListCreate(parent, id, window, firstColumnTitle, firstColumnWidth,
                                         flags, *rows, filter, gone);
             });
  if (GadgetRecord* record = result ? Find(number == kDynamicNumber ? result : number) : nullptr)
    record->rows = std::move(rows);
  return result;
}

void GadgetFree(int64_t number) {
  WithFound(Find, number, [&](GadgetRecord*) {
    ReleaseGadget(number);
    table->Release(number);
  });
}

int64_t GadgetGetHandle(int64_t number) { return HandleIn(table.get(), number); }

int64_t GadgetGetKind(int64_t number) {
  GadgetRecord* record = Find(number);
  return record ? record->kind : 0;
}

ListGadget GadgetFindList(int64_t gadget) {
  GadgetRecord* record = FindKind(gadget, kKindReportList);
  return record ? ListGadget{record->handle, record->rows.get()} : ListGadget{};
}

void GadgetSetTip(int64_t number, const Text& text) {
  WithFound(Find, number, [&](GadgetRecord* record) { PlatformSetToolTip(record->handle, text); });
}

Text GadgetGetTip(int64_t number) {
  return WithFound(Find, number, Text(),
                   [](GadgetRecord* record) { return PlatformGetToolTip(record->handle); });
}

void GadgetSetText(int64_t number, const Text& text) {
  WithFound(Find, number, [&](GadgetRecord* record) {
    if (!HasText(record->kind)) return;
    ProgramChange quiet;
    PlatformSetText(record->handle, text);
  });
}

Text GadgetGetText(int64_t number) {
  return WithFound(Find, number, Text(), [](GadgetRecord* record) {
    return HasText(record->kind) ? PlatformGetText(record->handle) : Text();
  });
}

void GadgetSetValue(int64_t number, int64_t value) {
  WithFoundLater(Find, number, [value](GadgetRecord* record) {
    ProgramChange quiet;
    if (record->kind == kKindProgressBar) SetProgressValue(*record, value);
    if (record->kind == kKindReportList) PlatformListSelectOnly(record->handle, value);
  });
}

int64_t GadgetGetValue(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](GadgetRecord* record) -> int64_t {
    if (record->kind == kKindProgressBar) return record->busy ? -1 : record->value;
    if (record->kind == kKindReportList) return PlatformListFirstSelected(record->handle);
    return 0;
  });
}

void GadgetSetProperty(int64_t number, int64_t property, int64_t value) {
  WithFound(FindProgressBar, number, [&](GadgetRecord* record) {
    if (property == kProgressMinimum) record->minimum = static_cast<int32_t>(value);
    if (property == kProgressMaximum) record->maximum = static_cast<int32_t>(value);
    ProgramChange quiet;
    SetProgressValue(*record, record->busy ? -1 : record->value);
  });
}

int64_t GadgetGetProperty(int64_t number, int64_t property) {
  return WithFound<int64_t>(FindProgressBar, number, 0, [&](GadgetRecord* record) -> int64_t {
    if (property == kProgressMinimum) return record->minimum;
    if (property == kProgressMaximum) return record->maximum;
    return 0;
  });
}

void GadgetSetDisabled(int64_t number, int64_t disabled) {
  WithFound(Find, number,
            [&](GadgetRecord* record) { PlatformSetEnabled(record->handle, !disabled); });
}

int64_t GadgetIsDisabled(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](GadgetRecord* record) -> int64_t {
    return PlatformIsEnabled(record->handle) ? 0 : 1;
  });
}

void GadgetMove(int64_t number, int64_t x, int64_t y, int64_t width, int64_t height) {
  WithFound(Find, number, [&](GadgetRecord* record) {
    PlatformRect now = PlatformGetGeometry(record->handle);
    auto keep = [](int64_t value, int64_t old) { return value == kKeepValue ? old : value; };
    PlatformSetGeometry(record->handle, {keep(x, now.x), keep(y, now.y), keep(width, now.width),
                                         keep(height, now.height)});
  });
}

namespace {
PlatformRect GeometryOf(int64_t number) {
  return WithFound(Find, number, PlatformRect{},
                   [](GadgetRecord* record) { return PlatformGetGeometry(record->handle); });
}
}  // namespace

int64_t GadgetGetX(int64_t number) { return GeometryOf(number).x; }
int64_t GadgetGetY(int64_t number) { return GeometryOf(number).y; }
int64_t GadgetGetWidth(int64_t number) { return GeometryOf(number).width; }
int64_t GadgetGetHeight(int64_t number) { return GeometryOf(number).height; }

int64_t GadgetFocused() {
  return OnUiThread(
      []() -> int64_t {
        int64_t number = PlatformFocusedGadget();
        return Find(number) ? number : -1;
      },
      int64_t{-1});
}

void GadgetSetFocus(int64_t number) {
  WithFound(Find, number, [](GadgetRecord* record) { PlatformSetFocus(record->handle); });
}

int GadgetEventBind(int64_t gadget, EventCallback callback, int64_t type) {
  GadgetRecord* record = Find(gadget);
  if (!record) return 0;
  return EventBind(kEventGadget, callback, record->window, gadget, type);
}

void GadgetSetParentHandle(int64_t gadget, int64_t platformHandle) {
  WithFound(Find, gadget, [&](GadgetRecord* record) {
    if (platformHandle != record->handle && PlatformIsWidget(platformHandle))
      PlatformSetParent(record->handle, platformHandle);
  });
}

void GadgetSelectText(int64_t gadget, int64_t start, int64_t end) {
  WithFound(FindTextField, gadget, [&](GadgetRecord* record) {
    int64_t length = static_cast<int64_t>(PlatformGetText(record->handle).size());
    int64_t first = std::clamp<int64_t>(start - 1, 0, length);
    int64_t last = end < 0 ? length : std::clamp<int64_t>(end, first, length);
    PlatformSelectText(record->handle, first, start <= 0 ? 0 : last - first);
  });
}
