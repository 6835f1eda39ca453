#pragma once
// The event service. An event is five values (event, window, object, type, data).
// Each thread has a FIFO queue of events; the toolkit raises events on the UI thread
// (their bound callbacks run at once, and the event is queued for EventWait); worker
// threads post events, which reach the UI thread in posting order and wake its wait.
//
// Thread safety: EventPost may be called from any thread. Everything else acts on the
// calling thread's queue under one process-wide recursive lock; bindings are made on
// the UI thread.
#include <cstdint>

// Toolkit events (below kFirstCustomEvent).
constexpr int32_t kEventGadget = 13100;
constexpr int32_t kEventMenu = 13101;
constexpr int32_t kEventActivate = 13104;
constexpr int32_t kEventMinimise = 13107;
constexpr int32_t kEventMaximise = 13108;
constexpr int32_t kEventRestore = 13109;
constexpr int32_t kEventTimer = 13110;
constexpr int32_t kEventRightClick = 13111;
constexpr int32_t kEventLeftClick = 13112;
constexpr int32_t kEventLeftDoubleClick = 13113;
constexpr int32_t kEventDeactivate = 13114;
constexpr int32_t kEventRepaint = 13115;
constexpr int32_t kEventCloseWindow = 13116;
constexpr int32_t kEventMoveWindow = 13117;
constexpr int32_t kEventSizeWindow = 13118;
// Custom events start here and are never coalesced.
constexpr int32_t kFirstCustomEvent = 0x10000;

constexpr uint32_t kWaitForever = 0xFFFFFFFF;

// Handlers take no arguments and read the current event through the accessors; their
// result is ignored (the application's handlers return 0).
using EventCallback = int (*)();

void EventServiceInit();
// Forgets every binding, the calling thread's queued events and the installed platform
// (posted records not yet delivered by the built-in one are dropped).
void EventServiceEnd();

// Adds the callback to the key (event, window, object, type); -1 matches any value.
// 1 when added, 0 when this callback is already bound to exactly this key.
int EventBind(int32_t event, EventCallback callback, int64_t window = -1, int64_t object = -1,
              int64_t type = -1);

// On the calling thread: queue the event (coalescing identical toolkit events) and run
// its callbacks. Dropped while the thread's suppression counter is non-zero, unless
// `always` is set.
void EventRaise(int32_t event, int64_t window, int64_t object, int64_t type, uint64_t data,
                bool always);

// From any thread: deliver the event to the UI thread. 1 when handed over, 0 when lost.
int EventPost(int32_t event, int64_t window = 0, int64_t object = 0, int64_t type = 0,
              uint64_t data = 0);

// The next queued event number; otherwise handles platform messages for at most
// `timeoutMs` (kWaitForever: no limit, 0: no waiting) and returns the number of the
// platform message handled (never an event number), or 0 when nothing came in time.
int32_t EventWait(uint32_t timeoutMs);

int32_t EventCurrent();
int64_t EventCurrentWindow();
int64_t EventCurrentObject();
int64_t EventCurrentType();
uint64_t EventCurrentData();

void EventSuppress();
void EventResume();

// Remove queued events of the calling thread; -1 matches any value.
void EventDropQueued(int32_t event, int64_t window, int64_t object, int64_t type);
void EventDropWindow(int64_t window);
// Removes every binding made for `window`.
void EventUnbindWindow(int64_t window);
