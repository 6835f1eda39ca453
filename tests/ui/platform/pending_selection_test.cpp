#include "platform/pending_selection.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Rows = PendingSelection::Run;

struct Change {
  int64_t row;
  bool selected;
};

// Records `changes` on a list of `rows` rows whose focus mark sits on `focused`.
PendingSelection Gathered(const std::vector<Change>& changes, int64_t rows, int64_t focused = -1) {
  PendingSelection pending;
  for (const Change& change : changes) {
    pending.Record(change.row, change.selected, rows, focused);
    if (const auto focus = pending.Focus()) focused = *focus;
  }
  return pending;
}

TEST(PendingSelection, GatheredChangesMadeToASelectionKeepOneRunPerStretch) {
  const struct Case {
    const char* what;
    std::vector<Rows> before;
    std::vector<Change> changes;
    std::vector<Rows> after;
  } cases[] = {
      {"nothing gathered", {{2, 4}}, {}, {{2, 4}}},
      {"every row, one by one", {}, {{0, true}, {1, true}, {2, true}, {3, true}}, {{0, 3}}},
      {"every tenth row let go out of a whole selection",
       {{0, 29}},
       {{0, false}, {10, false}, {20, false}},
       {{1, 9}, {11, 19}, {21, 29}}},
      {"every tenth row let go where none was selected", {}, {{0, false}, {10, false}}, {}},
      {"a run crossing the changed rows keeps its ends",
       {{0, 9}},
       {{4, false}, {5, false}},
       {{0, 3}, {6, 9}}},
      {"new rows join the runs they touch",
       {{0, 1}, {5, 6}},
       {{2, true}, {3, true}, {4, true}},
       {{0, 6}}},
      {"runs before, between and after untouched",
       {{0, 0}, {3, 3}, {8, 9}},
       {{2, false}, {4, false}},
       {{0, 0}, {3, 3}, {8, 9}}},
      {"the last change of a row wins", {}, {{1, true}, {1, false}, {2, true}}, {{2, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Gathered(c.changes, 30).Applied(c.before), c.after);
  }
}

TEST(PendingSelection, ReadsSeeTheGatheredRowsAndTheFocusMark) {
  PendingSelection pending = Gathered({{3, true}, {4, true}}, 10, 7);
  EXPECT_EQ(pending.Selected(3), true);
  EXPECT_EQ(pending.Selected(5), std::nullopt) << "a row not gathered is the control's";
  EXPECT_EQ(pending.Focus(), 4) << "the focus mark follows the last row selected";
  pending = Gathered({{7, false}}, 10, 7);
  EXPECT_EQ(pending.Selected(7), false);
  EXPECT_EQ(pending.Focus(), -1) << "the focused row let go takes the mark with it";
  pending = Gathered({{2, false}}, 10, 7);
  EXPECT_EQ(pending.Focus(), std::nullopt) << "another row let go leaves the mark";
  pending = Gathered({{12, true}, {-1, true}}, 10);
  EXPECT_TRUE(pending.Empty()) << "rows outside the list are ignored";
}

TEST(PendingSelection, EveryRowIsAWholeListChangeOnly) {
  EXPECT_TRUE(Gathered({{0, true}, {1, true}, {2, true}}, 3).EveryRow(true, 3));
  EXPECT_FALSE(Gathered({{0, true}, {1, true}}, 3).EveryRow(true, 3));
  EXPECT_FALSE(Gathered({{0, true}, {1, false}, {2, true}}, 3).EveryRow(true, 3));
  EXPECT_TRUE(Gathered({{0, false}, {1, false}}, 2).EveryRow(false, 2));
}

}  // namespace
