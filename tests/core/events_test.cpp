#include "events.h"

#include <gtest/gtest.h>

#include <vector>

#include "event_platform.h"

namespace {

struct Call {
  int callback;
  int32_t event;
  int64_t window, object, type;
  uint64_t data;
  bool operator==(const Call&) const = default;
};

std::vector<Call> calls;

// Callbacks are plain routines; each instance logs its tag and the current event.
template <int Tag>
int Log() {
  calls.push_back({Tag, EventCurrent(), EventCurrentWindow(), EventCurrentObject(),
                   EventCurrentType(), EventCurrentData()});
  return 0;
}

std::vector<int> Tags() {
  std::vector<int> tags;
  for (const Call& c : calls) tags.push_back(c.callback);
  return tags;
}

// Every event number that EventWait hands out before the queue runs dry.
std::vector<int32_t> Drain() {
  std::vector<int32_t> taken;
  for (int32_t e; (e = EventWait(0)) != 0;) taken.push_back(e);
  return taken;
}

class Events : public ::testing::Test {
 protected:
  void SetUp() override {
    EventServiceEnd();  // forgets bindings and queued events of earlier tests
    EventServiceInit();
    calls.clear();
  }
  void TearDown() override { EventServiceEnd(); }
};

TEST_F(Events, FiveLookupsInOrderAndNotTheSixth) {
  EventBind(kEventGadget, Log<1>, 2, 7, 0);
  EventBind(kEventGadget, Log<2>, 2, 7, -1);
  EventBind(kEventGadget, Log<3>, 2, -1, -1);
  EventBind(kEventGadget, Log<4>);
  EventBind(kEventGadget, Log<5>, -1, 7, 0);
  EventBind(kEventGadget, Log<6>, -1, 7, -1);  // no lookup has this shape
  EventBind(kEventGadget, Log<7>, 3, 7, 0);    // other window
  EventBind(kEventMenu, Log<8>);               // other event
  EventRaise(kEventGadget, 2, 7, 0, 55, false);
  EXPECT_EQ(Tags(), (std::vector<int>{1, 2, 3, 4, 5}));
  for (const Call& c : calls) EXPECT_EQ(c, (Call{c.callback, kEventGadget, 2, 7, 0, 55}));
}

TEST_F(Events, WildcardWindowWithObjectAndTypeMatchesAnyWindow) {
  EventBind(kEventGadget, Log<1>, -1, 7, 0);
  EventRaise(kEventGadget, 9, 7, 0, 0, false);
  EventRaise(kEventGadget, 9, 7, 1, 0, false);  // other type: not found
  EventRaise(kEventGadget, 9, 8, 0, 0, false);  // other gadget: not found
  EXPECT_EQ(Tags(), std::vector<int>{1});
}

TEST_F(Events, NoDuplicateBindingButSeveralKeysRunSeveralTimes) {
  EXPECT_EQ(EventBind(kFirstCustomEvent, Log<1>), 1);
  EXPECT_EQ(EventBind(kFirstCustomEvent, Log<1>), 0);
  EventRaise(kFirstCustomEvent, 0, 0, 0, 0, false);
  EXPECT_EQ(Tags(), std::vector<int>{1});

  calls.clear();
  EXPECT_EQ(EventBind(kEventMenu, Log<2>, 0, 3), 1);
  EXPECT_EQ(EventBind(kEventMenu, Log<2>), 1);
  EventRaise(kEventMenu, 0, 3, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{2, 2}));
}

TEST_F(Events, NewestCallbackFirstAndBindingDuringDispatchWaitsForTheNextEvent) {
  static int raised = 0;
  raised = 0;
  EventBind(kEventMenu, Log<1>);
  EventBind(kEventMenu, [] {
    if (raised++ == 0) EventBind(kEventMenu, Log<3>);
    return Log<2>();
  });
  EventRaise(kEventMenu, 0, 1, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{2, 1}));
  calls.clear();
  EventRaise(kEventMenu, 0, 2, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{3, 2, 1}));
}

TEST_F(Events, IdenticalToolkitEventsCoalesceAgainstTheTailOnly) {
  EventBind(kEventGadget, Log<1>);
  EventRaise(kEventGadget, 0, 4, 1, 10, false);
  EventRaise(kEventGadget, 0, 4, 1, 11, false);
  EXPECT_EQ(calls.size(), 2u);  // both dispatched
  EXPECT_EQ(calls[1].data, 11u);
  EXPECT_EQ(EventWait(0), kEventGadget);
  EXPECT_EQ(EventCurrentData(), 10u);  // the queued record keeps its own data
  EXPECT_EQ(EventWait(0), 0);

  EventRaise(kEventGadget, 0, 4, 1, 0, false);
  EventRaise(kEventGadget, 0, 5, 1, 0, false);
  EventRaise(kEventGadget, 0, 4, 1, 0, false);  // not the tail any more
  EventRaise(kEventGadget, 0, 4, 2, 0, false);  // other type
  EventRaise(kEventGadget, 1, 4, 2, 0, false);  // other window
  EXPECT_EQ(Drain().size(), 5u);
}

