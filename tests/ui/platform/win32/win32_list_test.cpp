// The report list over SysListView32: the control follows the rows model, the user's
// checkbox changes pass the window filter, clicks become the list's events, and cell
// colours and grid lines reach the screen. Driven with the control's own messages and
// posted mouse input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "events.h"
#include "list_rows.h"
#include "platform/platform.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kList = 30;

struct SeenCall {
  int64_t window;
  uint32_t message;
  uint64_t wParam;
  ListChangeNotice notice;
};

class ListTest : public Win32WindowTest {
 protected:
  void SetUp() override {
    Win32WindowTest::SetUp();
    RecordEvents(kEventGadget);
  }
  void TearDown() override {
    WindowClose(kTestWindow);
    PumpFor(10);
    EXPECT_TRUE(gone_) << "the list was not reported gone with its window";
    Win32WindowTest::TearDown();
  }

  // A list of three columns and three rows ("1 a q", "2 b q", "3 c q").
  void Make(int64_t flags) {
    rows_ = ListRows();
    PlatformFilter filter = [this](int64_t window, uint32_t message, uint64_t wParam,
                                   int64_t lParam) {
      calls_.push_back({window, message, wParam, *reinterpret_cast<ListChangeNotice*>(lParam)});
      return refuse_ ? 1 : kFilterDefault;
    };
    handle_ = PlatformListCreate(WindowGetHandle(kTestWindow), kList, kTestWindow, u"#", 60, flags,
                                 rows_, filter, [this](int64_t) { gone_ = true; });
    ASSERT_NE(handle_, 0);
    list_ = HwndOf(handle_);
    PlatformSetGeometry(handle_, {0, 0, 500, 300});
    PlatformListInsertColumn(handle_, -1, u"Name", 120);
    PlatformListInsertColumn(handle_, -1, u"Status", 100);
    for (const char16_t* row : {u"1\na\nq", u"2\nb\nq", u"3\nc\nq"})
      PlatformListInsertRow(handle_, -1, row);
    PumpFor(20);
    ForgetEvents();
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(list_, message, wParam, lParam);
  }
  std::u16string CellText(int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return reinterpret_cast<const char16_t*>(buffer);
  }
  std::vector<std::u16string> Texts() {
    std::vector<std::u16string> texts;
    for (int row = 0; row < Send(LVM_GETITEMCOUNT); ++row) {
      std::u16string line;
      for (int column = 0; column < rows_.ColumnCount(); ++column)
        line += (column ? u"|" : u"") + CellText(row, column);
      texts.push_back(line);
    }
    return texts;
  }
  int Image(int row) {
    return static_cast<int>(Send(LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
  }
  // The middle of a row's checkbox, checked to be the box by the control's own hit test.
  POINT BoxPoint(int row) {
    PlatformRect box = PlatformListCheckboxRect(handle_, row);
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<LONG>(box.x + box.width / 2), static_cast<LONG>(box.y + box.height / 2)};
    EXPECT_EQ(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), row);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMSTATEICON)) << "the rectangle misses the box";
    return hit.pt;
  }
  RECT CellRect(int row, int column) {
    RECT rect{};
    rect.top = column;
    rect.left = LVIR_BOUNDS;
    Send(LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return rect;
  }
  POINT RowPoint(int row) {
    RECT cell = CellRect(row, 1);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  }
  POINT EmptyPoint() {
    RECT last = CellRect(static_cast<int>(rows_.RowCount()) - 1, 1);
    return {last.left + 5, last.bottom + 40};
  }
  LONG RowHeight() {
    RECT row = CellRect(0, 1);
    return row.bottom - row.top;
  }
  // Button down and up (or a double click) as the message queue delivers them; with
  // `moveTo`, the mouse is dragged there in between.
  void Click(POINT at, UINT down, UINT up, const POINT* moveTo = nullptr) {
    const WPARAM button =
        down == WM_RBUTTONDOWN || down == WM_RBUTTONDBLCLK ? MK_RBUTTON : MK_LBUTTON;
    PostMessageW(list_, down, button, MAKELPARAM(at.x, at.y));
    if (moveTo) {
      PostMessageW(list_, WM_MOUSEMOVE, button, MAKELPARAM(at.x + 1, at.y + 1));
      PostMessageW(list_, WM_MOUSEMOVE, button, MAKELPARAM(moveTo->x, moveTo->y));
      at = *moveTo;
    }
    PostMessageW(list_, up, 0, MAKELPARAM(at.x, at.y));
    PumpFor(30);
  }
  // A left click through the system's input queue, at a point of the list; late enough
  // after any other not to make a double click.
  void ClickByInput(POINT at) {
    PumpFor(static_cast<int>(GetDoubleClickTime()) + 50);
    ClientToScreen(list_, &at);
    SetCursorPos(at.x, at.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
    PumpFor(50);
  }
  std::vector<int64_t> Types() {
    std::vector<int64_t> types;
    for (const SeenEvent& e : Seen())
      if (e.event == kEventGadget && e.object == kList) types.push_back(e.type);
    return types;
  }

  int64_t Changes() {
    std::vector<int64_t> types = Types();
    return std::count(types.begin(), types.end(), kGadgetChange);
  }

  ListRows rows_;
  int64_t handle_ = 0;
  HWND list_ = nullptr;
  bool refuse_ = false;
  bool gone_ = false;
  std::vector<SeenCall> calls_;
};

TEST_F(ListTest, ControlHoldsTheModelsRowsAndAsksForEveryText) {
  Make(kListCheckboxes);
  struct Insert {
    int64_t position;
    const char16_t* text;
    int64_t landsAt;
  };
  for (const Insert& insert : {Insert{0, u"0\nfirst", 0}, Insert{2, u"x\ny\nz\nextra", 2},
                               Insert{99, u"end", 5}, Insert{-1, u"", 6}})
    EXPECT_EQ(PlatformListInsertRow(handle_, insert.position, insert.text), insert.landsAt);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"0|first|", u"1|a|q", u"x|y|z", u"2|b|q",
                                                  u"3|c|q", u"end||", u"||"}));
  // A column in the middle: the cells after it move one column on.
  PlatformListInsertColumn(handle_, 1, u"Mid", 50);
  EXPECT_EQ(CellText(1, 1), u"");
  EXPECT_EQ(CellText(1, 2), u"a");
  EXPECT_EQ(CellText(1, 3), u"q");
  LVCOLUMNW column{};
  wchar_t title[32] = {};
  column.mask = LVCF_TEXT;
  column.pszText = title;
  column.cchTextMax = 32;
  Send(LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_STREQ(title, L"Mid");
  EXPECT_EQ(PlatformListColumnWidth(handle_, 1), 50);
  PlatformListSetColumnWidth(handle_, 2, 77);
  EXPECT_EQ(PlatformListColumnWidth(handle_, 2), 77);
  PlatformListSetColumnWidth(handle_, 9, 77);
  EXPECT_EQ(PlatformListColumnWidth(handle_, 9), 0);

  PlatformListClear(handle_);
  EXPECT_EQ(Send(LVM_GETITEMCOUNT), 0);
  EXPECT_EQ(rows_.RowCount(), 0);
  EXPECT_TRUE(Types().empty()) << "the program's changes raised events";
}

