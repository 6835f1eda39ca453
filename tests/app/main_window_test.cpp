// The main window end to end: the notice before it, the window as built and laid out,
// and its filter.
#include "main_window.h"

#include <gtest/gtest.h>

#include "app_harness.h"
#include "app_state.h"
#include "fonts.h"
#include "gadgets.h"
#include "program.h"
#include "report_list.h"
#include "statusbar.h"
#include "texts.h"
#include "toolbar.h"
#include "toolkit_windows.h"

namespace {

using R = TextRole;
using namespace std::chrono_literals;


class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app_.Start(TestTextTable(server_.Port()))); }
  void TearDown() override { EXPECT_EQ(app_.Stop(), 0); }

  struct Box {
    int64_t x, y, width, height;
    bool operator==(const Box&) const = default;
  };
  static Box GadgetBox(int64_t gadget) {
    return {GadgetGetX(gadget), GadgetGetY(gadget), GadgetGetWidth(gadget),
            GadgetGetHeight(gadget)};
  }

  TestWebServer server_;
  AppRun app_;
};

TEST_F(MainWindowTest, NoticeComesFirstAndTheWindowIsBuiltAsDesigned) {
  const auto boxes = app_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, T(R::NoticeTitle));
  EXPECT_EQ(boxes[0].text, T(R::NoticeText));
  EXPECT_EQ(boxes[0].icon, BoxIcon::Warning);

  app_.OnUi([] {
    EXPECT_EQ(WindowGetInnerWidth(kMainWindow), 640);
    EXPECT_EQ(WindowGetInnerHeight(kMainWindow), 320);
    EXPECT_EQ(MainWindowTitle(), T(R::WindowTitle) + T(R::WindowTitleSecond));
    // The toolbar gadgets count from the toolbar's corner.
    const int64_t toolbar = ToolbarGetHandle(kMainToolbar);
    for (int64_t gadget : {kSearchField, kToolbarDivider, kFolderButton, kFolderField})
      EXPECT_EQ(NativeParentOf(gadget), toolbar) << gadget;
    EXPECT_EQ(GadgetBox(kSearchField), (Box{78, 3, 240, 18}));
    EXPECT_EQ(GadgetBox(kToolbarDivider), (Box{324, 3, 2, 20}));
    EXPECT_EQ(GadgetBox(kFolderButton), (Box{330, 3, 18, 18}));
    EXPECT_EQ(GadgetBox(kFolderField), (Box{352, 3, 280, 18}));
    EXPECT_EQ(GadgetGetText(kFolderButton), T(R::SizePlaceholder));
    EXPECT_EQ(GadgetIsDisabled(kFolderField), 0);
    // The test program's folder can be written to, so downloads start there.
    EXPECT_EQ(GadgetGetText(kFolderField), PathOfFile(ProgramFilePath()));
    EXPECT_EQ(DownloadFolder, PathOfFile(ProgramFilePath()));
    EXPECT_EQ(GadgetGetText(kSearchField), u"");
    EXPECT_EQ(StatusbarGetText(kMainStatusbar, kStatusField), u"");

    const int64_t toolbarHeight = ToolbarGetHeight(kMainToolbar);
    const int64_t statusHeight = StatusbarGetHeight(kMainStatusbar);
    EXPECT_EQ(GadgetBox(kItemList),
              (Box{0, toolbarHeight, 640, 320 - toolbarHeight - statusHeight}));
    EXPECT_EQ(ListColumnCount(kItemList), 4);
    EXPECT_EQ(GadgetBox(kProgressPanel), (Box{240, 2, 400, statusHeight - 4}));
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 123, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{133, 4, 246, 10}));
    EXPECT_EQ(GadgetGetProperty(kFileProgressBar, kProgressMaximum), 100);
    EXPECT_EQ(GadgetGetProperty(kBatchProgressBar, kProgressMaximum), 1);

    EXPECT_EQ(ToolbarButtonCount(kMainToolbar), 3);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kClearButton), 0);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton), 1);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kStopButton), 1);
    EXPECT_EQ(ToolbarGetTip(kMainToolbar, kStopButton), T(R::TipStopButton));
    EXPECT_EQ(GadgetGetTip(kSearchField), T(R::TipSearchField));
    EXPECT_EQ(GadgetGetTip(kBatchProgressBar), T(R::TipBatchProgress));

    // The mark's font: large and bold.
    FontSpec mark;
    ASSERT_TRUE(FontDescribe(FontGetHandle(kMarkFont), mark));
    EXPECT_EQ(mark.flags & kFontBold, kFontBold);
    EXPECT_EQ(mark.pixelHeight, 216 * FontScreenDpi() / 72);
  });
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowAndStopsAtTheMinimumSize) {
  app_.OnUi([] { WindowMove(kMainWindow, kKeepValue, kKeepValue, 1000, 600); });
  ASSERT_TRUE(app_.WaitUntil([] { return GadgetGetWidth(kFolderField) == 640; }));
  app_.OnUi([] {
    const int64_t bars = ToolbarGetHeight(kMainToolbar) + StatusbarGetHeight(kMainStatusbar);
    EXPECT_EQ(GadgetGetWidth(kItemList), 1000);
    EXPECT_EQ(GadgetGetHeight(kItemList), 600 - bars);
    EXPECT_EQ(GadgetGetWidth(kProgressPanel), 760);
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 243, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{253, 4, 486, 10}));
    WindowMove(kMainWindow, kKeepValue, kKeepValue, 300, 100);
  });
  ASSERT_TRUE(app_.WaitUntil([] { return GadgetGetWidth(kFolderField) == 280; }));
  app_.OnUi([] {
    EXPECT_EQ(WindowGetInnerWidth(kMainWindow), 640);
    EXPECT_EQ(WindowGetInnerHeight(kMainWindow), 320);
    EXPECT_EQ(GadgetBox(kFileProgressBar), (Box{5, 4, 123, 10}));
    EXPECT_EQ(GadgetBox(kBatchProgressBar), (Box{133, 4, 246, 10}));
  });
}