TEST_F(Events, IdenticalCustomEventsAreNeverCoalesced) {
  EventBind(kFirstCustomEvent + 1, Log<1>);
  EventPost(kFirstCustomEvent + 1);
  EventPost(kFirstCustomEvent + 1);
  EXPECT_EQ(EventWait(0), kPlatformMessage);
  EXPECT_EQ(Tags(), (std::vector<int>{1, 1}));
  EXPECT_EQ(Drain(), (std::vector<int32_t>{kFirstCustomEvent + 1, kFirstCustomEvent + 1}));
}

TEST_F(Events, SuppressionDropsUnlessAlwaysAndPostedEventsPassIt) {
  EventBind(kEventGadget, Log<1>);
  EventBind(kFirstCustomEvent, Log<2>);
  EventSuppress();
  EventSuppress();
  EventRaise(kEventGadget, 0, 1, 0, 0, false);
  EventResume();
  EventRaise(kEventGadget, 0, 2, 0, 0, false);  // still suppressed once
  EventPost(kFirstCustomEvent);
  EXPECT_EQ(EventWait(0), kPlatformMessage);
  EventRaise(kEventGadget, 0, 3, 0, 0, true);
  EventResume();
  EventRaise(kEventGadget, 0, 4, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{2, 1, 1}));
  EXPECT_EQ(Drain(), (std::vector<int32_t>{kFirstCustomEvent, kEventGadget, kEventGadget}));

  EventResume();  // one too many must not leave events dropped for good
  EventRaise(kEventGadget, 0, 5, 0, 0, false);
  EXPECT_EQ(Drain(), std::vector<int32_t>{kEventGadget});
}

TEST_F(Events, CurrentEventDuringDispatchAfterTakingAndAfterAnEmptyWait) {
  EventRaise(kEventMenu, 3, 8, 2, 77, false);
  EventBind(kEventTimer, [] {
    // A nested raise sees its own values and leaves ours as they were.
    EventRaise(kEventRepaint, 9, 9, 9, 9, false);
    return Log<1>();
  });
  EventBind(kEventRepaint, Log<2>);
  EventRaise(kEventTimer, 1, 2, 3, 4, false);
  EXPECT_EQ(calls, (std::vector<Call>{{2, kEventRepaint, 9, 9, 9, 9}, {1, kEventTimer, 1, 2, 3, 4}}));
  EXPECT_EQ(EventCurrent(), 0);  // restored after dispatch

  EXPECT_EQ(EventWait(0), kEventMenu);
  EXPECT_EQ(EventCurrentWindow(), 3);
  EXPECT_EQ(EventCurrentObject(), 8);
  EXPECT_EQ(EventCurrentType(), 2);
  EXPECT_EQ(EventCurrentData(), 77u);
  EXPECT_EQ(Drain(), (std::vector<int32_t>{kEventTimer, kEventRepaint}));  // queued before dispatch
  EXPECT_EQ(EventCurrent(), 0);
  EXPECT_EQ(EventCurrentType(), -1);
  EXPECT_EQ(EventCurrentWindow(), 9);  // kept from the last event taken
}

