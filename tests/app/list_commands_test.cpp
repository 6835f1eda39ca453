// The list's commands end to end: checks, selection, queue states, the download button,
// select all, clear, the popup menu and the folder chooser.
#include <gtest/gtest.h>

#include "app_harness.h"
#include "app_state.h"
#include "catalogue_items.h"
#include "events.h"
#include "gadgets.h"
#include "program.h"
#include "report_list.h"
#include "scratch_folder.h"
#include "statusbar.h"
#include "texts.h"
#include "toolbar.h"

namespace {

using R = TextRole;
using namespace std::chrono_literals;

constexpr int64_t kRows = 5;

std::string FiveEntries(const TestWebServer& server) {
  std::string xml = "<catalogue><album title=\"Five\"/><section><group kind=\"pictures\">";
  for (int i = 1; i <= kRows; ++i)
    xml += "<entry><image src=\"" + server.Url("/p/" + std::to_string(i) + ".jpg") + "\"/></entry>";
  return xml + "</group></section></catalogue>";
}

class ListCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const TestAddresses addresses = TestAddressesFor(server_.Port());
    catalogue_ = addresses.cataloguePrefix + "/five.xml";
    server_.Serve(catalogue_.substr(server_.Url("").size()), FiveEntries(server_));
    ASSERT_TRUE(app_.Start(TestTextTable(server_.Port())));
    app_.Search(catalogue_);
    ASSERT_EQ(app_.Rows().size(), static_cast<size_t>(kRows));
  }
  void TearDown() override { EXPECT_EQ(app_.Stop(), 0); }

  // A command as the toolbar, the popup menu or a shortcut raises it.
  void Command(int64_t item) {
    app_.OnUi([item] { EventRaise(kEventMenu, kMainWindow, item, 0, 0, false); });
  }
  void WriteFlags(std::vector<int64_t> flags) {
    app_.OnUi([&flags] {
      for (size_t row = 0; row < flags.size(); ++row)
        ListSetItemFlags(kItemList, static_cast<int64_t>(row), flags[row]);
    });
  }
  std::vector<int64_t> Flags() {
    return app_.OnUiValue<std::vector<int64_t>>([] {
      std::vector<int64_t> flags;
      for (int64_t row = 0; row < ListItemCount(kItemList); ++row)
        flags.push_back(ListGetItemFlags(kItemList, row) & (kListItemSelected | kListItemChecked));
      return flags;
    });
  }
  bool DownloadEnabled() {
    return app_.OnUiValue<bool>([] { return ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton) == 0; });
  }
  void SetDownloadEnabled(bool enabled) {
    app_.OnUi([enabled] { ToolbarSetButtonDisabled(kMainToolbar, kDownloadButton, enabled ? 0 : 1); });
  }
  void SetBars(int64_t file, int64_t batch) {
    app_.OnUi([=] {
      GadgetSetProperty(kBatchProgressBar, kProgressMaximum, 10);
      GadgetSetValue(kFileProgressBar, file);
      GadgetSetValue(kBatchProgressBar, batch);
    });
  }
  // How far each bar is above its minimum (a bar set below its range shows its minimum).
  std::pair<int64_t, int64_t> Bars() {
    return app_.OnUiValue<std::pair<int64_t, int64_t>>([] {
      auto above = [](int64_t bar) { return GadgetGetValue(bar) - GadgetGetProperty(bar, kProgressMinimum); };
      return std::pair{above(kFileProgressBar), above(kBatchProgressBar)};
    });
  }
  // A row as a finished run may leave it.
  void MarkRow(int64_t row, R status, const Text& size, uint32_t colour) {
    app_.OnUi([=] {
      ListSetCellText(kItemList, row, T(status), kColumnStatus);
      ListSetCellText(kItemList, row, size, kColumnSize);
      ListSetCellColor(kItemList, row, kListColourText, colour, kColumnStatus);
    });
  }
  int64_t StatusColour(int64_t row) {
    return app_.OnUiValue<int64_t>([row] { return ListGetCellColor(kItemList, row, kListColourText, kColumnStatus); });
  }
  // Clicks a row's name cell with the mouse (a right click may open the popup menu, which
  // holds the UI thread until it closes).
  void ClickRow(int64_t row, UiButton button) {
    app_.OnUiLater([=] { ClickListRow(kItemList, row, 1, button); });
  }
  bool PopupShown() { return app_.OnUiValue<bool>(&PopupOpen); }

  TestWebServer server_;
  std::string catalogue_;
  AppRun app_;
};

TEST_F(ListCommandsTest, CheckSelectedCopiesTheSelectionIntoTheChecks) {
  WriteFlags({1, 2, 3, 0, 2});
  SetDownloadEnabled(false);
  Command(kMenuCheckSelected);
  EXPECT_EQ(Flags(), (std::vector<int64_t>{2, 0, 2, 0, 0}));
  EXPECT_TRUE(DownloadEnabled());

  // With nothing selected every check goes, and the button is enabled all the same.
  SetDownloadEnabled(false);
  Command(kMenuCheckSelected);
  EXPECT_EQ(Flags(), (std::vector<int64_t>(kRows, 0)));
  EXPECT_TRUE(DownloadEnabled());
}

