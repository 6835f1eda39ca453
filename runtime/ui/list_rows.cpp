#include "list_rows.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

const Text kNoText;

// Texts this short (statuses, placeholders, small numbers) are stored once for every
// cell that shows them; the table that finds them starts over when it holds this many.
constexpr size_t kSharedLength = 16;
constexpr size_t kSharedLimit = 1024;
// Rewritten cells leave their old texts behind; the store is rebuilt once those exceed
// what the cells use, so that re-queueing a long list again and again does not grow it.
constexpr size_t kStoreSlack = 65536;
constexpr size_t kPageShift = 15;
constexpr size_t kPageUnits = size_t{1} << kPageShift;
constexpr size_t kMostPages = (size_t{1} << 32) / kPageUnits;  // positions are 32 bits

TextView TextAt(const std::vector<char16_t*>& pages, uint32_t start, uint32_t length) {
  if (length == 0) return {};
  return TextView(pages[start >> kPageShift] + (start & (kPageUnits - 1)), length);
}

size_t ColourSlot(int64_t column, int64_t which) {
  return static_cast<size_t>(column * 2 + (which == 2 ? 1 : 0));
}

}  // namespace

int64_t ListRows::InsertColumn(int64_t position, const Text& title) {
  const int64_t columns = ColumnCount();
  const int64_t at = position < 0 || position > columns ? columns : position;
  titles_.insert(titles_.begin() + at, title);
  std::deque<CellText> cells;
  for (size_t row = 0; row < rows_.size(); ++row) {
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(row * columns);
    cells.insert(cells.end(), first, first + at);
    cells.emplace_back();
    cells.insert(cells.end(), first + at, first + columns);
  }
  cells_ = std::move(cells);
  for (ColourSet& colours : colourSets_)
    if (!colours.empty()) colours.insert(colours.begin() + at * 2, 2, 0);
  ReindexColourSets();
  return at;
}

const Text& ListRows::Title(int64_t column) const {
  return column >= 0 && column < ColumnCount() ? titles_[static_cast<size_t>(column)] : kNoText;
}

int64_t ListRows::InsertPosition(int64_t position) const {
  return position < 0 || position > RowCount() ? RowCount() : position;
}

int64_t ListRows::InsertRow(int64_t position, TextView cells) {
  const size_t columns = titles_.size();
  const int64_t at = InsertPosition(position);
  // The cells go to the end first and then move into place, which needs no scratch row.
  cells_.resize(cells_.size() + columns);
  const auto row = cells_.end() - static_cast<std::ptrdiff_t>(columns);
  size_t start = 0;
  try {
    for (auto cell = row; cell != cells_.end(); ++cell) {
      const size_t end = cells.find(u'\n', start);
      *cell = Store(cells.substr(start, end == TextView::npos ? end : end - start));
      cellUnits_ += cell->length;
      if (end == TextView::npos) break;
      start = end + 1;
    }
  } catch (...) {
    for (auto cell = row; cell != cells_.end(); ++cell) cellUnits_ -= cell->length;
    cells_.resize(cells_.size() - columns);
    throw;
  }
  std::rotate(cells_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(at) * columns), row,
              cells_.end());
  rows_.insert(rows_.begin() + at, Row());
  return at;
}

void ListRows::Clear() {
  rows_ = {};
  cells_ = {};
  blocks_ = decltype(blocks_)();
  pages_ = {};
  storeEnd_ = storeUnits_ = cellUnits_ = 0;
  sharedTexts_ = {};
  colourSets_.assign(1, ColourSet());
  ReindexColourSets();
}

ListRows::CellText& ListRows::CellAt(int64_t row, int64_t column) {
  return cells_[static_cast<size_t>(row) * titles_.size() + static_cast<size_t>(column)];
}

TextView ListRows::Cell(int64_t row, int64_t column) const {
  if (!HasCell(row, column)) return {};
  return TextOf(cells_[static_cast<size_t>(row) * titles_.size() + static_cast<size_t>(column)]);
}

TextView ListRows::TextOf(CellText cell) const { return TextAt(pages_, cell.start, cell.length); }

ListRows::CellText ListRows::Store(TextView text) {
  if (text.empty()) return {};
  const bool shared = text.size() <= kSharedLength;
  const size_t hash = shared ? std::hash<TextView>()(text) : 0;
  if (shared) {
    const auto [first, last] = sharedTexts_.equal_range(hash);
    for (auto found = first; found != last; ++found)
      if (TextOf(found->second) == text) return found->second;
  }
  if (text.size() >= (size_t{1} << 31)) throw std::length_error("list text too long");
  CellText cell;
  cell.start = Place(text);
  cell.length = static_cast<uint32_t>(text.size());
  cell.shared = shared;
  if (shared) {
    if (sharedTexts_.size() >= kSharedLimit) sharedTexts_.clear();
    sharedTexts_.emplace(hash, cell);
  }
  return cell;
}

