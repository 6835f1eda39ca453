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

}  // namespace
