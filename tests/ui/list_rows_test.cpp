// A report list's rows: cells split from row texts, colours that stay with their
// columns, and nothing done outside the table.
#include <gtest/gtest.h>

#include "list_rows.h"

namespace {

TEST(ListRows, SplitsRowTextsIntoCellsAndKeepsColoursWithTheirColumns) {
  ListRows rows;
  rows.InsertColumn(-1, u"a");
  rows.InsertColumn(-1, u"c");
  EXPECT_EQ(rows.InsertRow(-1, u"1\n2\n3\n4"), 0);  // parts beyond the columns are dropped
  EXPECT_EQ(rows.InsertRow(0, u"only"), 0);
  EXPECT_EQ(rows.InsertRow(7, u"\nlast"), 2);
  EXPECT_EQ(rows.Cell(0, 0), u"only");
  EXPECT_EQ(rows.Cell(0, 1), u"");
  EXPECT_EQ(rows.Cell(1, 1), u"2");
  EXPECT_EQ(rows.Cell(2, 0), u"");
  EXPECT_EQ(rows.Cell(2, 1), u"last");

  rows.SetColour(1, 1, 1, 0x0000FF);
  rows.SetColour(1, 0, 2, 0);
  EXPECT_EQ(rows.Colour(1, 1, 1), 0x0000FF);
  EXPECT_EQ(rows.Colour(1, 0, 2), 0) << "black is a colour, not the default";
  EXPECT_EQ(rows.Colour(1, 0, 1), -1);
  // A column inserted between moves the colours with their cells.
  rows.InsertColumn(1, u"b");
  EXPECT_EQ(rows.Title(1), u"b");
  EXPECT_EQ(rows.Colour(1, 2, 1), 0x0000FF);
  EXPECT_EQ(rows.Colour(1, 1, 1), -1);
  EXPECT_EQ(rows.Cell(1, 2), u"2");
  EXPECT_EQ(rows.Cell(1, 1), u"");
}

TEST(ListRows, IgnoresEverythingOutsideTheTable) {
  ListRows rows;
  rows.InsertColumn(0, u"a");
  rows.InsertRow(-1, u"x");
  rows.SetCell(1, 0, u"no");
  rows.SetCell(0, 1, u"no");
  rows.SetValue(-1, 5);
  rows.SetColour(3, 0, 1, 255);
  EXPECT_EQ(rows.Cell(0, 0), u"x");
  EXPECT_EQ(rows.Cell(-1, 0), u"");
  EXPECT_EQ(rows.Value(-1), 0);
  EXPECT_EQ(rows.Colour(3, 0, 1), -1);
  EXPECT_EQ(rows.Check(9), ListCheck::kClear);
  rows.Clear();
  EXPECT_EQ(rows.RowCount(), 0);
  EXPECT_EQ(rows.ColumnCount(), 1);
}

TEST(ListRows, RewrittenCellsReadBackAndTheTextStoreStaysBounded) {
  ListRows rows;
  rows.InsertColumn(-1, u"number");
  rows.InsertColumn(-1, u"name");
  rows.InsertColumn(-1, u"status");
  constexpr int kRows = 200;
  for (int row = 0; row < kRows; ++row)
    rows.InsertRow(-1, TextFromInt(row) + u"\na long name that is never shared " +
                           TextFromInt(row) + u"\nQueued");
  const size_t filled = rows.TextStoreUnits();
  // Re-queue cycles: unique long texts and repeated statuses, again and again.
  for (int cycle = 0; cycle < 100; ++cycle) {
    for (int row = 0; row < kRows; ++row) {
      rows.SetCell(row, 1, u"renamed in cycle " + TextFromInt(cycle) + u" of a long list, row " +
                               TextFromInt(row));
      rows.SetCell(row, 2, cycle % 2 ? u"Done" : u"Queued");
    }
  }
  for (int row = 0; row < kRows; ++row) {
    ASSERT_EQ(rows.Cell(row, 0), TextFromInt(row));
    ASSERT_EQ(rows.Cell(row, 1), u"renamed in cycle 99 of a long list, row " + TextFromInt(row));
    ASSERT_EQ(rows.Cell(row, 2), u"Done");
  }
  EXPECT_LT(rows.TextStoreUnits(), 4 * filled + 2 * 65536)
      << "old texts must be reclaimed, not kept for ever";
  rows.SetCell(0, 2, u"");
  EXPECT_EQ(rows.Cell(0, 2), u"");
  EXPECT_EQ(rows.Cell(1, 2), u"Done");
}

// Texts and colour sets that repeat are stored once, yet each cell stays its own.
TEST(ListRows, SharedTextsAndColoursStayIndependentPerCell) {
  ListRows rows;
  rows.InsertColumn(-1, u"name");
  rows.InsertColumn(-1, u"status");
  for (int row = 0; row < 1000; ++row) rows.InsertRow(-1, u"row " + TextFromInt(row) + u"\nQueued");
  EXPECT_LT(rows.TextStoreUnits(), 1000 * 10) << "the status is kept once, not per row";

  rows.SetCell(5, 1, u"Done");
  EXPECT_EQ(rows.Cell(5, 1), u"Done");
  EXPECT_EQ(rows.Cell(4, 1), u"Queued");
  EXPECT_EQ(rows.Cell(6, 1), u"Queued");

  for (int row = 0; row < 1000; ++row) rows.SetColour(row, 1, 1, 0x00FF00);
  rows.SetColour(7, 1, 1, 0x0000FF);
  rows.SetColour(8, 0, 2, 0x123456);
  EXPECT_EQ(rows.ColourSetCount(), 4u) << "default, green, blue, green with a background";
  EXPECT_EQ(rows.Colour(6, 1, 1), 0x00FF00);
  EXPECT_EQ(rows.Colour(7, 1, 1), 0x0000FF);
  EXPECT_EQ(rows.Colour(8, 1, 1), 0x00FF00);
  EXPECT_EQ(rows.Colour(8, 0, 2), 0x123456);
  EXPECT_EQ(rows.Colour(9, 0, 2), -1);
  rows.SetColour(6, 1, 1, -1);
  EXPECT_EQ(rows.Colour(6, 1, 1), -1);
  EXPECT_EQ(rows.Colour(5, 1, 1), 0x00FF00);

  // Rows inserted before others carry their own cells and colours.
  rows.InsertRow(0, u"first\nDone");
  EXPECT_EQ(rows.Cell(0, 0), u"first");
  EXPECT_EQ(rows.Colour(0, 1, 1), -1);
  EXPECT_EQ(rows.Cell(6, 1), u"Done");
  EXPECT_EQ(rows.Colour(8, 1, 1), 0x0000FF);
  rows.InsertColumn(0, u"mark");
  EXPECT_EQ(rows.Cell(8, 2), u"Queued");
  EXPECT_EQ(rows.Colour(8, 2, 1), 0x0000FF);
  EXPECT_EQ(rows.Colour(9, 1, 2), 0x123456);

  rows.Clear();
  EXPECT_EQ(rows.TextStoreUnits(), 0u);
  EXPECT_EQ(rows.ColourSetCount(), 1u);
  rows.InsertRow(-1, u"x\ny\nz");
  EXPECT_EQ(rows.Cell(0, 2), u"z");
  EXPECT_EQ(rows.Colour(0, 2, 1), -1);
}

}  // namespace
