#pragma once
// What the toolkit's services share among themselves and with no one else: running work
// on the UI thread, the chores of tables whose records hold a platform object, and the
// few calls one service makes into another. The platform under the services never
// includes this.
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "object_table.h"
#include "platform/platform.h"

class ListRows;
struct ImageBitmap;

// Runs `work` on the UI thread (see RunOnUiThread) and returns its result. A call that
// is refused (the orderly stop has begun) answers `refused`: the failure value the
// toolkit call documents, never a made-up one that could pass for an answer.
template <class Work>
  requires std::is_void_v<std::invoke_result_t<Work>>
void OnUiThread(Work work) {
  RunOnUiThread(work);
}

template <class Work, class Result = std::invoke_result_t<Work>>
  requires(!std::is_void_v<Result>)
Result OnUiThread(Work work, Result refused = Result{}) {
  Result result = std::move(refused);
  RunOnUiThread([&] { result = work(); });
  return result;
}

// The toolkit's calls on numbered objects: on the UI thread, `find(number)` looks the
// object up (a record, or a handle), and `work(found)` runs only when it found one, so
// that the object cannot go between lookup and work. Without one, or when the call is
// refused, the result is `none`.
template <class Result, class Find, class Work>
Result WithFound(Find find, int64_t number, Result none, Work work) {
  return OnUiThread(
      [&]() -> Result {
        auto found = find(number);
        return found ? work(found) : none;
      },
      none);
}

template <class Find, class Work>
void WithFound(Find find, int64_t number, Work work) {
  OnUiThread([&] {
    if (auto found = find(number)) work(found);
  });
}

// The same for a change that answers nothing, made from another thread without waiting
// for the UI thread: it is made there in order with the caller's later calls and posted
// events, which therefore find it made. `work` and what it holds are kept by value.
template <class Find, class Work>
void WithFoundLater(Find find, int64_t number, Work work) {
  PostToUiThread([find, number, work = std::move(work)] {
    if (auto found = find(number)) work(found);
  });
}

// ---- Table chores: call on the UI thread

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

// The platform handle a record holds, 0 for a number not in use. Any thread: the handle
// is set once when the record is made.
template <class Record>
int64_t HandleIn(ObjectTable<Record>* table, int64_t number) {
  Record* record = table ? table->Get(number) : nullptr;
  return record ? record->handle : 0;
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

// ---- Between services

// Marks a change made by the program: the calling thread raises no events meanwhile.
struct ProgramChange {
  ProgramChange();
  ~ProgramChange();
  ProgramChange(const ProgramChange&) = delete;
  ProgramChange& operator=(const ProgramChange&) = delete;
};

// A report list gadget: its platform handle and the rows its view shows.
struct ListGadget {
  int64_t handle = 0;
  ListRows* rows = nullptr;
  explicit operator bool() const { return rows != nullptr; }
};
// On the UI thread: the list gadget of that number; rows null for other gadgets.
ListGadget GadgetFindList(int64_t gadget);
// Sets the thread's current gadget container to a new window (0: none).
void GadgetSetContainerWindow(int64_t window, int64_t handle);

// The window's filter answer, kFilterDefault when it has none.
int64_t WindowRunFilter(int64_t window, int64_t platformWindow, uint32_t message, uint64_t wParam,
                        int64_t lParam);

// The keyboard service's ear, handed to the platform at start.
void KeyboardNote(int64_t virtualKey, bool down);

// An image button's picture: `size` x `size` ARGB pixels, empty for unusable bitmaps.
std::vector<uint32_t> ToolbarButtonPixels(const ImageBitmap& bitmap, int64_t size);