TEST_F(MainWindowTest, FilterRefusesBareCheckboxChangesOnlyDuringARun) {
  app_.OnUi([] {
    const int64_t list = GadgetGetHandle(kItemList);
    const int64_t window = WindowGetHandle(kMainWindow);
    auto answer = [&](ListChangeNotice notice, uint32_t message = kMessageNotify) {
      return MainWindowFilter(window, message, kItemList, reinterpret_cast<int64_t>(&notice));
    };
    const ListChangeNotice tick{list,
                                kItemList,
                                kListNotifyItemChanging,
                                0,
                                kListFieldState,
                                kListStateChecked,
                                kListStateUnchecked};
    ListChangeNotice untick = tick;
    untick.newState = kListStateUnchecked;
    ListChangeNotice selectedRow = tick;
    selectedRow.newState = kListStateChecked | kListStateSelected | kListStateFocused;
    ListChangeNotice focusedRow = tick;
    focusedRow.newState = kListStateUnchecked | kListStateFocused;
    ListChangeNotice moreFields = tick;
    moreFields.changedMask = kListFieldState | 1;
    ListChangeNotice otherList = tick;
    otherList.fromHandle = window;
    ListChangeNotice otherCode = tick;
    otherCode.code = -101;

    DownloadActive = 0;
    for (const ListChangeNotice& notice : {tick, untick, selectedRow})
      EXPECT_EQ(answer(notice), kFilterDefault);
    DownloadActive = 1;
    EXPECT_EQ(answer(tick), 1);
    EXPECT_EQ(answer(untick), 1);
    for (const ListChangeNotice& notice :
         {selectedRow, focusedRow, moreFields, otherList, otherCode})
      EXPECT_EQ(answer(notice), kFilterDefault);
    EXPECT_EQ(answer(tick, kMessageSize), kFilterDefault);
    EXPECT_EQ(MainWindowFilter(window, kMessageNotify, 0, 0), kFilterDefault);
    DownloadActive = 0;
  });
}

}  // namespace
