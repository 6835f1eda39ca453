#include "menus.h"

#include <memory>
#include <vector>

#include "per_thread.h"
#include "platform/platform.h"
#include "toolkit_internal.h"
#include "toolkit_windows.h"

namespace {

struct MenuRecord {
  int64_t handle = 0;
};

// The menu that receives the next entries and the menus enclosing it.
struct Building {
  int64_t receiving = 0;
  std::vector<int64_t> enclosing;
};

std::unique_ptr<ObjectTable<MenuRecord>> table;
std::unique_ptr<PerThread<Building>> building;

MenuRecord* Find(int64_t number) { return table ? table->Get(number) : nullptr; }

void ReleaseMenu(int64_t number) {
  // Entries must not go on into a menu that is gone.
  if (Find(number)) building->Get() = Building{};
  ReleasePlatformObject(table.get(), number);
}

}  // namespace

void MenuServiceInit() {
  if (!table) table = std::make_unique<ObjectTable<MenuRecord>>(8, ReleaseMenu);
  if (!building) building = std::make_unique<PerThread<Building>>();
}

void MenuServiceEnd() {
  if (!table) return;
  OnUiThread([] { table->ReleaseAll(); });
  building->Get() = Building{};
}

int64_t MenuCreatePopup(int64_t number) {
  if (!table || !PlatformRunning() || !PlatformIsUiThread()) return 0;
  MenuRecord* record = table->Reserve(number);
  if (!record) return 0;
  record->handle = PlatformMenuCreate();
  building->Get().receiving = record->handle;
  return record->handle;
}

int64_t MenuGetHandle(int64_t number) { return HandleIn(table.get(), number); }

int64_t MenuBeginSubmenu(const Text& title) {
  if (!building || !PlatformIsUiThread()) return 0;
  Building& mine = building->Get();
  if (!mine.receiving || static_cast<int64_t>(mine.enclosing.size()) >= kMenuMaxDepth) return 0;
  int64_t submenu = PlatformMenuAddSubmenu(mine.receiving, title);
  if (!submenu) return 0;
  mine.enclosing.push_back(mine.receiving);
  mine.receiving = submenu;
  return submenu;
}

int64_t MenuAddItem(int64_t item, const Text& text) {
  if (!building || !PlatformIsUiThread()) return 0;
  Building& mine = building->Get();
  if (!mine.receiving || item < 0 || item > 0xFFFF) return 0;
  PlatformMenuAddItem(mine.receiving, item, text);
  return 1;
}

void MenuEndSubmenu() {
  if (!building) return;
  Building& mine = building->Get();
  if (mine.enclosing.empty()) return;
  mine.receiving = mine.enclosing.back();
  mine.enclosing.pop_back();
}

int64_t MenuShowPopup(int64_t menu, int64_t platformWindow) {
  return WithFound<int64_t>(Find, menu, -1, [&](MenuRecord* record) -> int64_t {
    if (PlatformWindowNumberOf(platformWindow) < 0) return -1;
    return PlatformMenuShow(record->handle, platformWindow);
  });
}