TEST_F(ListTest, UsersCheckboxClickPassesTheFilterThatMayRefuseIt) {
  Make(kListCheckboxes | kListMultiSelect | kListFullRowSelect);
  struct Case {
    bool refuse;
    bool selected;  // the row is selected (and focused) before the click
    uint32_t newState, oldState;
    bool byInput = false;  // through the system's input queue rather than posted messages
  };
  const uint32_t marks = kListStateSelected | kListStateFocused;
  for (const Case& c :
       {Case{true, false, kListStateChecked, kListStateUnchecked, true},
        Case{false, false, kListStateChecked, kListStateUnchecked, true},
        Case{true, false, kListStateChecked, kListStateUnchecked},
        Case{false, false, kListStateChecked, kListStateUnchecked},
        Case{true, true, kListStateChecked | marks, kListStateUnchecked | marks},
        Case{false, true, kListStateChecked | marks, kListStateUnchecked | marks}}) {
    SCOPED_TRACE(testing::Message() << "refuse " << c.refuse << ", selected " << c.selected
                                    << ", by input " << c.byInput);
    PlatformListSelectOnly(handle_, c.selected ? 1 : -1);
    rows_.SetCheck(1, ListCheck::kClear);
    PlatformListRowsChanged(handle_, 1, 1);
    ForgetEvents();
    calls_.clear();
    refuse_ = c.refuse;
    const POINT box = BoxPoint(1);
    if (c.byInput)
      ClickByInput(box);
    else
      Click(box, WM_LBUTTONDOWN, WM_LBUTTONUP);

    ASSERT_FALSE(calls_.empty());
    const SeenCall& call = calls_.front();
    const ListChangeNotice& notice = call.notice;
    EXPECT_EQ(std::tie(call.window, call.message, call.wParam),
              std::make_tuple(WindowGetHandle(kTestWindow), kMessageNotify, uint64_t{kList}));
    EXPECT_EQ(std::tie(notice.fromHandle, notice.fromGadget, notice.code, notice.row),
              std::make_tuple(handle_, kList, kListNotifyItemChanging, int64_t{1}));
    EXPECT_EQ(std::tie(notice.changedMask, notice.newState, notice.oldState),
              std::make_tuple(kListFieldState, c.newState, c.oldState));
    const ListCheck expected = c.refuse ? ListCheck::kClear : ListCheck::kTicked;
    EXPECT_EQ(rows_.Check(1), expected);
    EXPECT_EQ(Image(1), c.refuse ? 1 : 2);
    const auto changes = Changes();
    if (c.refuse && !c.selected) EXPECT_EQ(changes, 0);
    if (!c.refuse) EXPECT_GE(changes, 1);
    EXPECT_EQ(PlatformListIsSelected(handle_, 1), c.selected) << "the click changed the selection";
  }
}

