// The Qt application layer: toolkit calls from worker threads carried out on the UI
// thread in order (changes that answer nothing without the worker waiting), and events
// posted from them through the platform's dispatcher.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "gadgets.h"
#include "report_list.h"
#include "statusbar.h"
#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

class QtApplicationTest : public testing::Test {
 protected:
  void SetUp() override {
    WindowCreate(4, 0, 0, 400, 200, u"workers", 0xCF0000);
    GadgetCreateProgressBar(50, 0, 0, 200, 10, 1, 100, 0);
    GadgetCreateReportList(51, 0, 20, 300, 150, u"#", 50, 1);
    ListAddColumn(51, 1, u"size", 80);
    for (int i = 0; i < 20; ++i) ListAddItem(51, -1, u"n\n-");
    StatusbarCreate(4, WindowGetHandle(4));
    StatusbarAddField(240);
    ForgetEvents();
  }
  void TearDown() override {
    WindowClose(4);
    ForgetEvents();
  }
};

TEST_F(QtApplicationTest, WorkerCallsAreCarriedOutInOrder) {
  std::atomic<bool> done{false};
  std::atomic<int> mismatches{0};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      GadgetSetValue(50, i % 100 + 1);
      if (GadgetGetValue(50) != i % 100 + 1) ++mismatches;
      int row = i % 20;
      Text size = u"size " + TextFromInt(i);
      ListSetCellText(51, row, size, 1);
      if (ListGetCellText(51, row, 1) != size) ++mismatches;
      if (ListItemCount(51) != 20 || ListGetItemFlags(51, row) != 0) ++mismatches;
      StatusbarSetText(4, 0, size, 0);
    }
    WindowSetDisabled(4, 1);
    done = true;
  });
  bool finished = PumpUntil([&] { return done.load(); }, 20000);
  worker.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(GadgetGetValue(50), 100);
  EXPECT_EQ(ListGetCellText(51, 19, 1), u"size 199");
  EXPECT_EQ(StatusbarGetText(4, 0), u"size 199");
  EXPECT_EQ(WindowIsDisabled(4), 1);
}

TEST_F(QtApplicationTest, WorkerChangesRaiseNoEventsEither) {
  RecordEvents(kEventGadget);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ListSetItemFlags(51, 3, 3);
    GadgetSetValue(51, 5);
    done = true;
  });
  // The selection is set after the worker went on: it may still be on its way.
  PumpUntil([&] { return done.load() && ListGetItemFlags(51, 5) == 1; });
  worker.join();
  EXPECT_EQ(ListGetItemFlags(51, 5), 1);
  EXPECT_EQ(CountSeen(kEventGadget, 51, kGadgetChange), 0u);
}

// What the UI thread read when the worker's event came.
int64_t barAtEvent = -1;
Text cellAtEvent;
int NoteStateAtEvent() {
  barAtEvent = GadgetGetValue(50);
  cellAtEvent = ListGetCellText(51, 2, 1);
  return 0;
}

TEST_F(QtApplicationTest, AWorkersValuesAndCellTextsDoNotWaitAndAreSetBeforeItsLaterEvents) {
  EventBind(0x10007, &NoteStateAtEvent);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    GadgetSetValue(50, 42);
    ListSetCellText(51, 2, u"later", 1);
    returned = true;
    EventPost(0x10007, 4, 1);
  });
  // Nothing serves the UI thread meanwhile: a worker that waited for it would hang here.
  for (int waited = 0; !returned && waited < 5000; waited += 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(returned);
  EXPECT_NE(GadgetGetValue(50), 42);  // not yet
  PumpUntil([] { return barAtEvent >= 0; });
  worker.join();
  EXPECT_EQ(barAtEvent, 42);
  EXPECT_EQ(cellAtEvent, u"later");
}

TEST_F(QtApplicationTest, PostedEventsArriveInOrderAndWakeTheWait) {
  RecordEvents(0x10000);
  RecordEvents(0x10001);
  constexpr int kPosts = 500;
  std::thread worker([] {
    for (int i = 0; i < kPosts; ++i) EventPost(0x10000 + (i % 2), 4, i);
  });
  std::vector<int64_t> objects;
  PumpUntil([&] { return Seen().size() == kPosts; }, 20000);
  worker.join();
  ASSERT_EQ(Seen().size(), static_cast<size_t>(kPosts));
  for (int i = 0; i < kPosts; ++i) {
    EXPECT_EQ(Seen()[i].object, i);
    EXPECT_EQ(Seen()[i].event, 0x10000 + (i % 2));
  }
}

TEST_F(QtApplicationTest, WaitWithATimeLimitReturnsWhenNothingComes) {
  ForgetEvents();
  EXPECT_EQ(EventWait(0), 0);
  EXPECT_EQ(EventWait(30), 0);
  std::thread worker([] { EventPost(0x10005, 0, 7); });
  int32_t got = 0;
  for (int i = 0; i < 500 && got != 0x10005; ++i) got = EventWait(10);
  worker.join();
  EXPECT_EQ(got, 0x10005);
  EXPECT_EQ(EventCurrentObject(), 7);
}

}  // namespace
