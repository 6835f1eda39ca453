#include "report_list.h"

#include <algorithm>

#include "gadgets.h"
#include "list_rows.h"
#include "platform/platform.h"
#include "toolkit_internal.h"

namespace {

// Runs `work(handle, rows)` on the UI thread for a report list, or returns `none`.
template <class Result, class Work>
Result WithList(int64_t number, Result none, Work work) {
  return WithFound(GadgetFindList, number, none,
                   [&](ListGadget list) { return work(list.handle, *list.rows); });
}

// The same for changes made by the program, which raise no events.
template <class Work>
void ChangeList(int64_t number, Work work) {
  WithFound(GadgetFindList, number, [&](ListGadget list) {
    ProgramChange quiet;
    work(list.handle, *list.rows);
  });
}

// A change that answers nothing, which another thread need not wait for.
template <class Work>
void ChangeListLater(int64_t number, Work work) {
  WithFoundLater(GadgetFindList, number, [work = std::move(work)](ListGadget list) {
    ProgramChange quiet;
    work(list.handle, *list.rows);
  });
}

ListCheck CheckOfFlags(int64_t flags, bool threeState) {
  if ((flags & kListItemThirdState) && threeState) return ListCheck::kThird;
  return (flags & kListItemChecked) ? ListCheck::kTicked : ListCheck::kClear;
}

}  // namespace

int64_t ListAddColumn(int64_t number, int64_t position, const Text& title, int64_t width) {
  return WithList<int64_t>(number, 0, [&](int64_t handle, ListRows&) {
    ProgramChange quiet;
    PlatformListInsertColumn(handle, position, title, width);
    return int64_t{1};
  });
}

int64_t ListColumnCount(int64_t number) {
  return WithList<int64_t>(number, 0, [](int64_t, ListRows& rows) { return rows.ColumnCount(); });
}

int64_t ListGetColumnWidth(int64_t number, int64_t column) {
  return WithList<int64_t>(number, 0, [&](int64_t handle, ListRows&) {
    return PlatformListColumnWidth(handle, column);
  });
}

void ListSetColumnWidth(int64_t number, int64_t column, int64_t width) {
  ChangeList(number, [&](int64_t handle, ListRows&) { PlatformListSetColumnWidth(handle, column, width); });
}

int64_t ListGetCellWidth(int64_t number, int64_t row, int64_t column) {
  return WithList<int64_t>(number, 0, [&](int64_t handle, ListRows&) {
    return PlatformListCellWidth(handle, row, column);
  });
}

int64_t ListAddItem(int64_t number, int64_t position, const Text& text) {
  ChangeList(number,
             [&](int64_t handle, ListRows&) { PlatformListInsertRow(handle, position, text); });
  return 0;
}

void ListRemoveAllItems(int64_t number) {
  ChangeList(number, [](int64_t handle, ListRows&) { PlatformListClear(handle); });
}

int64_t ListItemCount(int64_t number) {
  return WithList<int64_t>(number, 0, [](int64_t, ListRows& rows) { return rows.RowCount(); });
}

int64_t ListGetItemFlags(int64_t number, int64_t row) {
  return WithList<int64_t>(number, 0, [&](int64_t handle, ListRows& rows) -> int64_t {
    if (!rows.HasRow(row)) return 0;
    int64_t flags = PlatformListIsSelected(handle, row) ? kListItemSelected : 0;
    ListCheck check = rows.Check(row);
    if (check == ListCheck::kTicked) flags |= kListItemChecked;
    if (check == ListCheck::kThird) flags |= kListItemThirdState;
    return flags;
  });
}

int64_t ListGetFocusedRow(int64_t number) {
  return WithList<int64_t>(number, -1, [](int64_t handle, ListRows&) { return PlatformListFocusedRow(handle); });
}

void ListSetItemFlags(int64_t number, int64_t row, int64_t flags) {
  ChangeList(number, [&](int64_t handle, ListRows& rows) {
    if (!rows.HasRow(row)) return;
    PlatformListSelect(handle, row, (flags & kListItemSelected) != 0);
    rows.SetCheck(row, CheckOfFlags(flags, PlatformListThreeState(handle)));
    PlatformListRowsChanged(handle, row, row);
  });
}

Text ListGetCellText(int64_t number, int64_t row, int64_t column) {
  return WithList<Text>(number, Text(),
                        [&](int64_t, ListRows& rows) { return Text(rows.Cell(row, column)); });
}

namespace {

bool IsCheckedWith(const ListRows& rows, int64_t row, int64_t column, const Text& text) {
  return rows.Check(row) == ListCheck::kTicked && rows.Cell(row, column) == text;
}

}  // namespace

int64_t ListFindCheckedItem(int64_t number, int64_t start, int64_t column, const Text& text) {
  return WithList<int64_t>(number, -1, [&](int64_t, ListRows& rows) -> int64_t {
    if (!rows.HasCell(0, column)) return -1;
    for (int64_t row = std::max<int64_t>(start, 0); row < rows.RowCount(); ++row)
      if (IsCheckedWith(rows, row, column, text)) return row;
    return -1;
  });
}

int64_t ListCountCheckedItems(int64_t number, int64_t endRow, int64_t column, const Text& text) {
  return WithList<int64_t>(number, 0, [&](int64_t, ListRows& rows) {
    int64_t count = 0;
    if (!rows.HasCell(0, column)) return count;
    for (int64_t row = 0; row < std::min(endRow, rows.RowCount()); ++row)
      if (IsCheckedWith(rows, row, column, text)) ++count;
    return count;
  });
}

void ListSetCellText(int64_t number, int64_t row, const Text& text, int64_t column) {
  ChangeListLater(number, [row, text, column](int64_t handle, ListRows& rows) {
    if (!rows.HasCell(row, column)) return;
    rows.SetCell(row, column, text);
    PlatformListRowsChanged(handle, row, row);
  });
}

void ListSetCellColor(int64_t number, int64_t row, int64_t which, uint32_t colour, int64_t column) {
  if (which != kListColourText && which != kListColourBackground) return;
  ChangeList(number, [&](int64_t handle, ListRows& rows) {
    bool allRows = row == -1;
    int64_t first = allRows ? 0 : row;
    int64_t last = allRows ? rows.RowCount() - 1 : row;
    if (!allRows && !rows.HasRow(row)) return;
    for (int64_t r = first; r <= last; ++r) {
      if (column == -1) {
        for (int64_t c = 0; c < rows.ColumnCount(); ++c) rows.SetColour(r, c, which, colour);
      } else {
        rows.SetColour(r, column, which, colour);
      }
    }
    if (first <= last) PlatformListRowsChanged(handle, first, last);
  });
}

int64_t ListGetCellColor(int64_t number, int64_t row, int64_t which, int64_t column) {
  return WithList<int64_t>(
      number, -1, [&](int64_t, ListRows& rows) { return rows.Colour(row, column, which); });
}

void ListSetItemValue(int64_t number, int64_t row, int64_t value) {
  WithList<int>(number, 0, [&](int64_t, ListRows& rows) {
    rows.SetValue(row, value);
    return 0;
  });
}

int64_t ListGetItemValue(int64_t number, int64_t row) {
  return WithList<int64_t>(number, 0, [&](int64_t, ListRows& rows) { return rows.Value(row); });
}

void ListSetRedraw(int64_t number, int64_t on) {
  ChangeList(number, [&](int64_t handle, ListRows&) { PlatformListSetRedraw(handle, on != 0); });
}