TEST_F(ListTest, SpaceTogglesTheFocusedRowsBoxOncePerPress) {
  Make(kListCheckboxes | kListMultiSelect);
  PlatformListSelectOnly(handle_, 2);
  SetFocus(list_);
  ForgetEvents();
  auto press = [this](LPARAM repeat) {
    Send(WM_KEYDOWN, VK_SPACE, repeat);
    Send(WM_CHAR, L' ', repeat);
  };
  press(1);
  EXPECT_EQ(rows_.Check(2), ListCheck::kTicked);
  press(1 | (1 << 30));  // the key held: its repeats change nothing
  EXPECT_EQ(rows_.Check(2), ListCheck::kTicked);
  Send(WM_KEYUP, VK_SPACE, 0);
  press(1);
  EXPECT_EQ(rows_.Check(2), ListCheck::kClear);
  EXPECT_EQ(Image(2), 1);
  EXPECT_EQ(rows_.Check(1), ListCheck::kClear) << "a row not focused changed";
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].notice.row, 2);
  EXPECT_GE(Changes(), 2);
}

// The control asks the list for the row that typing leads to.
TEST_F(ListTest, TypingFindsTheRowByItsFirstCell) {
  Make(kListCheckboxes);
  for (const char16_t* row : {u"10\nx", u"11\ny", u"200\nz"}) PlatformListInsertRow(handle_, -1, row);
  struct Case {
    int start;
    UINT flags;
    const wchar_t* text;
    int found;
  };
  for (const Case& c : {Case{0, LVFI_PARTIAL | LVFI_STRING, L"1", 0}, Case{1, LVFI_PARTIAL, L"1", 3},
                        Case{5, LVFI_PARTIAL | LVFI_WRAP, L"1", 0}, Case{5, LVFI_PARTIAL, L"1", -1},
                        Case{0, LVFI_STRING, L"1", 0}, Case{1, LVFI_STRING, L"20", -1},
                        Case{0, LVFI_PARTIAL, L"20", 5}, Case{0, LVFI_PARTIAL, L"2000", -1},
                        Case{0, LVFI_PARAM, L"1", -1}}) {
    SCOPED_TRACE(testing::Message() << "from " << c.start << ": " << c.found);
    NMLVFINDITEMW find{};
    find.hdr = {list_, static_cast<UINT_PTR>(kList), static_cast<UINT>(LVN_ODFINDITEMW)};
    find.iStart = c.start;
    find.lvfi.flags = c.flags;
    find.lvfi.psz = c.text;
    EXPECT_EQ(SendMessageW(GetParent(list_), WM_NOTIFY, kList, reinterpret_cast<LPARAM>(&find)),
              c.found);
  }
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = L"11";
  EXPECT_EQ(Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 4);
}

