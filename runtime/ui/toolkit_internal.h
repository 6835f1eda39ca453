#pragma once
// Table chores shared by the toolkit services whose records hold a platform object in
// their `handle`. Call on the UI thread.
#include <cstdint>
#include <vector>

#include "object_table.h"
#include "platform/platform.h"

// The release routine of such a table: the record stops being live before its platform
// object is destroyed, so that the platform's goodbye finds nothing left to do.
template <class Record>
void ReleasePlatformObject(ObjectTable<Record>* table, int64_t number) {
  Record* record = table ? table->Get(number) : nullptr;
  if (!record) return;
  int64_t handle = record->handle;
  record->handle = 0;
  PlatformDestroy(handle);
}

// Calls close(number) for every live number, outside the table's lock (closing may take
// other locks, such as the event lock).
template <class Record, class Close>
void CloseEach(ObjectTable<Record>* table, Close close) {
  if (!table) return;
  std::vector<int64_t> live;
  table->ForEach([&live](int64_t number, Record&) { live.push_back(number); });
  for (int64_t number : live) close(number);
}

// Frees the number whose record holds a platform object that is going away.
template <class Record>
void ForgetPlatformObject(ObjectTable<Record>* table, int64_t handle) {
  if (!table || !handle) return;
  int64_t found = -1;
  table->ForEach([&](int64_t number, Record& record) {
    if (record.handle == handle) found = number;
  });
  if (found != -1) table->Release(found);
}
