// A long download run and the list's other work give back every Win32 handle they take:
// the program can run for days on Windows, where a process has at most 10,000 GDI objects.
#include <chrono>
#include <string>
#include <vector>

#include "app_state.h"
#include "live_handles_win32.h"
#include "report_list.h"
#include "run_fixture.h"
#include "toolkit_windows.h"

namespace run_test {
namespace {

using namespace std::chrono_literals;

constexpr int kEntries = 1000;

class ResourcesTest : public RunTest {
 protected:
  // Publishes `count` small pictures and lists them, all checked.
  void QueryPictures(int count) {
    const std::string jpeg = MakeJpeg(40, 30);
    std::vector<std::string> paths;
    for (int entry = 0; entry < count; ++entry) {
      paths.push_back(PicturePath("p" + std::to_string(paths.size()) + ".jpg"));
      server_.Serve(paths.back(), jpeg, "image/jpeg");
    }
    Query(paths);
    WriteFlags(std::vector<int64_t>(static_cast<size_t>(count), kListItemChecked));
  }
  void Download() {
    Command(kMenuDownload);
    ASSERT_TRUE(WaitForRunEnd(200s));
  }
};

TEST_F(ResourcesTest, AThousandEntryRunAndTheListsWorkEndWithTheHandlesTheyBeganWith) {
  if (!kCountingHandles) GTEST_SKIP() << "this build keeps no tallies (TRAWL_COUNT_HANDLES)";
  Start();
  // The first run makes what lives as long as the program (the mark's font).
  QueryPictures(1);
  ASSERT_NO_FATAL_FAILURE(Download());
  const auto before = LiveHandles();

  QueryPictures(kEntries);
  ASSERT_NO_FATAL_FAILURE(Download());
  EXPECT_EQ(SavedFiles().size(), static_cast<size_t>(kEntries));
  // The popup menu, a size total with its message box, and clearing the list.
  app_.OnUiLater([] { ClickListRow(kItemList, 0, 1, UiButton::Right); });
  ASSERT_TRUE(app_.WaitUntil(&PopupOpen));
  app_.OnUi(&ClosePopup);
  ASSERT_TRUE(app_.WaitUntil([] { return !PopupOpen(); }));
  const size_t boxes = app_.Boxes().size();
  WriteFlags({kListItemSelected, kListItemSelected});
  Command(kMenuSizeOfSelected);
  ASSERT_TRUE(WaitForBoxes(boxes + 1));
  ASSERT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) == 0; }));
  Command(kMenuClear);
  app_.WaitUntil([&before] { return LiveHandles() == before; }, 5s);
  EXPECT_EQ(LiveHandles(), before);
}

}  // namespace
}  // namespace run_test
