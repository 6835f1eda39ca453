#include "event_recorder.h"

#include <gtest/gtest.h>

#include <chrono>

#include "events.h"
#include "gadgets.h"
#include "menus.h"
#include "statusbar.h"
#include "toolbar.h"
#include "toolkit.h"
#include "toolkit_windows.h"

namespace {

std::vector<SeenEvent> seen;

int Record() {
  seen.push_back({EventCurrent(), EventCurrentWindow(), EventCurrentObject(), EventCurrentType()});
  return 0;
}

}  // namespace

std::vector<SeenEvent>& Seen() { return seen; }

void RecordEvents(int32_t event) { EventBind(event, Record); }

void ForgetEvents() {
  while (EventWait(0) != 0) {
  }
  seen.clear();
}

size_t CountSeen(int32_t event, int64_t object, int64_t type) {
  size_t count = 0;
  for (const SeenEvent& e : seen) count += e.event == event && e.object == object && e.type == type;
  return count;
}

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    EventWait(10);
  }
  return true;
}

void PumpFor(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) EventWait(5);
  while (EventWait(0) != 0) {
  }
}

int RunTestsWithToolkit(int argc, char** argv) {
  if (!ToolkitInit(argc, argv)) return 1;
  EventServiceInit();
  WindowServiceInit();
  GadgetServiceInit();
  MenuServiceInit();
  ToolbarServiceInit();
  StatusbarServiceInit();
  int result = RUN_ALL_TESTS();
  StatusbarServiceEnd();
  ToolbarServiceEnd();
  MenuServiceEnd();
  GadgetServiceEnd();
  WindowServiceEnd();
  EventServiceEnd();
  ToolkitEnd();
  return result;
}