TEST_F(ListCommandsTest, CheckAllUncheckAllAndInvert) {
  WriteFlags({1, 2, 3, 0, 0});
  Command(kMenuInvertChecks);
  EXPECT_EQ(Flags(), (std::vector<int64_t>{2, 0, 0, 2, 2}));
  EXPECT_TRUE(DownloadEnabled());
  Command(kMenuUncheckAll);
  EXPECT_EQ(Flags(), (std::vector<int64_t>(kRows, 0)));
  EXPECT_FALSE(DownloadEnabled());
  WriteFlags({1, 0, 0, 0, 1});
  Command(kMenuCheckAll);
  EXPECT_EQ(Flags(), (std::vector<int64_t>(kRows, 2)));
  EXPECT_TRUE(DownloadEnabled());
}

TEST_F(ListCommandsTest, RequeueTurnsOnlyFailedRowsBackIntoCheckedQueuedRows) {
  MarkRow(1, R::StatusTextFailed, u"...", kColourRed);
  MarkRow(2, R::StatusTextDone, u"1,234", kColourBlack);
  MarkRow(3, R::StatusTextFailed, u"9", kColourRed);
  WriteFlags({0, 1, 2, 0, 0});
  SetDownloadEnabled(false);
  SetBars(40, 3);
  Command(kMenuRequeueFailed);
  EXPECT_EQ(Flags(), (std::vector<int64_t>{0, 2, 2, 2, 0}));
  const auto rows = app_.Rows();
  for (int64_t row : {1, 3}) {
    EXPECT_EQ(rows[row][kColumnStatus], T(R::StatusTextQueued));
    EXPECT_EQ(rows[row][kColumnSize], T(R::SizePlaceholder));
    EXPECT_EQ(StatusColour(row), kColourBlack);
  }
  EXPECT_EQ(rows[2][kColumnStatus], T(R::StatusTextDone));
  EXPECT_EQ(rows[2][kColumnSize], u"1,234");
  EXPECT_TRUE(DownloadEnabled());
  EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 0}));
}

TEST_F(ListCommandsTest, RequeueWithoutFailedRowsOnlyResetsTheBars) {
  MarkRow(0, R::StatusTextDone, u"77", kColourBlack);
  WriteFlags({2, 1, 0, 0, 0});
  for (bool enabled : {false, true}) {
    SetDownloadEnabled(enabled);
    SetBars(55, 4);
    Command(kMenuRequeueFailed);
    EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 0}));
    EXPECT_EQ(DownloadEnabled(), enabled);
    EXPECT_EQ(Flags(), (std::vector<int64_t>{2, 1, 0, 0, 0}));
    EXPECT_EQ(app_.Rows()[0][kColumnStatus], T(R::StatusTextDone));
  }
}

TEST_F(ListCommandsTest, ResetAllQueuesAndUnchecksEveryRow) {
  MarkRow(0, R::StatusTextDone, u"1,000", kColourBlack);
  MarkRow(1, R::StatusTextFailed, u"...", kColourRed);
  MarkRow(2, R::StatusTextDownloading, u"...", kColourBlue);
  WriteFlags({2, 3, 2, 1, 0});
  SetDownloadEnabled(true);
  SetBars(10, 2);
  Command(kMenuResetAll);
  EXPECT_EQ(Flags(), (std::vector<int64_t>(kRows, 0)));
  for (const auto& row : app_.Rows()) {
    EXPECT_EQ(row[kColumnStatus], T(R::StatusTextQueued));
    EXPECT_EQ(row[kColumnSize], T(R::SizePlaceholder));
  }
  for (int64_t row : {0, 1, 2}) EXPECT_EQ(StatusColour(row), kColourBlack);
  EXPECT_FALSE(DownloadEnabled());
  EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 0}));
}

TEST_F(ListCommandsTest, ControlASelectsTheListOrTheSearchText) {
  WriteFlags({2, 0, 3, 0, 0});
  app_.Focus(kItemList);
  app_.PressKey(UiKey::A, true);
  EXPECT_EQ(Flags(), (std::vector<int64_t>{3, 1, 3, 1, 1}));

  app_.Focus(kSearchField);
  app_.OnUi([] { SetFieldText(kSearchField, u"900 5"); });
  app_.PressKey(UiKey::A, true);
  app_.OnUi([] { EXPECT_EQ(FieldSelection(kSearchField), u"900 5"); });
}

TEST_F(ListCommandsTest, ControlAInAnEmptyListChangesNothing) {
  Command(kMenuClear);
  app_.Focus(kItemList);
  app_.PressKey(UiKey::A, true);
  EXPECT_TRUE(app_.Rows().empty());
  EXPECT_EQ(app_.StatusText(), u"");
}

