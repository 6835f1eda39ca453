// The report list: what the program writes and reads, what the user's clicks raise and
// what the window filter may refuse.
#include "report_list.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTreeView>

#include "gadgets.h"
#include "list_checkbox.h"
#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

std::atomic<bool> refuseToggles{false};
std::vector<ListChangeNotice> notices;

int64_t ListFilter(int64_t, uint32_t message, uint64_t, int64_t lParam) {
  if (message != kMessageNotify) return kFilterDefault;
  const auto& notice = *reinterpret_cast<const ListChangeNotice*>(lParam);
  notices.push_back(notice);
  bool checkboxOnly =
      notice.newState == kListStateChecked || notice.newState == kListStateUnchecked;
  if (notice.code == kListNotifyItemChanging && notice.changedMask == kListFieldState &&
      checkboxOnly && refuseToggles)
    return 1;
  return kFilterDefault;
}

class ReportListTest : public testing::Test {
 protected:
  void SetUp() override {
    WindowCreate(3, 0, 0, 400, 300, u"list", 0x10CF0000);
    GadgetCreateReportList(20, 0, 0, 400, 300, u"#", 56, 0x40010005);
    ListAddColumn(20, 1, u"Name", 120);
    ListAddColumn(20, 2, u"Status", 100);
    for (Text row : {u"1\na\nq", u"2\nb\nq", u"3\nc\nq"}) ListAddItem(20, -1, row);
    WindowSetFilter(ListFilter, 3);
    ASSERT_TRUE(ShowActive(WindowGetHandle(3)));
    RecordEvents(kEventGadget);
    ForgetEvents();
    notices.clear();
    refuseToggles = false;
  }
  void TearDown() override {
    WindowClose(3);
    ForgetEvents();
  }
  QTreeView* View() { return static_cast<QTreeView*>(WidgetAt(GadgetGetHandle(20))); }
  QWidget* Viewport() { return View()->viewport(); }
  void ClickCheckbox(int row) {
    QRect box = ListCheckboxRect(20, row);
    ASSERT_FALSE(box.isEmpty());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, box.center());
  }
  void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
    QRect cell = View()->visualRect(View()->model()->index(row, 1));
    QTest::mouseClick(Viewport(), button, {}, cell.center());
  }
};

TEST_F(ReportListTest, ProgramWritesAndReadsRowsWithoutRaisingEvents) {
  EXPECT_EQ(ListItemCount(20), 3);
  EXPECT_EQ(ListColumnCount(20), 3);
  EXPECT_EQ(ListGetColumnWidth(20, 1), 120);
  ListAddItem(20, 1, u"new\nrow");
  EXPECT_EQ(ListGetCellText(20, 1, 1), u"row");
  EXPECT_EQ(ListGetCellText(20, 2, 1), u"b");
  ListSetCellText(20, 3, u"done", 2);
  EXPECT_EQ(ListGetCellText(20, 3, 2), u"done");
  ListSetItemValue(20, 2, 0x123456789AB);
  EXPECT_EQ(ListGetItemValue(20, 2), 0x123456789AB);
  EXPECT_EQ(ListGetItemValue(20, 9), 0);
  ListSetItemFlags(20, 0, 3);
  ListSetItemFlags(20, 2, 1);
  EXPECT_EQ(ListGetItemFlags(20, 0), 3);
  EXPECT_EQ(ListGetItemFlags(20, 2), 1);
  EXPECT_EQ(GadgetGetValue(20), 0);
  GadgetSetValue(20, 3);
  EXPECT_EQ(ListGetItemFlags(20, 0), 2) << "setting the value clears the other selections";
  EXPECT_EQ(GadgetGetValue(20), 3);
  GadgetSetValue(20, -1);
  EXPECT_EQ(GadgetGetValue(20), -1);
  EXPECT_TRUE(Seen().empty()) << "program changes raised " << Seen().size() << " events";
  ListRemoveAllItems(20);
  EXPECT_EQ(ListItemCount(20), 0);
  EXPECT_EQ(ListGetItemFlags(20, 0), 0);
}

TEST_F(ReportListTest, WritingFlagsReplacesSelectionAndCheckTogether) {
  ListSetItemFlags(20, 1, 1);
  ASSERT_EQ(ListGetItemFlags(20, 1), 1);
  ListSetItemFlags(20, 1, 2);
  EXPECT_EQ(ListGetItemFlags(20, 1), 2) << "ticked, selection removed";
  EXPECT_EQ(ListGetFocusedRow(20), -1) << "the focus mark went with the selection";
  QCoreApplication::processEvents();  // the view learns the program's changes on its turn
  EXPECT_FALSE(View()->currentIndex().isValid());
  EXPECT_FALSE(View()->selectionModel()->hasSelection());
  ListSetItemFlags(20, 1, 0);
  EXPECT_EQ(ListGetItemFlags(20, 1), 0);
  ListSetItemFlags(20, 1, 4);
  EXPECT_EQ(ListGetItemFlags(20, 1), 0) << "no third state without three-state checkboxes";
}