TEST_F(ListTest, ProgramChangesPassUnaskedAndRaiseNothing) {
  Make(kListCheckboxes | kListMultiSelect);
  refuse_ = true;
  PlatformListSelect(handle_, 2, true);
  PlatformListSelect(handle_, 0, true);
  EXPECT_TRUE(PlatformListIsSelected(handle_, 2));
  EXPECT_TRUE(PlatformListIsFocused(handle_, 0));
  EXPECT_FALSE(PlatformListIsFocused(handle_, 2));
  EXPECT_EQ(PlatformListFocusedRow(handle_), 0);
  EXPECT_EQ(PlatformListFirstSelected(handle_), 0);
  PlatformListSelect(handle_, 0, false);
  EXPECT_FALSE(PlatformListIsSelected(handle_, 0));
  EXPECT_EQ(PlatformListFocusedRow(handle_), -1) << "the focus mark goes with the selection";
  PlatformListSelectOnly(handle_, 1);
  EXPECT_FALSE(PlatformListIsSelected(handle_, 2));
  EXPECT_EQ(PlatformListFirstSelected(handle_), 1);
  EXPECT_EQ(PlatformListFocusedRow(handle_), 1);
  rows_.SetCheck(0, ListCheck::kTicked);
  rows_.SetCheck(2, ListCheck::kThird);  // no third state in this list: a plain box
  PlatformListRowsChanged(handle_, 0, 2);
  EXPECT_EQ(Image(0), 2);
  PlatformListInsertRow(handle_, 0, u"new");
  EXPECT_EQ(Image(0), 1);
  EXPECT_EQ(Image(1), 2);
  PumpFor(20);
  EXPECT_TRUE(calls_.empty()) << "the filter was asked about the program's change";
  EXPECT_TRUE(Types().empty()) << "the program's changes raised events";
  EXPECT_FALSE(PlatformListThreeState(handle_));
  PlatformListSelectOnly(handle_, -1);
  EXPECT_EQ(PlatformListFirstSelected(handle_), -1);
}

