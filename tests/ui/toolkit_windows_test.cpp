// Windows: their events, size limits, filters, shortcuts, focus keys and key states.
#include "toolkit_windows.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLineEdit>
#include <QWindow>

#include "gadgets.h"
#include "keyboard.h"
#include "report_list.h"
#include "ui_support.h"

namespace {

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int32_t e : {kEventCloseWindow, kEventSizeWindow, kEventMenu, kEventMaximise,
                      kEventRestore, kEventMinimise, kEventGadget})
      RecordEvents(e);
  }
  void TearDown() override {
    WindowClose(1);
    ForgetEvents();
  }
  QWidget* Window() { return WidgetAt(WindowGetHandle(1)); }
  void MakeWindowWithGadgets() {
    WindowCreate(1, 20, 20, 300, 200, u"keys", 0x10CF0000);
    GadgetCreateTextField(10, 5, 5, 100, 20, u"text", 0);
    GadgetCreateReportList(11, 5, 30, 200, 100, u"#", 40, 1);
    GadgetCreateButton(12, 5, 140, 60, 24, u"OK", 0);
    ASSERT_TRUE(ShowActive(WindowGetHandle(1)));
    ForgetEvents();
  }
};

TEST_F(WindowTest, CreatedWindowHasExactInnerSizeAndFollowsFlags) {
  WindowCreate(1, 30, 40, 640, 320, u"title", 0x10CF0000);
  EXPECT_EQ(WindowGetInnerWidth(1), 640);
  EXPECT_EQ(WindowGetInnerHeight(1), 320);
  EXPECT_EQ(WindowIsHidden(1), 1);
  EXPECT_EQ(Window()->windowTitle(), "title");
  WindowSetHidden(1, 0, 0);
  EXPECT_EQ(WindowIsHidden(1), 0);
  WindowSetHidden(1, 1, 0);
  EXPECT_EQ(WindowIsHidden(1), 1);
  WindowCreate(1, 0, 0, 100, 50, u"again", 0);  // replaces the first
  EXPECT_EQ(WindowIsHidden(1), 0) << "shown without the invisible flag";
  EXPECT_EQ(Window()->windowTitle(), "again");
  EXPECT_EQ(WindowGetHandle(2), 0);
  EXPECT_EQ(WindowGetInnerWidth(2), 0);
}

TEST_F(WindowTest, SizeLimitsBoundResizesAndCanBeLifted) {
  WindowCreate(1, 0, 0, 640, 320, u"w", 0x10CF0000);
  WindowSetSizeLimits(1, 640, 320, kKeepValue, kKeepValue);
  WindowMove(1, kKeepValue, kKeepValue, 300, 100);
  EXPECT_EQ(WindowGetInnerWidth(1), 640);
  EXPECT_EQ(WindowGetInnerHeight(1), 320);
  WindowSetSizeLimits(1, kKeepValue, kKeepValue, 700, 50000);
  WindowMove(1, kKeepValue, kKeepValue, 900, 40000);
  EXPECT_EQ(WindowGetInnerWidth(1), 700);
  EXPECT_EQ(WindowGetInnerHeight(1), 32000) << "maxima above 32000 are 32000";
  WindowSetSizeLimits(1, -1, -1, -1, -1);
  WindowMove(1, kKeepValue, kKeepValue, 200, 90);
  EXPECT_EQ(WindowGetInnerWidth(1), 200);
  EXPECT_EQ(WindowGetInnerHeight(1), 90);
}

TEST_F(WindowTest, CloseRequestIsAnEventAndTheWindowStaysOpen) {
  WindowCreate(1, 0, 0, 200, 100, u"w", 0);
  ForgetEvents();
  EXPECT_FALSE(Window()->close());
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(CountSeen(kEventCloseWindow, 1, 0), 1u);
  EXPECT_EQ(EventWait(0), kEventCloseWindow);
}

int64_t RefuseClose(int64_t, uint32_t message, uint64_t, int64_t) {
  return message == kMessageClose ? 0 : kFilterDefault;
}

TEST_F(WindowTest, FilterAnswerReplacesTheToolkitsHandling) {
  WindowCreate(1, 0, 0, 200, 100, u"w", 0);
  WindowSetFilter(RefuseClose, 1);
  ForgetEvents();
  Window()->close();
  EXPECT_EQ(CountSeen(kEventCloseWindow, 1, 0), 0u);
  WindowSetFilter(nullptr, 1);
  Window()->close();
  EXPECT_EQ(CountSeen(kEventCloseWindow, 1, 0), 1u);
}

TEST_F(WindowTest, OnlyOneSizeEventOfAWindowWaitsInTheQueue) {
  WindowCreate(1, 0, 0, 200, 100, u"w", 0x10CF0000);
  ForgetEvents();
  WindowMove(1, kKeepValue, kKeepValue, 300, 150);
  WindowMove(1, kKeepValue, kKeepValue, 310, 160);
  WindowMove(1, kKeepValue, kKeepValue, 320, 170);
  EXPECT_EQ(CountSeen(kEventSizeWindow, 0, 0), 3u) << "each size change runs the handlers";
  int sizes = 0;
  for (int32_t e; (e = EventWait(0)) != 0;) sizes += e == kEventSizeWindow;
  EXPECT_EQ(sizes, 1);
}

TEST_F(WindowTest, MaximiseAndRestoreRaiseTheirEvents) {
  WindowCreate(1, 0, 0, 200, 100, u"w", 0xCF0000);
  ForgetEvents();
  Window()->showMaximized();
  PumpUntil([&] { return CountSeen(kEventMaximise, 0, 0) > 0; }, 2000);
  EXPECT_EQ(CountSeen(kEventMaximise, 0, 0), 1u);
  Window()->showNormal();
  PumpUntil([&] { return CountSeen(kEventRestore, 0, 0) > 0; }, 2000);
  EXPECT_EQ(CountSeen(kEventRestore, 0, 0), 1u);
}

