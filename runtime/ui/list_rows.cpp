#include "list_rows.h"

#include <algorithm>

namespace {

const Text kNoText;

int64_t ColourSlot(int64_t column, int64_t which) { return column * 2 + (which == 2 ? 1 : 0); }

}  // namespace

int64_t ListRows::InsertColumn(int64_t position, const Text& title) {
  int64_t at = position < 0 || position > ColumnCount() ? ColumnCount() : position;
  titles_.insert(titles_.begin() + at, title);
  for (Row& row : rows_) {
    row.cells.insert(row.cells.begin() + at, Text());
    if (!row.colours.empty()) row.colours.insert(row.colours.begin() + at * 2, 2, 0);
  }
  return at;
}

const Text& ListRows::Title(int64_t column) const {
  return column >= 0 && column < ColumnCount() ? titles_[static_cast<size_t>(column)] : kNoText;
}

int64_t ListRows::InsertPosition(int64_t position) const {
  return position < 0 || position > RowCount() ? RowCount() : position;
}

int64_t ListRows::InsertRow(int64_t position, TextView cells) {
  Row row;
  row.cells.resize(static_cast<size_t>(ColumnCount()));
  size_t column = 0;
  size_t start = 0;
  while (column < row.cells.size()) {
    size_t end = cells.find(u'\n', start);
    row.cells[column++] = Text(cells.substr(start, end == TextView::npos ? end : end - start));
    if (end == TextView::npos) break;
    start = end + 1;
  }
  int64_t at = InsertPosition(position);
  rows_.insert(rows_.begin() + at, std::move(row));
  return at;
}

void ListRows::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
}

const Text& ListRows::Cell(int64_t row, int64_t column) const {
  return HasCell(row, column) ? rows_[row].cells[column] : kNoText;
}

void ListRows::SetCell(int64_t row, int64_t column, TextView text) {
  if (HasCell(row, column)) rows_[row].cells[column] = Text(text);
}

int64_t ListRows::Colour(int64_t row, int64_t column, int64_t which) const {
  if (!HasCell(row, column) || rows_[row].colours.empty()) return -1;
  uint32_t stored = rows_[row].colours[ColourSlot(column, which)];
  return stored == 0 ? -1 : static_cast<int64_t>(stored - 1);
}

void ListRows::SetColour(int64_t row, int64_t column, int64_t which, int64_t colour) {
  if (!HasCell(row, column)) return;
  auto& colours = rows_[row].colours;
  if (colours.empty()) {
    if (colour < 0) return;
    colours.assign(static_cast<size_t>(ColumnCount() * 2), 0);
  }
  colours[ColourSlot(column, which)] =
      colour < 0 ? 0 : (static_cast<uint32_t>(colour) & 0xFFFFFF) + 1;
}

ListCheck ListRows::Check(int64_t row) const {
  return HasRow(row) ? rows_[row].check : ListCheck::kClear;
}

void ListRows::SetCheck(int64_t row, ListCheck check) {
  if (HasRow(row)) rows_[row].check = check;
}

int64_t ListRows::Value(int64_t row) const { return HasRow(row) ? rows_[row].value : 0; }

void ListRows::SetValue(int64_t row, int64_t value) {
  if (HasRow(row)) rows_[row].value = value;
}
