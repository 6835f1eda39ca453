#pragma once
// Shared by the toolkit's tests on every platform: a recorder of raised events, the
// pumping of the UI thread's messages and events, and the suites' start and end.
#include <cstdint>
#include <functional>
#include <vector>

struct SeenEvent {
  int32_t event;
  int64_t window;
  int64_t object;
  int64_t type;
  bool operator==(const SeenEvent&) const = default;
};

// Every event raised for the bound event numbers, in raising order.
std::vector<SeenEvent>& Seen();
// Binds the recorder to an event number (any window, object and type).
void RecordEvents(int32_t event);
// Empties the recorder and the calling thread's queue.
void ForgetEvents();
size_t CountSeen(int32_t event, int64_t object, int64_t type);

// Runs EventWait(10) until `done` holds or about `limitMs` passed; true when it held.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 5000);
// Handles messages and events for a while, then what is left waiting.
void PumpFor(int milliseconds);

// Starts the toolkit and its services on the calling thread, runs every test, ends them;
// RUN_ALL_TESTS's result, 1 when the toolkit did not start. After InitGoogleTest.
int RunTestsWithToolkit(int argc, char** argv);