// Changes of every row are gathered and reach the control in one pass: when the
// program's turn ends, or at once when anyone else asks the control. The list stays where
// it was scrolled to.
TEST_F(ListTest, ChangesOfEveryRowReachTheControlInOnePassInPlace) {
  Make(kListCheckboxes | kListMultiSelect);
  constexpr int kRows = 3000;
  PlatformListSetRedraw(handle_, false);
  for (int row = 3; row < kRows; ++row) PlatformListInsertRow(handle_, -1, u"n\nname");
  PlatformListSetRedraw(handle_, true);
  for (int row = 0; row < kRows; ++row) PlatformListSelect(handle_, row, true);
  PumpFor(20);
  Send(LVM_ENSUREVISIBLE, 20, FALSE);
  Send(LVM_ENSUREVISIBLE, 2000, FALSE);
  const LRESULT top = Send(LVM_GETTOPINDEX);
  ASSERT_GT(top, 1000);
  EXPECT_EQ(Send(LVM_GETSELECTEDCOUNT), kRows);
  EXPECT_EQ(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), kRows - 1);

  for (int row = 0; row < kRows; ++row) {
    PlatformListSelect(handle_, row, false);
    rows_.SetCheck(row, ListCheck::kTicked);
    PlatformListRowsChanged(handle_, row, row);
  }
  EXPECT_EQ(Send(LVM_GETSELECTEDCOUNT), 0);
  EXPECT_EQ(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
  EXPECT_EQ(Send(LVM_GETITEMCOUNT), kRows);
  EXPECT_EQ(Send(LVM_GETTOPINDEX), top);
  EXPECT_EQ(Image(static_cast<int>(top)), 2);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(list_, &update, FALSE)) << "the rows in sight are not repainted";

  for (int row = 0; row < kRows; ++row) PlatformListSelect(handle_, row, true);
  PlatformListSelectOnly(handle_, 10);
  EXPECT_EQ(Send(LVM_GETSELECTEDCOUNT), 1);
  EXPECT_EQ(PlatformListFirstSelected(handle_), 10);
  EXPECT_EQ(PlatformListFocusedRow(handle_), 10);
  EXPECT_LE(Send(LVM_GETTOPINDEX), 10) << "the row is not in sight";
  PumpFor(20);
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(Types().empty()) << "the program's changes raised events";
}

// Picking one row out of a large selection leaves it alone selected, as the control does
// with a small one, and the list says so.
TEST_F(ListTest, UsersPickOutOfALargeSelectionLeavesOneRow) {
  Make(kListCheckboxes | kListMultiSelect | kListFullRowSelect);
  for (int row = 3; row < 1000; ++row) PlatformListInsertRow(handle_, -1, u"n\nname");
  struct Case {
    const char* what;
    UINT down, up;  // a click on row 2, or a key (down: WM_KEYDOWN, up: the key)
    LRESULT selectedAfter;
    int64_t selectedRow;  // selected after
  };
  for (const Case& c : {Case{"left on a selected row", WM_LBUTTONDOWN, WM_LBUTTONUP, 1, 2},
                        Case{"right on a selected row", WM_RBUTTONDOWN, WM_RBUTTONUP, 1000, 2},
                        Case{"down arrow", WM_KEYDOWN, VK_DOWN, 1, 2},
                        Case{"space", WM_KEYDOWN, VK_SPACE, 1, 1}}) {
    SCOPED_TRACE(c.what);
    for (int row = 0; row < 1000; ++row) PlatformListSelect(handle_, row, true);
    PlatformListSelect(handle_, 1, true);  // the focus mark
    PumpFor(20);
    ForgetEvents();
    if (c.down == WM_KEYDOWN) {
      SetFocus(list_);
      Send(WM_KEYDOWN, c.up, 1);
      Send(WM_KEYUP, c.up, 0);
      PumpFor(20);
    } else {
      Click(RowPoint(2), c.down, c.up);
    }
    EXPECT_EQ(Send(LVM_GETSELECTEDCOUNT), c.selectedAfter);
    EXPECT_TRUE(PlatformListIsSelected(handle_, c.selectedRow));
    if (c.selectedAfter == 1) EXPECT_GE(Changes(), 1);
  }
}

