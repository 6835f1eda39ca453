// Remote sizes: how sizes and counts are shown, and end to end the size of one entry,
// the totals of the selected and of all rows with their message forms, cancelling with
// Escape, redirects and lower-case header names.
#include "size_query.h"

#include <string>
#include <thread>

#include "app_state.h"
#include "gadgets.h"
#include "keyboard.h"
#include "report_list.h"
#include "run_fixture.h"
#include "texts.h"
#include "toolkit_windows.h"

namespace {

class SizeTextTest : public ::testing::Test {
 protected:
  void SetUp() override { TextsLoad(TextTable::BuiltIn()); }

  // The n-th unit name (1 = bytes) joined to a value as the program shows it.
  static Text Shown(const char16_t* value, int64_t unit) {
    return Text(value) + T(TextRole::UnitSeparator) +
           TextField(T(TextRole::UnitList), unit, T(TextRole::UnitListSeparator));
  }
  static Text Grouped(std::u16string text) {
    return TextReplace(text, u"'", T(TextRole::GroupingSeparator));
  }
};

TEST_F(SizeTextTest, FormatSizeChoosesUnitAndDecimalsByPowerOf1024) {
  EXPECT_EQ(FormatSize(0, 1), Shown(u"0", 1));
  EXPECT_EQ(FormatSize(1023, 1), Shown(u"1023", 1));
  EXPECT_EQ(FormatSize(1024, 1), Shown(u"1.0", 2));
  EXPECT_EQ(FormatSize(1536, 1), Shown(u"1.5", 2));
  EXPECT_EQ(FormatSize(3000, 1), Shown(u"2.9", 2));
  // Even powers show no decimals: 1.5 MB is rounded to whole megabytes.
  EXPECT_EQ(FormatSize(1048576, 1), Shown(u"1", 3));
  EXPECT_EQ(FormatSize(1572864, 1), Shown(u"2", 3));
  EXPECT_EQ(FormatSize(5368709121, 1), Shown(u"5.0", 4));
  EXPECT_EQ(FormatSize(int64_t{3} << 40, 1), Shown(u"3", 5));
  EXPECT_EQ(FormatSize(int64_t{3} << 50, 1), Shown(u"3.0", 6));
}

TEST_F(SizeTextTest, FormatSizeStaysInRangeAtTheEdges) {
  // Counts just below a power of 1024 keep the smaller unit; a floating-point logarithm
  // would round 2^60 - 1 up to the next one.
  EXPECT_EQ(FormatSize(1048575, 1), Shown(u"1024.0", 2));
  EXPECT_EQ(FormatSize((int64_t{1} << 60) - 1, 1), Shown(u"1024.0", 6));
  EXPECT_EQ(FormatSize(int64_t{1} << 60, 1), Shown(u"1", 7));
  EXPECT_EQ(FormatSize(INT64_MAX, 1), Shown(u"8", 7));
  EXPECT_EQ(FormatSize(-5, 1), Shown(u"-5", 1));
  EXPECT_EQ(FormatSize(1536, 3), Shown(u"1.500", 2));
}

TEST_F(SizeTextTest, GroupDigitsSeparatesThousandsFromTheRight) {
  EXPECT_EQ(GroupDigits(0), u"0");
  EXPECT_EQ(GroupDigits(999), u"999");
  EXPECT_EQ(GroupDigits(1000), Grouped(u"1'000"));
  EXPECT_EQ(GroupDigits(65536), Grouped(u"65'536"));
  EXPECT_EQ(GroupDigits(100000), Grouped(u"100'000"));
  EXPECT_EQ(GroupDigits(1234567), Grouped(u"1'234'567"));
  EXPECT_EQ(GroupDigits(INT64_MAX), Grouped(u"9'223'372'036'854'775'807"));
  EXPECT_EQ(GroupDigits(-1234), Grouped(u"-1'234"));
}

}  // namespace