TEST_F(WindowTest, ShortcutsRaiseMenuEventsWhicheverGadgetHasTheFocus) {
  MakeWindowWithGadgets();
  WindowAddShortcut(1, 13, 3);
  WindowAddShortcut(1, 0x20041, 14);
  for (int64_t gadget : {10, 11, 12}) {
    SCOPED_TRACE(gadget);
    GadgetSetFocus(gadget);
    ASSERT_EQ(GadgetFocused(), gadget);
    QWidget* focused = QApplication::focusWidget();
    Seen().clear();
    QTest::keyClick(focused, Qt::Key_Return);
    QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, 1, 3, 0}, {kEventMenu, 1, 14, 0}}));
  }
  auto* field = static_cast<QLineEdit*>(WidgetAt(GadgetGetHandle(10)));
  EXPECT_FALSE(field->hasSelectedText()) << "Control+A went to the shortcut, not the field";
  EXPECT_EQ(field->text(), "text");
}

TEST_F(WindowTest, SecondShortcutForTheSameKeyReplacesTheItem) {
  MakeWindowWithGadgets();
  WindowAddShortcut(1, 0x20041, 14);
  WindowAddShortcut(1, 0x20041, 15);
  GadgetSetFocus(10);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, 1, 15, 0}}));
}

TEST_F(WindowTest, TabAndShiftTabMoveTheFocusBetweenGadgets) {
  MakeWindowWithGadgets();
  GadgetSetFocus(10);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(GadgetFocused(), 11);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(GadgetFocused(), 12);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(GadgetFocused(), 11);
  EXPECT_TRUE(CountSeen(kEventMenu, 1, kItemNextGadget) == 0u);
}

TEST_F(WindowTest, TextFieldRaisesUserEditsAndFocusChangesOnly) {
  MakeWindowWithGadgets();
  GadgetSetFocus(12);
  ForgetEvents();
  GadgetSetText(10, u"program");
  EXPECT_EQ(GadgetGetText(10), u"program");
  EXPECT_EQ(CountSeen(kEventGadget, 10, kGadgetChange), 0u);
  GadgetSetFocus(10);
  EXPECT_EQ(CountSeen(kEventGadget, 10, kGadgetFocusIn), 1u);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
  EXPECT_EQ(CountSeen(kEventGadget, 10, kGadgetChange), 1u);
  GadgetSetFocus(12);
  EXPECT_EQ(CountSeen(kEventGadget, 10, kGadgetFocusOut), 1u);
  GadgetSelectText(10, 1, -1);
  auto* field = static_cast<QLineEdit*>(WidgetAt(GadgetGetHandle(10)));
  EXPECT_EQ(field->selectedText(), field->text());
  GadgetSelectText(10, 3, 4);
  EXPECT_EQ(field->selectedText(), field->text().mid(2, 2));
  QTest::mouseClick(WidgetAt(GadgetGetHandle(12)), Qt::LeftButton);
  EXPECT_EQ(CountSeen(kEventGadget, 12, kGadgetClicked), 1u);
}

TEST_F(WindowTest, DisabledWindowTakesNoShortcutsButEscapeIsSeenUntilItsWindowGoes) {
  MakeWindowWithGadgets();
  WindowAddShortcut(1, 13, 3);
  KeyGetAsyncState(kKeyEscape);
  WindowSetDisabled(1, 1);
  EXPECT_EQ(WindowIsDisabled(1), 1);
  QWindow* platformWindow = Window()->windowHandle();
  QTest::keyPress(platformWindow, Qt::Key_Escape);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), kKeyDown | kKeyPressedSince);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), kKeyDown) << "pressed-since is reported once";
  QTest::keyRelease(platformWindow, Qt::Key_Escape);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), 0);
  QTest::keyClick(platformWindow, Qt::Key_Escape);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), kKeyPressedSince) << "a short press is not lost";
  QTest::keyClick(platformWindow, Qt::Key_Return);
  EXPECT_EQ(CountSeen(kEventMenu, 1, 3), 0u);
  WindowSetDisabled(1, 0);
  EXPECT_EQ(WindowIsDisabled(1), 0);
  EXPECT_EQ(KeyGetAsyncState(-5), 0);
  EXPECT_EQ(KeyGetAsyncState(100000), 0);
  // A window that goes while the key is held takes the key with it: its release would
  // never come, and the key must not stay down for good.
  QTest::keyPress(platformWindow, Qt::Key_Escape);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), kKeyDown | kKeyPressedSince);
  WindowSetHidden(1, 1, 0);
  EXPECT_EQ(KeyGetAsyncState(kKeyEscape), 0);
}

TEST_F(WindowTest, ClosingAWindowRemovesItsGadgetsBindingsAndQueuedEvents) {
  MakeWindowWithGadgets();
  static int calls = 0;
  calls = 0;
  GadgetEventBind(12, [] { return ++calls, 0; });
  QTest::mouseClick(WidgetAt(GadgetGetHandle(12)), Qt::LeftButton);
  EXPECT_EQ(calls, 1);
  WindowClose(1);
  EXPECT_EQ(GadgetGetHandle(12), 0);
  EXPECT_EQ(GadgetGetKind(10), 0);
  EXPECT_EQ(EventWait(0) == kEventGadget, false) << "queued events of the window were dropped";
  MakeWindowWithGadgets();
  QTest::mouseClick(WidgetAt(GadgetGetHandle(12)), Qt::LeftButton);
  EXPECT_EQ(calls, 1) << "the old binding went with the old window";
}

}  // namespace