TEST_F(ListTest, ThirdStateIsShownButTheUserOnlyTicksOrClears) {
  Make(kListCheckboxes | kListThreeState);
  ASSERT_TRUE(PlatformListThreeState(handle_));
  rows_.SetCheck(0, ListCheck::kThird);
  rows_.SetCheck(1, ListCheck::kTicked);
  PlatformListRowsChanged(handle_, 0, 1);
  EXPECT_EQ(Image(0), 3);

  // The third image differs from the clear and the ticked one.
  auto images = reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE));
  ASSERT_EQ(ImageList_GetImageCount(images), 3);
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  Canvas canvas(width * 3, height);
  std::vector<std::vector<COLORREF>> pictures;
  for (int image = 0; image < 3; ++image) {
    ImageList_Draw(images, image, canvas.Dc(), image * width, 0, ILD_NORMAL);
    pictures.push_back(canvas.In({image * width, 0, (image + 1) * width, height}));
  }
  EXPECT_NE(pictures[2], pictures[0]);
  EXPECT_NE(pictures[2], pictures[1]);

  // A click on a ticked box clears it rather than stepping into the third state, and a
  // click on a box in the third state clears it too.
  for (int row : {1, 0}) {
    SCOPED_TRACE(row);
    const uint32_t before = Image(row) << 12;
    ForgetEvents();
    calls_.clear();
    Click(BoxPoint(row), WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(Image(row), 1);
    EXPECT_EQ(rows_.Check(row), ListCheck::kClear);
    EXPECT_EQ(Changes(), 1);
    ASSERT_EQ(calls_.size(), 1u) << "the clearing passes the filter";
    EXPECT_EQ(calls_[0].notice.newState, kListStateUnchecked);
    EXPECT_EQ(calls_[0].notice.oldState, before);
  }
}

