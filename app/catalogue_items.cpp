#include "catalogue_items.h"

#include <mutex>
#include <utility>

namespace {

std::mutex itemsLock;
CatalogueRecords items;
int64_t current = 0;  // handle of the current record, 0 for none

bool IsHandle(int64_t handle) { return handle >= 1 && handle <= items.Count(); }

}  // namespace

void CatalogueItemsClear() {
  std::lock_guard lock(itemsLock);
  items.Clear();
  current = 0;
}

int64_t CatalogueItemsAdd(const Text& name, const Text& address) {
  std::lock_guard lock(itemsLock);
  items.Add(name, address);
  current = items.Count();
  return current;
}

int64_t CatalogueItemsAppend(CatalogueRecords&& records) {
  std::lock_guard lock(itemsLock);
  const int64_t first = items.Count() + 1;
  if (records.Count() == 0) return first;
  items.Append(std::move(records));
  current = items.Count();
  return first;
}

int64_t CatalogueItemsCount() {
  std::lock_guard lock(itemsLock);
  return items.Count();
}

int CatalogueItemsSelect(int64_t handle, CatalogueItem* record) {
  std::lock_guard lock(itemsLock);
  if (!IsHandle(handle)) return 0;
  current = handle;
  if (record) *record = items.Get(handle - 1);
  return 1;
}

int64_t CatalogueItemsCurrent() {
  std::lock_guard lock(itemsLock);
  return current;
}

CatalogueItem CatalogueItemsCurrentItem() {
  std::lock_guard lock(itemsLock);
  return IsHandle(current) ? items.Get(current - 1) : CatalogueItem{};
}

CatalogueItem CatalogueItemsGet(int64_t handle) {
  std::lock_guard lock(itemsLock);
  return IsHandle(handle) ? items.Get(handle - 1) : CatalogueItem{};
}