// Copies `text` to the end of the store, or to a new block where the last page cannot take
// it; returns its position.
uint32_t ListRows::Place(TextView text) {
  if (pages_.size() * kPageUnits - storeEnd_ < text.size()) {
    const size_t pages = std::max<size_t>(1, (text.size() + kPageUnits - 1) / kPageUnits);
    if (pages_.size() + pages > kMostPages) throw std::length_error("list text store full");
    auto block = std::make_unique_for_overwrite<char16_t[]>(pages * kPageUnits);
    blocks_.reserve(blocks_.size() + 1);
    pages_.reserve(pages_.size() + pages);
    storeEnd_ = pages_.size() * kPageUnits;
    for (size_t page = 0; page < pages; ++page) pages_.push_back(block.get() + page * kPageUnits);
    blocks_.push_back(std::move(block));
  }
  const size_t start = storeEnd_;
  std::copy(text.begin(), text.end(), pages_[start >> kPageShift] + (start & (kPageUnits - 1)));
  storeEnd_ += text.size();
  storeUnits_ += text.size();
  return static_cast<uint32_t>(start);
}

void ListRows::Assign(CellText& cell, TextView text) {
  cellUnits_ -= cell.length;
  cell = Store(text);
  cellUnits_ += cell.length;
}

void ListRows::CompactIfWasteful() {
  if (storeUnits_ <= 2 * cellUnits_ + kStoreSlack) return;
  const auto oldBlocks = std::exchange(blocks_, {});
  const auto oldPages = std::exchange(pages_, {});
  storeEnd_ = storeUnits_ = 0;
  sharedTexts_.clear();
  for (CellText& cell : cells_) cell = Store(TextAt(oldPages, cell.start, cell.length));
}

void ListRows::SetCell(int64_t row, int64_t column, TextView text) {
  if (!HasCell(row, column)) return;
  CompactIfWasteful();
  Assign(CellAt(row, column), text);
}

int64_t ListRows::Colour(int64_t row, int64_t column, int64_t which) const {
  if (!HasCell(row, column)) return -1;
  const ColourSet& colours = colourSets_[rows_[static_cast<size_t>(row)].colourSet];
  if (colours.empty()) return -1;
  const uint32_t stored = colours[ColourSlot(column, which)];
  return stored == 0 ? -1 : static_cast<int64_t>(stored - 1);
}

void ListRows::SetColour(int64_t row, int64_t column, int64_t which, int64_t colour) {
  if (!HasCell(row, column)) return;
  uint32_t& index = rows_[static_cast<size_t>(row)].colourSet;
  ColourSet colours = colourSets_[index];
  if (colours.empty()) {
    if (colour < 0) return;
    colours.assign(titles_.size() * 2, 0);
  }
  colours[ColourSlot(column, which)] =
      colour < 0 ? 0 : (static_cast<uint32_t>(colour) & 0xFFFFFF) + 1;
  if (std::all_of(colours.begin(), colours.end(), [](uint32_t stored) { return stored == 0; }))
    colours.clear();
  index = ColourSetIndex(colours);
}

uint32_t ListRows::ColourSetIndex(const ColourSet& colours) {
  const auto [found, added] =
      colourSetIndex_.try_emplace(colours, static_cast<uint32_t>(colourSets_.size()));
  if (added) colourSets_.push_back(colours);
  return found->second;
}

// Sets that differed may have become equal, so the index maps each to its first copy.
void ListRows::ReindexColourSets() {
  colourSetIndex_.clear();
  for (size_t i = 0; i < colourSets_.size(); ++i)
    colourSetIndex_.try_emplace(colourSets_[i], static_cast<uint32_t>(i));
}

ListCheck ListRows::Check(int64_t row) const {
  return HasRow(row) ? rows_[static_cast<size_t>(row)].check : ListCheck::kClear;
}

void ListRows::SetCheck(int64_t row, ListCheck check) {
  if (HasRow(row)) rows_[static_cast<size_t>(row)].check = check;
}

int64_t ListRows::Value(int64_t row) const {
  return HasRow(row) ? rows_[static_cast<size_t>(row)].value : 0;
}

void ListRows::SetValue(int64_t row, int64_t value) {
  if (HasRow(row)) rows_[static_cast<size_t>(row)].value = value;
}