TEST_F(ListTest, ClicksRaiseTheListsEvents) {
  Make(kListCheckboxes | kListMultiSelect | kListFullRowSelect);
  struct Case {
    const char* what;
    int selectedBefore;  // -1: none
    int row;             // -1: the empty space below the rows
    UINT down, up;
    std::vector<int64_t> types;
    int dragTo = -1;  // a row to drag to
  };
  // In order: each case starts from the last one's mark of the last selected row.
  const std::vector<Case> cases = {
      {"left on a row", -1, 1, WM_LBUTTONDOWN, WM_LBUTTONUP, {kGadgetChange, kGadgetClicked}},
      {"left on empty space", 1, -1, WM_LBUTTONDOWN, WM_LBUTTONUP, {kGadgetChange}},
      {"left on empty space, none selected", -1, -1, WM_LBUTTONDOWN, WM_LBUTTONUP, {}},
      {"right on empty space", -1, -1, WM_RBUTTONDOWN, WM_RBUTTONUP, {kGadgetRightClick}},
      {"right on a row", -1, 2, WM_RBUTTONDOWN, WM_RBUTTONUP, {kGadgetChange, kGadgetRightClick}},
      {"left double", 0, 0, WM_LBUTTONDBLCLK, WM_LBUTTONUP, {kGadgetDoubleClick}},
      {"right double", 0, 0, WM_RBUTTONDBLCLK, WM_RBUTTONUP, {kGadgetRightDoubleClick}},
      {"drag", 0, 0, WM_LBUTTONDOWN, WM_LBUTTONUP, {kGadgetBeginDrag}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlatformListSelectOnly(handle_, c.selectedBefore);
    ForgetEvents();
    const POINT dragTo = RowPoint(c.dragTo);
    Click(c.row < 0 ? EmptyPoint() : RowPoint(c.row), c.down, c.up,
          c.dragTo < 0 ? nullptr : &dragTo);
    // A selection and its focus mark may come as two changes.
    std::vector<int64_t> types = Types();
    types.erase(std::unique(types.begin(), types.end()), types.end());
    // Double clicks may also carry the first click's events, a drag a click after it:
    // their own event is what counts.
    if (c.down == WM_LBUTTONDBLCLK || c.down == WM_RBUTTONDBLCLK || c.dragTo >= 0)
      EXPECT_EQ(std::count(types.begin(), types.end(), c.types.back()), 1);
    else
      EXPECT_EQ(types, c.types);
  }
}

TEST_F(ListTest, CellColoursAndGridLinesArePainted) {
  Make(kListCheckboxes | kListFullRowSelect);
  const LONG plainHeight = RowHeight();
  PlatformDestroy(handle_);
  Make(kListCheckboxes | kListFullRowSelect | kListGridLines);
  EXPECT_EQ(RowHeight(), plainHeight + 1) << "no room for the grid line under the text";
  rows_.SetColour(1, 1, kListColourBackground, 0x00FF00);
  rows_.SetColour(1, 1, kListColourText, 0x0000FF);
  PlatformListRowsChanged(handle_, 1, 1);
  RECT client{};
  GetClientRect(list_, &client);
  Canvas painted(client.right, client.bottom);
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  const RECT cell = CellRect(1, 1), after = CellRect(1, 2), above = CellRect(0, 1);
  const LONG middle = (cell.top + cell.bottom) / 2;
  EXPECT_EQ(painted.At(cell.right - 4, middle), 0x00FF00u);
  EXPECT_TRUE(painted.AnyIn(cell, 0x0000FF)) << "no text in the cell's text colour";
  // Cells without colours of their own keep the list's.
  EXPECT_EQ(painted.At(after.right - 4, middle), GetSysColor(COLOR_WINDOW));
  EXPECT_FALSE(painted.AnyIn(after, 0x0000FF));
  EXPECT_EQ(painted.At(above.right - 4, (above.top + above.bottom) / 2), GetSysColor(COLOR_WINDOW));
  // Lines under the rows and at the column edges.
  EXPECT_EQ(painted.At((above.left + above.right) / 2, above.bottom - 1),
            GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(painted.At(above.right - 1, (above.top + above.bottom) / 2),
            GetSysColor(COLOR_BTNFACE));
}

TEST_F(ListTest, FillWithRedrawOffPaintsOnceWhenSwitchedOn) {
  Make(kListCheckboxes);
  PumpFor(20);
  ValidateRect(list_, nullptr);
  PlatformListSetRedraw(handle_, false);
  constexpr int kRows = 3000;
  for (int row = 0; row < kRows; ++row) PlatformListInsertRow(handle_, -1, u"n\nname");
  rows_.SetCheck(kRows, ListCheck::kTicked);
  PlatformListRowsChanged(handle_, 0, kRows + 2);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(list_, &update, FALSE)) << "painted while the redraw was off";
  PlatformListSetRedraw(handle_, true);
  EXPECT_EQ(Send(LVM_GETITEMCOUNT), kRows + 3);
  EXPECT_TRUE(GetUpdateRect(list_, &update, FALSE));
  EXPECT_TRUE(IsWindowVisible(list_));
  EXPECT_EQ(Image(kRows), 2);
  EXPECT_EQ(CellText(kRows + 2, 1), u"name");
  // Every row can be scrolled to.
  PlatformListSelectOnly(handle_, kRows + 2);
  RECT last = CellRect(kRows + 2, 1);
  RECT client{};
  GetClientRect(list_, &client);
  EXPECT_GT(last.top, 0);
  EXPECT_LE(last.bottom, client.bottom);
  EXPECT_TRUE(Types().empty());
}

TEST_F(ListTest, CellWidthMakesRoomForTextAndCheckbox) {
  Make(kListCheckboxes);
  PlatformListInsertRow(handle_, -1, u"WWWWWWWW\nWWWWWWWW");
  const auto text =
      static_cast<LONG>(Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"WWWWWWWW")));
  const int64_t first = PlatformListCellWidth(handle_, 3, 0);
  const int64_t second = PlatformListCellWidth(handle_, 3, 1);
  EXPECT_GT(second, text);
  int boxWidth = 0, boxHeight = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE)),
                        &boxWidth, &boxHeight);
  EXPECT_GE(first - second, boxWidth) << "the checkbox is not counted";
  EXPECT_EQ(PlatformListCellWidth(handle_, 4, 0), 0);
  EXPECT_EQ(PlatformListCellWidth(handle_, 0, 3), 0);
  PlatformListSetColumnWidth(handle_, 0, first);
  RECT label{};
  label.left = LVIR_LABEL;
  Send(LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&label));
  EXPECT_GE(label.right - label.left, text) << "the text does not fit its cell";
}

}  // namespace
