#pragma once
// The rows of a report list: cell texts, per-cell text and background colours, the
// checkbox state and a 64-bit value per row, plus the column titles. The list's gadget
// record owns them and the report list service reads and writes them; the list's view
// shows them as the platform's PlatformListModel. Rows and columns are 0-based; reads
// outside the table give empty results, writes outside it do nothing.
//
// Thread safety: none; the UI thread owns every list.
#include <cstdint>
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

  const Text& Cell(int64_t row, int64_t column) const override;
  void SetCell(int64_t row, int64_t column, TextView text);

  // which: 1 text colour, 2 background. -1 when the platform default applies.
  int64_t Colour(int64_t row, int64_t column, int64_t which) const override;
  // colour < 0 restores the default.
  void SetColour(int64_t row, int64_t column, int64_t which, int64_t colour);

  ListCheck Check(int64_t row) const override;
  void SetCheck(int64_t row, ListCheck check) override;

  int64_t Value(int64_t row) const;
  void SetValue(int64_t row, int64_t value);

 private:
  struct Row {
    std::vector<Text> cells;
    // Per column: text colour, background colour; each stored as colour + 1, 0 = default.
    std::vector<uint32_t> colours;
    int64_t value = 0;
    ListCheck check = ListCheck::kClear;
  };

  std::vector<Text> titles_;
  std::vector<Row> rows_;
};
