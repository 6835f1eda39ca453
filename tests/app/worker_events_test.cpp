// The worker's events drive a run from row to row: past unchecked rows, on to a row
// checked above the run meanwhile, and to the failure message when the last entry fails.
#include "app_state.h"
#include "gadgets.h"
#include "run_fixture.h"

namespace run_test {
namespace {

using R = TextRole;
using WorkerEventsTest = RunTest;

TEST_F(WorkerEventsTest, ARunWhoseLastEntryFailsEndsWithTheFailureMessage) {
  Start();
  PublishPicture("good.jpg");
  Query({PicturePath("good.jpg"), PicturePath("gone.jpg")});
  WriteFlags({2, 2});
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  const auto rows = Rows();
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(rows[1][kColumnStatus], T(R::StatusTextFailed));
  EXPECT_EQ(StatusColour(1), kColourRed);
  EXPECT_EQ(app_.StatusText(), T(R::EntryFailedMessage));
  EXPECT_EQ(Enabled(), (std::vector<int>{1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(app_.OnUiValue<int64_t>([] { return DownloadActive.load(); }), 0);
}

TEST_F(WorkerEventsTest, UncheckedQueuedRowsAreSkipped) {
  Start();
  for (const char* name : {"one.jpg", "two.jpg", "three.jpg"}) PublishPicture(name, 200, 150);
  Query({PicturePath("one.jpg"), PicturePath("two.jpg"), PicturePath("three.jpg")});
  WriteFlags({2, 1, 2});
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  const auto rows = Rows();
  EXPECT_EQ(rows[0][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(rows[1][kColumnStatus], T(R::StatusTextQueued));
  EXPECT_EQ(rows[1][kColumnSize], T(R::SizePlaceholder));
  EXPECT_EQ(rows[2][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(server_.Hits(PicturePath("two.jpg")), 0);
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_one.jpg", "Run_three.jpg"}));
  EXPECT_EQ(app_.StatusText(), T(R::RunFinishedMessage));
}

TEST_F(WorkerEventsTest, ARowCheckedAboveTheRunDuringItIsStillFetched) {
  Start();
  PublishPicture("above.jpg", 200, 150);
  PublishGatedPicture("held.jpg");
  PublishPicture("below.jpg", 200, 150);
  Query({PicturePath("above.jpg"), PicturePath("held.jpg"), PicturePath("below.jpg")});
  WriteFlags({1, 2, 2});  // the first row only selected
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForStatus(1, R::StatusTextDownloading));
  // A selected row's checkbox may change during a run; the run's scans must see it.
  app_.Give([] { EXPECT_TRUE(ClickListCheckbox(kItemList, 0)); });
  Release();
  ASSERT_TRUE(WaitForRunEnd());
  for (const auto& row : Rows()) EXPECT_EQ(row[kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(SavedFiles().size(), 3u);
}

}  // namespace
}  // namespace run_test