namespace run_test {
namespace {

using R = TextRole;
using namespace std::chrono_literals;

class SizeTotalTest : public RunTest {
 protected:
  // Rows of 1000, 2000 and unknown bytes, and one of 500 (paths /s/...).
  void QueryFourSizes(int delayMs = 0) {
    Start();
    PublishLength("/s/1000", 1000, "Content-Length", delayMs);
    PublishLength("/s/2000", 2000, "Content-Length", delayMs);
    PublishLength("/s/none", 0, "X-Nothing", delayMs);
    PublishLength("/s/500", 500);
    Query({"/s/1000", "/s/2000", "/s/none", "/s/500"});
  }
  int SizeRequests() {
    return server_.Hits("/s/1000") + server_.Hits("/s/2000") + server_.Hits("/s/none") +
           server_.Hits("/s/500");
  }
  // The text of the message box that follows the start-up notice.
  Text LastBoxText(size_t expectedBoxes = 2) {
    if (!WaitForBoxes(expectedBoxes)) return u"(no message box)";
    return app_.Boxes().back().text;
  }
  Text FailurePart(R lead, const char16_t* failed, const char16_t* rows = u"") {
    return TextReplace(T(lead), T(R::RowCountPlaceholder), rows) + failed + T(R::FailureTail);
  }
};

TEST_F(SizeTotalTest, SelectedRowsAddUpWithTheFailurePartAndTheRowCount) {
  QueryFourSizes(300);
  WriteFlags({1, 1, 1, 0});
  Command(kMenuSizeOfSelected);
  // The window takes no input while the sizes are asked for.
  EXPECT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) != 0; }, 5s));
  EXPECT_TRUE(app_.WaitUntil(
      [] { return GadgetGetProperty(kBatchProgressBar, kProgressMaximum) == 3; }, 5s));
  const Text expected = T(R::ManyEntriesLeadSelected) + u"3" + T(R::CountSizeJoiner) +
                        WithUnit(u"2.9", 2) + T(R::SizeTail) +
                        FailurePart(R::FailureLead, u"1", u"4");
  EXPECT_EQ(LastBoxText(), expected);
  EXPECT_EQ(app_.Boxes().back().title, T(R::SizeTotalTitle));
  EXPECT_EQ(app_.Boxes().back().icon, BoxIcon::Information);
  EXPECT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) == 0; }, 5s));
  EXPECT_EQ(server_.Hits("/s/500"), 0);
  EXPECT_EQ(Bars().second, 0);
  EXPECT_EQ(app_.StatusText(), T(R::NeutralText));
  // Nothing about the rows changed.
  for (const auto& row : Rows()) EXPECT_EQ(row[kColumnSize], T(R::SizePlaceholder));
}

TEST_F(SizeTotalTest, AllRowsAndSingleEntryForms) {
  QueryFourSizes();
  Command(kMenuSizeOfAll);
  EXPECT_EQ(LastBoxText(2), T(R::ManyEntriesLeadAll) + u"4" + T(R::CountSizeJoiner) +
                                WithUnit(u"3.4", 2) + T(R::SizeTail) +
                                FailurePart(R::FailureLead, u"1", u"4"));
  WriteFlags({0, 1, 0, 0});
  Command(kMenuSizeOfSelected);
  EXPECT_EQ(LastBoxText(3), T(R::OneEntryLeadSelected) + WithUnit(u"2.0", 2) + T(R::SizeTail));
  // Every selected row without a size: the nothing-sized text.
  WriteFlags({0, 0, 1, 0});
  Command(kMenuSizeOfSelected);
  EXPECT_EQ(LastBoxText(4), T(R::NothingSizedSelected));
  // Two known sizes and no failure: no failure part.
  WriteFlags({1, 0, 0, 1});
  Command(kMenuSizeOfSelected);
  EXPECT_EQ(LastBoxText(5), T(R::ManyEntriesLeadSelected) + u"2" + T(R::CountSizeJoiner) +
                                WithUnit(u"1.5", 2) + T(R::SizeTail));
}

TEST_F(SizeTotalTest, AnEmptyListHasNothingToSize) {
  Start();
  Command(kMenuSizeOfAll);
  EXPECT_EQ(LastBoxText(2), T(R::NothingSizedAll));
  Command(kMenuSizeOfSelected);
  EXPECT_EQ(LastBoxText(3), T(R::NothingSizedSelected));
  EXPECT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) == 0; }, 5s));
}

TEST_F(SizeTotalTest, EscapeHeldAtTheStartCancelsBeforeAnyRowIsSized) {
  QueryFourSizes();
  WriteFlags({1, 1, 0, 0});
  app_.Give([] { KeyDown(UiKey::Escape); });
  Command(kMenuSizeOfSelected);
  // The message waits for the key to come up.
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(app_.Boxes().size(), 1u);
  app_.Give([] { KeyUp(UiKey::Escape); });
  EXPECT_EQ(LastBoxText(2), T(R::CancelLeadSelected) + u"0" + T(R::CancelMiddle) + u"0" +
                                T(R::CountSizeJoiner) + WithUnit(u"0", 1) + T(R::SizeTail));
  EXPECT_EQ(SizeRequests(), 0);
  EXPECT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) == 0; }, 5s));

  // Escape pressed (and let go) before a total began does not cancel it.
  app_.Give([] { KeyDown(UiKey::Escape); });
  app_.Give([] { KeyUp(UiKey::Escape); });
  Command(kMenuSizeOfAll);
  EXPECT_EQ(LastBoxText(3), T(R::ManyEntriesLeadAll) + u"4" + T(R::CountSizeJoiner) +
                                WithUnit(u"3.4", 2) + T(R::SizeTail) +
                                FailurePart(R::FailureLead, u"1", u"4"));
}