TEST_F(ReportListTest, CellColoursReachEveryRowOrColumnAsAsked) {
  ListSetCellColor(20, -1, kListColourText, 0x0000FF, 2);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(ListGetCellColor(20, row, 1, 2), 0x0000FF);
  ListSetCellColor(20, 1, kListColourBackground, 0x00FF00, -1);
  for (int column = 0; column < 3; ++column)
    EXPECT_EQ(ListGetCellColor(20, 1, 2, column), 0x00FF00);
  EXPECT_EQ(ListGetCellColor(20, 0, 2, 0), -1);
  ListSetCellColor(20, 7, kListColourText, 0, 0);  // outside: ignored
  // The view paints with the stored colour.
  QVariant brush = View()->model()->index(1, 2).data(Qt::ForegroundRole);
  EXPECT_EQ(brush.value<QColor>(), QColor(255, 0, 0));
}

TEST_F(ReportListTest, FilterRefusesTogglingAnUnselectedRowsCheckbox) {
  refuseToggles = true;
  ClickCheckbox(1);
  EXPECT_EQ(ListGetItemFlags(20, 1), 0);
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices.back().fromHandle, GadgetGetHandle(20));
  EXPECT_EQ(notices.back().row, 1);
  EXPECT_EQ(notices.back().newState, kListStateChecked);
  EXPECT_EQ(notices.back().oldState, kListStateUnchecked);
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetChange), 0u);

  refuseToggles = false;
  ClickCheckbox(1);
  EXPECT_EQ(ListGetItemFlags(20, 1), 2) << "ticked, and the click selected nothing";
  EXPECT_GE(CountSeen(kEventGadget, 20, kGadgetChange), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetClicked), 0u) << "no row is selected";
  ClickCheckbox(1);
  EXPECT_EQ(ListGetItemFlags(20, 1), 0);
}

TEST_F(ReportListTest, FilterSeesSelectionAndFocusOfASelectedRow) {
  refuseToggles = true;
  ListSetItemFlags(20, 2, 1);
  ClickCheckbox(2);
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices.back().newState, kListStateChecked | kListStateSelected | kListStateFocused);
  EXPECT_EQ(ListGetItemFlags(20, 2), 3) << "the filter only refuses bare checkbox changes";
}

TEST_F(ReportListTest, ClicksRaiseTheirTypes) {
  ClickRow(0);
  EXPECT_GE(CountSeen(kEventGadget, 20, kGadgetChange), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetClicked), 1u);
  EXPECT_EQ(ListGetItemFlags(20, 0), 1);
  ClickRow(2, Qt::RightButton);
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetRightClick), 1u);
  QRect cell = View()->visualRect(View()->model()->index(1, 1));
  QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetDoubleClick), 1u);
  // Every event carries the list's window.
  for (const SeenEvent& e : Seen()) EXPECT_EQ(e.window, 3);
}

TEST_F(ReportListTest, ClickBelowTheRowsThatClearsTheSelectionIsAChangeOnly) {
  ClickRow(1);
  ASSERT_EQ(ListGetItemFlags(20, 1), 1);
  ForgetEvents();
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(100, Viewport()->height() - 5));
  EXPECT_EQ(ListGetItemFlags(20, 1), 0);
  EXPECT_GE(CountSeen(kEventGadget, 20, kGadgetChange), 1u);
  EXPECT_EQ(CountSeen(kEventGadget, 20, kGadgetClicked), 0u);
  // Identical change events that nobody took in between are queued once.
  int changes = 0;
  for (int32_t e; (e = EventWait(0)) != 0;) changes += e == kEventGadget;
  EXPECT_EQ(changes, 1);
}

TEST_F(ReportListTest, RedrawSwitchHoldsPaintingUntilSwitchedOn) {
  ListSetRedraw(20, 0);
  EXPECT_FALSE(View()->updatesEnabled());
  for (int i = 0; i < 50; ++i) ListAddItem(20, -1, u"x\ny");
  EXPECT_EQ(ListItemCount(20), 53) << "rows are there while nothing is painted";
  ListAddItem(20, 1, u"mid\nm");  // not at the end: the view learns of the rows before it
  ListAddItem(20, -1, u"last\nz");
  ListSetRedraw(20, 1);
  EXPECT_TRUE(View()->updatesEnabled());
  const QAbstractItemModel& model = *View()->model();
  ASSERT_EQ(model.rowCount(), 55) << "the view knows every row once it is drawn again";
  for (auto [row, cell] : {std::pair{0, "1"}, {1, "mid"}, {2, "2"}, {53, "x"}, {54, "last"}})
    EXPECT_EQ(model.index(row, 0).data().toString().toStdString(), cell) << row;
  // A row added while nothing is drawn can be selected at once, and the view shows the
  // selection once it is drawn again.
  ListSetRedraw(20, 0);
  ListAddItem(20, -1, u"new\nn");
  ListSetItemFlags(20, 55, kListItemSelected);
  EXPECT_EQ(ListGetItemFlags(20, 55), kListItemSelected);
  ListSetRedraw(20, 1);
  EXPECT_TRUE(View()->selectionModel()->isRowSelected(55, {}));
  EXPECT_EQ(View()->currentIndex().row(), 55);
}

TEST_F(ReportListTest, OtherGadgetsAndMissingListsAreNoLists) {
  EXPECT_EQ(ListItemCount(21), 0);
  EXPECT_EQ(ListAddColumn(21, 0, u"x", 10), 0);
  EXPECT_EQ(ListGetCellText(21, 0, 0), u"");
  GadgetCreateProgressBar(21, 0, 0, 10, 10, 0, 10, 0);
  EXPECT_EQ(ListItemCount(21), 0);
  ListAddItem(21, -1, u"x");
  EXPECT_EQ(ListGetCellColor(21, 0, 1, 0), -1);
}

}  // namespace