TEST_F(ListCommandsTest, ClearEmptiesListAndRecordsAndRestoresTheControls) {
  SetBars(30, 5);
  app_.OnUi([] {
    StatusbarSetText(kMainStatusbar, kStatusField, u"something", 0);
    ToolbarSetButtonDisabled(kMainToolbar, kStopButton, 0);
    GadgetSetDisabled(kSearchField, 1);
  });
  Command(kMenuClear);
  EXPECT_TRUE(app_.Rows().empty());
  EXPECT_EQ(app_.StatusText(), T(R::NeutralText));
  EXPECT_EQ(Bars(), (std::pair<int64_t, int64_t>{0, 0}));
  app_.OnUi([] {
    EXPECT_EQ(CatalogueItemsCount(), 0);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kClearButton), 0);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton), 1);
    EXPECT_EQ(ToolbarIsButtonDisabled(kMainToolbar, kStopButton), 1);
    EXPECT_EQ(GadgetIsDisabled(kSearchField), 0);
  });
}

TEST_F(ListCommandsTest, LeftClickEnablesDownloadOnlyWhenSomeRowIsChecked) {
  SetDownloadEnabled(true);
  ClickRow(1, UiButton::Left);
  ASSERT_TRUE(app_.WaitUntil([] { return ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton) == 1; }));
  WriteFlags({0, 0, 0, 2, 0});
  ClickRow(0, UiButton::Left);
  EXPECT_TRUE(app_.WaitUntil([] { return ToolbarIsButtonDisabled(kMainToolbar, kDownloadButton) == 0; }));
}

TEST_F(ListCommandsTest, RightClickOpensThePopupWhoseItemsRunTheCommands) {
  WriteFlags({0, 0, 0, 0, 0});
  ClickRow(2, UiButton::Right);
  ASSERT_TRUE(app_.WaitUntil(&PopupOpen));
  // Choose "check all rows" with the keyboard, as a user could.
  app_.OnUi([] { ASSERT_TRUE(ChoosePopupItem({0, 1})); });
  ASSERT_TRUE(app_.WaitUntil([] { return !PopupOpen(); }));
  EXPECT_EQ(Flags(), (std::vector<int64_t>(kRows, 2)));
  EXPECT_TRUE(DownloadEnabled());
}

TEST_F(ListCommandsTest, DuringARunOnlySelectedRowsCheckboxesToggleButNeverTheDownloadingRow) {
  auto clickCheckbox = [this](int row) {
    app_.Give([row] { ASSERT_TRUE(ClickListCheckbox(kItemList, row)); });
  };
  WriteFlags({1, 0, 0, 0, 0});
  app_.OnUi([] { DownloadActive = 1; });
  clickCheckbox(2);
  EXPECT_EQ(Flags()[2], 0) << "a bare row keeps its check while a run is active";
  clickCheckbox(0);
  EXPECT_EQ(Flags()[0] & kListItemChecked, kListItemChecked) << "the selected row may still change";
  app_.OnUi([] { DownloadActive = 0; });
  clickCheckbox(2);
  EXPECT_EQ(Flags()[2] & kListItemChecked, kListItemChecked);
  // The row being downloaded keeps its check, selected or not, run active or stopped:
  // its worker finds it by that check.
  WriteFlags({0, 3, 0, 0, 0});
  MarkRow(1, R::StatusTextDownloading, T(R::SizePlaceholder), kColourBlack);
  clickCheckbox(1);
  app_.OnUi([] { DownloadActive = 1; });
  clickCheckbox(1);
  EXPECT_EQ(Flags()[1], 3);
  app_.OnUi([] { DownloadActive = 0; });
}

TEST_F(ListCommandsTest, NoPopupInAnEmptyListOrDuringARun) {
  app_.OnUi([] { DownloadActive = 1; });
  ClickRow(0, UiButton::Right);
  app_.Give([] {});
  EXPECT_FALSE(PopupShown());
  app_.OnUi([] { DownloadActive = 0; });

  Command(kMenuClear);
  app_.OnUiLater([] { ClickListSpace(kItemList, UiButton::Right); });
  app_.Give([] {});
  EXPECT_FALSE(PopupShown());
}

TEST_F(ListCommandsTest, FolderChooserChangesTheFolderOnlyWhenAFolderIsChosen) {
  const Text initial = app_.OnUiValue<Text>([] { return DownloadFolder; });
  auto openChooser = [this] {
    app_.OnUiLater([] { ClickButton(kFolderButton); });
    EXPECT_TRUE(app_.WaitUntil(&FolderChooserOpen));
  };
  openChooser();
  app_.OnUi(&CancelFolderChooser);
  app_.OnUi([&] {
    EXPECT_EQ(DownloadFolder, initial);
    EXPECT_EQ(GadgetGetText(kFolderField), initial);
  });

  ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const Text chosen = TextFromUtf8(folder.Path());
  openChooser();
  app_.OnUi([&] { AcceptFolderChooser(chosen); });
  const Text expected = chosen + kPathSeparator;
  EXPECT_TRUE(app_.WaitUntil([&] { return DownloadFolder == expected; }));
  app_.OnUi([&] { EXPECT_EQ(GadgetGetText(kFolderField), expected); });
}

}  // namespace
