#include "catalogue_items.h"

#include <deque>
#include <mutex>

namespace {

std::mutex itemsLock;
std::deque<CatalogueItem> items;  // a deque keeps records in place while it grows
int64_t current = 0;              // handle of the current record, 0 for none

bool IsHandle(int64_t handle) { return handle >= 1 && handle <= static_cast<int64_t>(items.size()); }

}  // namespace

void CatalogueItemsClear() {
  std::lock_guard lock(itemsLock);
  items.clear();
  current = 0;
}

int64_t CatalogueItemsAdd(const Text& name, const Text& address) {
  std::lock_guard lock(itemsLock);
  items.push_back(CatalogueItem{name, address});
  current = static_cast<int64_t>(items.size());
  return current;
}

int64_t CatalogueItemsCount() {
  std::lock_guard lock(itemsLock);
  return static_cast<int64_t>(items.size());
}

int CatalogueItemsSelect(int64_t handle, CatalogueItem* record) {
  std::lock_guard lock(itemsLock);
  if (!IsHandle(handle)) return 0;
  current = handle;
  if (record) *record = items[static_cast<size_t>(handle - 1)];
  return 1;
}

int64_t CatalogueItemsCurrent() {
  std::lock_guard lock(itemsLock);
  return current;
}

CatalogueItem CatalogueItemsCurrentItem() {
  std::lock_guard lock(itemsLock);
  return IsHandle(current) ? items[static_cast<size_t>(current - 1)] : CatalogueItem{};
}

CatalogueItem CatalogueItemsGet(int64_t handle) {
  std::lock_guard lock(itemsLock);
  return IsHandle(handle) ? items[static_cast<size_t>(handle - 1)] : CatalogueItem{};
}
