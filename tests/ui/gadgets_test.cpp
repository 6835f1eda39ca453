// The simple gadgets: progress bars, positions and properties, panels as containers.
#include "gadgets.h"

#include <gtest/gtest.h>

#include <QProgressBar>

#include "toolkit_windows.h"
#include "ui_support.h"

namespace {

using GadgetsTest = ShownWindowTest;

TEST_F(GadgetsTest, ProgressBarShowsValuesAtOnceWithinItsRange) {
  GadgetCreateProgressBar(30, 0, 0, 200, 10, 1, 100, 0);
  auto* bar = static_cast<QProgressBar*>(WidgetAt(GadgetGetHandle(30)));
  GadgetSetValue(30, 37);
  EXPECT_EQ(GadgetGetValue(30), 37);
  EXPECT_EQ(bar->value(), 37);
  GadgetSetValue(30, 250);
  EXPECT_EQ(GadgetGetValue(30), 100) << "kept in the range";
  GadgetSetValue(30, 0);
  EXPECT_EQ(GadgetGetValue(30), 1);
  GadgetSetValue(30, -1);
  EXPECT_EQ(GadgetGetValue(30), -1);
  EXPECT_EQ(bar->maximum(), 0) << "busy display";
  GadgetSetProperty(30, kProgressMaximum, 5);
  GadgetSetValue(30, 4);
  EXPECT_EQ(GadgetGetValue(30), 4);
  EXPECT_EQ(bar->maximum(), 5);
  EXPECT_EQ(GadgetGetProperty(30, kProgressMinimum), 1);
  GadgetSetProperty(30, kProgressMaximum, 3);
  EXPECT_EQ(GadgetGetValue(30), 3) << "a smaller range moves the position into it";
}

TEST_F(GadgetsTest, MoveKeepsWhatItIsToldToKeep) {
  GadgetCreateButton(31, 10, 20, 30, 40, u"b", 0);
  GadgetMove(31, kKeepValue, kKeepValue, 77, kKeepValue);
  EXPECT_EQ(GadgetGetX(31), 10);
  EXPECT_EQ(GadgetGetY(31), 20);
  EXPECT_EQ(GadgetGetWidth(31), 77);
  EXPECT_EQ(GadgetGetHeight(31), 40);
  GadgetSetDisabled(31, 1);
  EXPECT_EQ(GadgetIsDisabled(31), 1);
  GadgetSetTip(31, u"tip");
  EXPECT_EQ(GadgetGetTip(31), u"tip");
  GadgetSetParentHandle(31, 12345);  // not a toolkit widget: refused
  EXPECT_EQ(WidgetAt(GadgetGetHandle(31))->parentWidget(), WidgetAt(WindowGetHandle(2)));
}

TEST_F(GadgetsTest, PanelsNestAsContainers) {
  GadgetCreatePanel(40, 10, 10, 200, 100, 0);
  GadgetCreatePanel(41, 5, 5, 50, 50, 8);
  GadgetCreateButton(42, 1, 1, 10, 10, u"", 0);
  GadgetEndPanel();
  GadgetCreateButton(43, 1, 1, 10, 10, u"", 0);
  GadgetEndPanel();
  GadgetEndPanel();  // nothing left to end
  GadgetCreateButton(44, 1, 1, 10, 10, u"", 0);
  EXPECT_EQ(WidgetAt(GadgetGetHandle(42))->parentWidget(), WidgetAt(GadgetGetHandle(41)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(43))->parentWidget(), WidgetAt(GadgetGetHandle(40)));
  EXPECT_EQ(WidgetAt(GadgetGetHandle(44))->parentWidget(), WidgetAt(WindowGetHandle(2)));
}

}  // namespace
