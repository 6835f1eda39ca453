#include "statusbar.h"

#include <memory>
#include <vector>

#include "per_thread.h"
#include "platform/platform.h"
#include "toolkit_internal.h"
#include "toolkit_windows.h"

namespace {

struct StatusbarRecord {
  int64_t handle = 0;
  std::vector<int64_t> widths;
};

std::unique_ptr<ObjectTable<StatusbarRecord>> table;
// The status bar made last on each thread: fields go there.
std::unique_ptr<PerThread<int64_t>> current;

StatusbarRecord* Find(int64_t number) { return table ? table->Get(number) : nullptr; }

void ReleaseStatusbar(int64_t number) { ReleasePlatformObject(table.get(), number); }

void Forget(int64_t handle) { ForgetPlatformObject(table.get(), handle); }

StatusbarRecord* FindCurrent() {
  StatusbarRecord* found = nullptr;
  if (!current || !table) return found;
  int64_t handle = current->Get();
  table->ForEach([&](int64_t, StatusbarRecord& record) {
    if (record.handle == handle) found = &record;
  });
  return found;
}

}  // namespace

void StatusbarServiceInit() {
  if (!table) table = std::make_unique<ObjectTable<StatusbarRecord>>(4, ReleaseStatusbar);
  if (!current) current = std::make_unique<PerThread<int64_t>>();
}

void StatusbarServiceEnd() {
  if (!table) return;
  OnUiThread([] { table->ReleaseAll(); });
  current->Get() = 0;
}

int64_t StatusbarCreate(int64_t number, int64_t platformWindow) {
  if (!table || !PlatformRunning() || !PlatformIsUiThread()) return 0;
  if (PlatformWindowNumberOf(platformWindow) < 0) return 0;
  StatusbarRecord* record = table->Reserve(number);
  if (!record) return 0;
  record->handle = PlatformStatusbarCreate(platformWindow, Forget);
  current->Get() = record->handle;
  return record->handle;
}

void StatusbarAddField(int64_t width) {
  if (!PlatformIsUiThread()) return;
  StatusbarRecord* record = FindCurrent();
  if (!record || static_cast<int64_t>(record->widths.size()) >= kStatusbarMaxFields) return;
  record->widths.push_back(width == kKeepValue ? kKeepValue : std::max<int64_t>(width, 0));
  PlatformStatusbarSetFields(record->handle, record->widths);
}

void StatusbarSetText(int64_t number, int64_t field, const Text& text, int64_t flags) {
  WithFound(Find, number, [&](StatusbarRecord* record) {
    if (field >= 0 && field < static_cast<int64_t>(record->widths.size()))
      PlatformStatusbarSetText(record->handle, field, text, flags);
  });
}

Text StatusbarGetText(int64_t number, int64_t field) {
  return WithFound(Find, number, Text(), [&](StatusbarRecord* record) {
    return PlatformStatusbarGetText(record->handle, field);
  });
}

int64_t StatusbarFieldCount(int64_t number) {
  StatusbarRecord* record = Find(number);
  return record ? static_cast<int64_t>(record->widths.size()) : 0;
}

namespace {
PlatformRect FieldRect(int64_t number, int64_t field) {
  return WithFound(Find, number, PlatformRect{}, [&](StatusbarRecord* record) {
    return PlatformStatusbarFieldRect(record->handle, field);
  });
}
}  // namespace

int64_t StatusbarGetFieldX(int64_t number, int64_t field) { return FieldRect(number, field).x; }
int64_t StatusbarGetFieldWidth(int64_t number, int64_t field) {
  return FieldRect(number, field).width;
}

int64_t StatusbarGetHeight(int64_t number) {
  return WithFound<int64_t>(Find, number, 0, [](StatusbarRecord* record) {
    return PlatformGetGeometry(record->handle).height;
  });
}

int64_t StatusbarGetHandle(int64_t number) { return HandleIn(table.get(), number); }
