// Status bars: fields, their texts and their layout.
#include "statusbar.h"

#include <gtest/gtest.h>

#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

using StatusbarTest = ShownWindowTest;

TEST_F(StatusbarTest, TextsGoToExistingFieldsOnly) {
  StatusbarCreate(1, WindowGetHandle(2));
  StatusbarAddField(100);
  StatusbarAddField(kKeepValue);
  StatusbarSetText(1, 1, u"right", kStatusRight);
  StatusbarSetText(1, 0, u"left", 0);
  StatusbarSetText(1, 5, u"nowhere", 0);
  StatusbarSetText(7, 0, u"no bar", 0);
  EXPECT_EQ(StatusbarGetText(1, 0), u"left");
  EXPECT_EQ(StatusbarGetText(1, 1), u"right");
  EXPECT_EQ(StatusbarFieldCount(1), 2);
  EXPECT_EQ(StatusbarGetFieldX(1, 1), 100);
  EXPECT_GT(StatusbarGetFieldWidth(1, 1), 400);
}

TEST_F(StatusbarTest, SharedFieldsSplitWhatFixedOnesAndTheGripLeave) {
  StatusbarCreate(1, WindowGetHandle(2));
  for (int64_t width : {int64_t{100}, kKeepValue, int64_t{50}, kKeepValue})
    StatusbarAddField(width);
  // The window is sizable and not maximised: the bar keeps room for a size grip.
  const int64_t shared = (640 - (StatusbarGetHeight(1) - 3) - 150) / 2;
  const int64_t left[] = {0, 100, 100 + shared, 150 + shared};
  const int64_t width[] = {100, shared, 50, shared};
  for (int field = 0; field < 4; ++field) {
    EXPECT_EQ(StatusbarGetFieldX(1, field), left[field]) << field;
    EXPECT_EQ(StatusbarGetFieldWidth(1, field), width[field]) << field;
  }
}

}  // namespace