// An Escape that stays down: where the keyboard itself is read (Windows, X11) the cancel
// message waits for its release, so that it does not open under the held key; where only
// key events tell, the release may have been lost, and the message waits half a second.
TEST_F(SizeTotalTest, AHeldEscapeHoldsTheCancelMessageUntilItsReleaseWhereTheKeyboardIsRead) {
  QueryFourSizes();
  app_.Give([] { KeyDown(UiKey::Escape); });
  const auto start = std::chrono::steady_clock::now();
  Command(kMenuSizeOfAll);
  if (KeyStateIsPhysical(kKeyEscape)) {
    EXPECT_FALSE(WaitForBoxes(2, 1500ms)) << "the message opened under the held key";
    app_.Give([] { KeyUp(UiKey::Escape); });
    ASSERT_TRUE(WaitForBoxes(2, 5s));
  } else {
    ASSERT_TRUE(WaitForBoxes(2, 5s));
    EXPECT_LT(app_.Boxes().back().found - start, 1500ms);
    app_.Give([] { KeyUp(UiKey::Escape); });
  }
  EXPECT_TRUE(app_.WaitUntil([] { return WindowIsDisabled(kMainWindow) == 0; }, 2s));
}

TEST_F(SizeTotalTest, LengthsThatWouldOverflowTheTotalCountAsUnknown) {
  Start();
  PublishLength("/s/huge1", 6000000000000000000);
  PublishLength("/s/huge2", 6000000000000000000);
  Query({"/s/huge1", "/s/huge2"});
  Command(kMenuSizeOfAll);
  EXPECT_EQ(LastBoxText(), T(R::ManyEntriesLeadAll) + u"2" + T(R::CountSizeJoiner) +
                               WithUnit(u"5", 7) + T(R::SizeTail) +
                               FailurePart(R::FailureLead, u"1", u"2"));
}

TEST_F(SizeTotalTest, EscapeDuringATotalCancelsAfterTheRowInHand) {
  QueryFourSizes(400);
  Command(kMenuSizeOfAll);
  ASSERT_TRUE(app_.WaitUntil([this] { return server_.Hits("/s/1000") > 0; }, 5s));
  app_.Give([] {
    KeyDown(UiKey::Escape);
    KeyUp(UiKey::Escape);
  });
  EXPECT_EQ(LastBoxText(2), T(R::CancelLeadAll) + u"1" + T(R::CountSizeJoiner) +
                                WithUnit(u"1000", 1) + T(R::SizeTail));
  EXPECT_EQ(server_.Hits("/s/2000"), 0);
}

TEST_F(SizeTotalTest, OneEntryFollowsRedirectsAndReadsLowerCaseHeaders) {
  Start();
  PublishLength("/s/1000", 1000);
  PublishLength("/s/lower", 2000, "content-length");
  PublishLength("/s/none", 0, "X-Nothing");
  // The redirect announces a little body of its own.
  server_.Handle("/s/moved", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("moved along", "text/plain");
    response.set_redirect("/s/1000", 302);
  });
  Query({"/s/moved", "/s/lower", "/s/none"});
  auto sizeMessage = [](const Text& size) {
    return T(R::SizeMessagePrefix) + size + T(R::SizeMessageSuffix);
  };
  // Nothing selected: the first row.
  WriteFlags({0, 0, 0});
  Command(kMenuSizeOfEntry);
  EXPECT_EQ(LastBoxText(2), sizeMessage(WithUnit(u"1000", 1)));
  EXPECT_EQ(app_.Boxes().back().title, T(R::SizeMessageTitle));
  // The row the popup was opened on: a right click focuses a selected row and keeps the
  // selection; a selected row that holds the focus counts before the first selected one.
  WriteFlags({1, 1, 0});
  app_.OnUiLater([] { ClickListRow(kItemList, 1, 1, UiButton::Right); });
  ASSERT_TRUE(app_.WaitUntil(&PopupOpen));
  app_.OnUi(&ClosePopup);
  EXPECT_EQ(app_.OnUiValue<int64_t>([] { return ListGetItemFlags(kItemList, 0); }), 1);
  Command(kMenuSizeOfEntry);
  EXPECT_EQ(LastBoxText(3), sizeMessage(WithUnit(u"2.0", 2)));
  WriteFlags({0, 1, 1});  // the focus follows the last row selected
  Command(kMenuSizeOfEntry);
  EXPECT_EQ(LastBoxText(4), T(R::SizeUnknownText));
  // Otherwise the first selected row.
  app_.OnUi([] { ListSetItemFlags(kItemList, 2, 0); });
  Command(kMenuSizeOfEntry);
  EXPECT_EQ(LastBoxText(5), sizeMessage(WithUnit(u"2.0", 2)));
  WriteFlags({1, 1, 0});
  Command(kMenuSizeOfSelected);
  EXPECT_EQ(LastBoxText(6), T(R::ManyEntriesLeadSelected) + u"2" + T(R::CountSizeJoiner) +
                                WithUnit(u"2.9", 2) + T(R::SizeTail));
}

}  // namespace
}  // namespace run_test
