#pragma once
// The platform part under the event service: the message pump that EventWait runs and
// the road that carries posted events to the UI thread. The UI toolkit plugs in its Qt
// implementation at start-up; until then a built-in one carries posted events only.
#include <cstdint>

struct PostedEvent {
  int32_t event = 0;
  int64_t window = 0;
  int64_t object = 0;
  int64_t type = 0;
  uint64_t data = 0;
};

// What EventWait returns after handling platform messages: no application event number.
constexpr int32_t kPlatformMessage = 0x0401;

class EventPlatform {
 public:
  virtual ~EventPlatform() = default;
  // Called on any thread. Carries the record to the UI thread, which must hand it to
  // EventDeliverPosted in posting order and wake a waiting PumpMessages. False when the
  // platform refused it.
  virtual bool Post(const PostedEvent& event) = 0;
  // Called on the UI thread: handles pending platform messages, waiting at most
  // `timeoutMs` for one (kWaitForever: no limit, 0: none). kPlatformMessage when
  // something was handled, 0 when nothing came in time.
  virtual int32_t PumpMessages(uint32_t timeoutMs) = 0;
};

// Installs the platform; null restores the built-in one. Call on the UI thread.
void EventSetPlatform(EventPlatform* platform);

// Called by the platform on the UI thread for each posted record: raises it there with
// the always-deliver flag.
void EventDeliverPosted(const PostedEvent& event);

// The installed platform, or the built-in one when none is installed.
EventPlatform& EventCurrentPlatform();
// Forgets the records still waiting in the built-in platform (used at the service's end).
void EventDiscardBuiltInPosts();
