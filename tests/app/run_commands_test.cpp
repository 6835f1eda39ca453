// How a download run ends: on a last entry that fails, on stop (also against a server
// that has stalled, and with download pressed again at once), and past unchecked rows.
#include <QAbstractItemView>
#include <QTest>
#include <chrono>
#include <thread>

#include "app_state.h"
#include "gadgets.h"
#include "list_checkbox.h"
#include "run_fixture.h"

namespace run_test {
namespace {

using R = TextRole;
using namespace std::chrono_literals;

class RunStopTest : public RunTest {
 protected:
  // A run over a stalled entry and one after it, once half of the first has arrived.
  void StartStalledRun() {
    Start();
    PublishStalledPicture("slow.jpg");
    PublishPicture("next.jpg");
    Query({PicturePath("slow.jpg"), PicturePath("next.jpg")});
    WriteFlags({2, 2});
    Command(kMenuDownload);
    ASSERT_TRUE(app_.WaitUntil([] { return GadgetGetValue(kFileProgressBar) >= 40; }));
    EXPECT_EQ(Rows()[0][kColumnStatus], T(R::StatusTextDownloading));
  }
};

TEST_F(RunStopTest, ARunWhoseLastEntryFailsEndsWithTheFailureMessage) {
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

TEST_F(RunStopTest, StopDuringAStalledFetchQueuesTheRowAgainWithinASecond) {
  ASSERT_NO_FATAL_FAILURE(StartStalledRun());
  const auto stopped = std::chrono::steady_clock::now();
  Command(kMenuStop);
  ASSERT_TRUE(WaitForStatus(0, R::StatusTextQueued, 5s));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1500ms);
  ASSERT_TRUE(WaitForRunEnd());

  const auto rows = Rows();
  EXPECT_EQ(rows[1][kColumnStatus], T(R::StatusTextQueued));
  EXPECT_EQ(StatusColour(0), kColourBlack);
  EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 0}));
  EXPECT_EQ(Enabled(), (std::vector<int>{1, 1, 0, 1, 1, 1}));
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_EQ(server_.Hits(PicturePath("next.jpg")), 0);
  // The stopped row stays checked, so the next run fetches it anew.
  Release();
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Rows()[0][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(Rows()[1][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(SavedFiles(), (std::vector<std::string>{"Run_next.jpg", "Run_slow.jpg"}));
}

TEST_F(RunStopTest, DownloadPressedRightAfterStopWaitsForTheStoppedEntry) {
  ASSERT_NO_FATAL_FAILURE(StartStalledRun());
  // The stopped worker has not ended yet when download is pressed again.
  Command(kMenuStop);
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForStatus(0, R::StatusTextQueued, 5s));
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Rows()[1][kColumnStatus], T(R::StatusTextQueued));
  EXPECT_EQ(server_.Hits(PicturePath("next.jpg")), 0);
  EXPECT_TRUE(SavedFiles().empty());
}

TEST_F(RunStopTest, StopDuringAStalledHeaderRequestEndsTheEntryAndHoldsDownloadUntilThen) {
  Start();
  server_.Handle(PicturePath("quiet.jpg"), [this](const httplib::Request& request, httplib::Response& response) {
    for (int waited = 0; request.method == "HEAD" && !released_ && waited < 20000; waited += 10)
      std::this_thread::sleep_for(10ms);
    response.set_content("not reached", "image/jpeg");
  });
  Query({PicturePath("quiet.jpg")});
  WriteFlags({2});
  Command(kMenuDownload);
  ASSERT_TRUE(app_.WaitUntil([this] { return server_.Hits(PicturePath("quiet.jpg")) > 0; }));
  const auto stopped = std::chrono::steady_clock::now();
  Command(kMenuStop);
  // The stopped worker has not ended yet: download waits for it instead of ignoring a press.
  EXPECT_EQ(Enabled(), (std::vector<int>{1, 0, 0, 1, 1, 1}));
  ASSERT_TRUE(WaitForStatus(0, R::StatusTextQueued, 5s));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2s);
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Enabled(), (std::vector<int>{1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(server_.Hits(PicturePath("quiet.jpg")), 1);  // no fetch after the stop
}

TEST_F(RunStopTest, UncheckedQueuedRowsAreSkipped) {
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

TEST_F(RunStopTest, ARowCheckedAboveTheRunDuringItIsStillFetched) {
  Start();
  PublishPicture("above.jpg", 200, 150);
  PublishGatedPicture("held.jpg");
  PublishPicture("below.jpg", 200, 150);
  Query({PicturePath("above.jpg"), PicturePath("held.jpg"), PicturePath("below.jpg")});
  WriteFlags({1, 2, 2});  // the first row only selected
  Command(kMenuDownload);
  ASSERT_TRUE(WaitForStatus(1, R::StatusTextDownloading));
  // A selected row's checkbox may change during a run; the run's scans must see it.
  app_.OnUi([] {
    QWidget* view = AppRun::Gadget(kItemList);
    QTest::mouseClick(qobject_cast<QAbstractItemView*>(view)->viewport(), Qt::LeftButton, {},
                      ListCheckboxRect(kItemList, 0).center());
  });
  Release();
  ASSERT_TRUE(WaitForRunEnd());
  for (const auto& row : Rows()) EXPECT_EQ(row[kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(SavedFiles().size(), 3u);
}

TEST_F(RunStopTest, DownloadWithNothingQueuedOnlyResetsTheBatchBar) {
  Start();
  PublishPicture("one.jpg", 200, 150);
  Query({PicturePath("one.jpg")});
  WriteFlags({0});
  app_.OnUi([] { GadgetSetProperty(kBatchProgressBar, kProgressMaximum, 9); GadgetSetValue(kBatchProgressBar, 5); });
  Command(kMenuDownload);
  EXPECT_EQ(Bars().second, 0);
  EXPECT_EQ(app_.OnUiValue<int64_t>([] { return GadgetGetProperty(kBatchProgressBar, kProgressMaximum); }), 1);
  EXPECT_EQ(app_.StatusText(), T(R::NeutralText));
  EXPECT_EQ(app_.OnUiValue<int64_t>([] { return DownloadActive.load(); }), 0);
  EXPECT_EQ(server_.Hits(PicturePath("one.jpg")), 0);
}

}  // namespace
}  // namespace run_test
