// The download and stop commands: stop during a run (also against a server that has
// stalled, and with download pressed again at once), and download with nothing queued.
#include <chrono>
#include <thread>

#include "app_state.h"
#include "gadgets.h"
#include "run_fixture.h"

namespace run_test {
namespace {

using R = TextRole;
using namespace std::chrono_literals;

class RunCommandsTest : public RunTest {
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

TEST_F(RunCommandsTest, StopDuringAStalledFetchQueuesTheRowAgainWithinASecond) {
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

TEST_F(RunCommandsTest, DownloadPressedRightAfterStopWaitsForTheStoppedEntry) {
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

TEST_F(RunCommandsTest, StopDuringAStalledHeaderRequestEndsTheEntryAndHoldsDownloadUntilThen) {
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

TEST_F(RunCommandsTest, DownloadWithNothingQueuedOnlyResetsTheBatchBar) {
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