TEST_F(Events, DropQueuedWithWildcardsKeepsTheQueueSound) {
  EventRaise(kEventGadget, 0, 1, 0, 0, false);
  EventRaise(kEventGadget, 0, 2, 0, 0, false);
  EventRaise(kEventSizeWindow, 0, 0, 0, 1, false);
  EventRaise(kEventGadget, 1, 2, 5, 0, false);
  EventDropQueued(kEventGadget, -1, 2, -1);  // every gadget event of gadget 2
  EXPECT_EQ(Drain(), (std::vector<int32_t>{kEventGadget, kEventSizeWindow}));

  // Dropping the tail must not leave a stale tail to coalesce against.
  EventRaise(kEventGadget, 0, 1, 0, 0, false);
  EventRaise(kEventGadget, 0, 2, 0, 0, false);
  EventDropQueued(kEventGadget, 0, 2, 0);
  EventRaise(kEventGadget, 0, 2, 0, 0, false);
  EventDropQueued(-1, -1, -1, -1);
  EXPECT_TRUE(Drain().empty());
  EventRaise(kEventGadget, 0, 2, 0, 0, false);
  EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(Events, NewSizeEventReplacesTheQueuedOne) {
  EventRaise(kEventSizeWindow, 4, 0, 0, 100, false);
  EventRaise(kEventGadget, 4, 1, 0, 0, false);
  EventDropQueued(kEventSizeWindow, 4, 0, 0);
  EventRaise(kEventSizeWindow, 4, 0, 0, 200, false);
  EXPECT_EQ(Drain(), (std::vector<int32_t>{kEventGadget, kEventSizeWindow}));
  EXPECT_EQ(EventCurrentData(), 200u);  // the newer size, kept after the empty wait
}

TEST_F(Events, ClosedWindowLeavesNoEventsAndNoBindings) {
  EventBind(kEventGadget, Log<1>, 5, 1);
  EventBind(kEventMenu, Log<2>, 5);
  EventBind(kEventMenu, Log<3>, 6);
  EventBind(kEventMenu, Log<4>);
  EventRaise(kEventMenu, 5, 0, 0, 0, false);
  EventRaise(kEventMenu, 6, 0, 0, 0, false);
  EventRaise(kEventGadget, 5, 1, 0, 0, false);
  calls.clear();
  EventUnbindWindow(5);
  EventDropWindow(5);
  EXPECT_EQ(Drain(), std::vector<int32_t>{kEventMenu});
  EXPECT_EQ(EventCurrentWindow(), 6);
  EventRaise(kEventMenu, 5, 0, 0, 0, false);
  EventRaise(kEventGadget, 5, 1, 0, 0, false);
  EventRaise(kEventMenu, 6, 0, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{4, 3, 4}));
  EXPECT_EQ(EventBind(kEventMenu, Log<2>, 5), 1);  // the old binding is really gone
}

TEST_F(Events, UnbindingTheRunningEntryFromItsOwnCallback) {
  EventBind(kEventCloseWindow, Log<1>, 2);
  EventBind(kEventCloseWindow, [] {
    EventUnbindWindow(2);
    return Log<2>();
  }, 2);
  EventBind(kEventCloseWindow, Log<3>);
  EventRaise(kEventCloseWindow, 2, 0, 0, 0, false);
  EXPECT_EQ(Tags(), (std::vector<int>{2, 3}));  // the rest of the unbound entry does not run
  calls.clear();
  EventRaise(kEventCloseWindow, 2, 0, 0, 0, false);
  EXPECT_EQ(Tags(), std::vector<int>{3});
}

TEST_F(Events, ManyQueuedEventsComeBackInOrder) {
  for (int i = 0; i < 5000; ++i) EventRaise(kFirstCustomEvent + i % 3, 0, i, 0, 0, false);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(EventWait(0), kFirstCustomEvent + i % 3);
    ASSERT_EQ(EventCurrentObject(), i);
  }
  EXPECT_EQ(EventWait(0), 0);
}

// A platform that refuses or records what is posted and delivers on request.
class FakePlatform final : public EventPlatform {
 public:
  bool refuse = false;
  std::vector<PostedEvent> posted;
  bool Post(const PostedEvent& e) override {
    if (refuse) return false;
    posted.push_back(e);
    return true;
  }
  int32_t PumpMessages(uint32_t) override {
    if (posted.empty()) return 0;
    for (const PostedEvent& e : posted) EventDeliverPosted(e);
    posted.clear();
    return kPlatformMessage;
  }
};

TEST_F(Events, PostingGoesThroughTheInstalledPlatform) {
  FakePlatform fake;
  EventSetPlatform(&fake);
  EventBind(kFirstCustomEvent, Log<1>);
  EXPECT_EQ(EventPost(kFirstCustomEvent, 1, 2, 3, 4), 1);
  ASSERT_EQ(fake.posted.size(), 1u);
  EXPECT_EQ(EventWait(100), kPlatformMessage);
  EXPECT_EQ(calls, (std::vector<Call>{{1, kFirstCustomEvent, 1, 2, 3, 4}}));
  fake.refuse = true;
  EXPECT_EQ(EventPost(kFirstCustomEvent), 0);
  EventSetPlatform(nullptr);
  EXPECT_EQ(EventPost(kFirstCustomEvent + 5), 1);  // the built-in platform again
  EXPECT_TRUE(fake.posted.empty());
  EXPECT_EQ(EventWait(0), kFirstCustomEvent);  // queued events come before the pump
  EXPECT_EQ(EventWait(0), kPlatformMessage);
  EXPECT_EQ(Drain(), std::vector<int32_t>{kFirstCustomEvent + 5});
}

}  // namespace
