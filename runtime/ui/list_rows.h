#pragma once
// The rows of a report list: cell texts, per-cell text and background colours, the
// checkbox state and a 64-bit value per row, plus the column titles. The list's gadget
// record owns them and the report list service reads and writes them; the list's view
// shows them as the platform's PlatformListModel. Rows and columns are 0-based; reads
// outside the table give empty results, writes outside it do nothing.
//
// A long list is kept small: every cell text lives in one store per list (short texts
// that repeat, such as statuses, once), and each row names its colours by an index into
// a table of the distinct colour sets in use. The store and the rows grow in pieces that
// never move, so a long fill copies nothing and leaves no outgrown blocks behind. A
// cell's view is valid until the next change of the rows.
//
// Thread safety: none; the UI thread owns every list.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "text.h"

class ListRows final : public PlatformListModel {
 public:
  int64_t RowCount() const override { return static_cast<int64_t>(rows_.size()); }
  int64_t ColumnCount() const override { return static_cast<int64_t>(titles_.size()); }

  // Inserts a column at `position` (clamped to the end); every row gets an empty cell.
  int64_t InsertColumn(int64_t position, const Text& title) override;
  const Text& Title(int64_t column) const override;

  // The row index at which a row inserted at `position` lands (-1 or beyond: the end).
  int64_t InsertPosition(int64_t position) const override;
  // Inserts a row from cells separated by line feeds; parts beyond the last column are
  // dropped. Returns its index.
  int64_t InsertRow(int64_t position, TextView cells) override;
  void Clear() override;

  TextView Cell(int64_t row, int64_t column) const override;
  void SetCell(int64_t row, int64_t column, TextView text);

  // which: 1 text colour, 2 background. -1 when the platform default applies.
  int64_t Colour(int64_t row, int64_t column, int64_t which) const override;
  // colour < 0 restores the default.
  void SetColour(int64_t row, int64_t column, int64_t which, int64_t colour);

  ListCheck Check(int64_t row) const override;
  void SetCheck(int64_t row, ListCheck check) override;

  int64_t Value(int64_t row) const;
  void SetValue(int64_t row, int64_t value);

  // 16-bit units the text store holds, and the distinct colour sets in use (with the
  // all-default one); what the list costs beyond its fixed size per row.
  size_t TextStoreUnits() const { return storeUnits_; }
  size_t ColourSetCount() const { return colourSets_.size(); }

 private:
  // A cell's text in the store; `shared` texts may back several cells.
  struct CellText {
    uint32_t start = 0;
    uint32_t length : 31 = 0;
    uint32_t shared : 1 = 0;
  };
  struct Row {
    int64_t value = 0;
    uint32_t colourSet = 0;  // index into colourSets_; 0 is every colour at its default
    ListCheck check = ListCheck::kClear;
  };
  // Per column: text colour, background colour; each stored as colour + 1, 0 = default.
  using ColourSet = std::vector<uint32_t>;

  CellText& CellAt(int64_t row, int64_t column);
  TextView TextOf(CellText cell) const;
  CellText Store(TextView text);
  uint32_t Place(TextView text);
  void Assign(CellText& cell, TextView text);
  void CompactIfWasteful();
  uint32_t ColourSetIndex(const ColourSet& colours);
  void ReindexColourSets();

  std::vector<Text> titles_;
  std::deque<Row> rows_;
  std::deque<CellText> cells_;  // row after row, ColumnCount() cells each
  // The store: a text at position p starts at pages_[p / kPageUnits] + p % kPageUnits and
  // never crosses into another block; a text longer than a page gets a block of its own
  // that spans several pages.
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  std::vector<char16_t*> pages_;
  size_t storeEnd_ = 0;     // the next free position
  size_t storeUnits_ = 0;   // units the store holds
  size_t cellUnits_ = 0;    // units the cells name; the rest of the store is waste
  std::unordered_multimap<size_t, CellText> sharedTexts_;  // by hash of the text
  std::vector<ColourSet> colourSets_{ColourSet()};
  std::map<ColourSet, uint32_t> colourSetIndex_{{ColourSet(), 0}};
};
