// The status bar over the common status bar control: docking, the field layout with and
// without the size grip's room, and texts with their borders and alignment.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "events.h"
#include "statusbar.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kBar = 1;
constexpr int64_t K = kKeepValue;

class StatusbarTest : public Win32WindowTest {
 protected:
  HWND Control() const { return HwndOf(StatusbarGetHandle(kBar)); }
  int InnerHeight() const {
    RECT r{};
    GetClientRect(Control(), &r);
    return r.bottom;
  }
};

TEST_F(StatusbarTest, FieldsShareWhatFixedOnesAndTheGripLeave) {
  enum class Shape { kSizable, kFixed, kMaximised };
  struct Case {
    Shape shape;
    std::vector<int64_t> widths;
  };
  const Case cases[] = {
      {Shape::kSizable, {240}},
      {Shape::kSizable, {100, K, 50, K}},
      {Shape::kFixed, {100, K, 50, K}},
      {Shape::kMaximised, {K, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.shape));
    if (c.shape == Shape::kFixed) {
      SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) & ~WS_THICKFRAME);
      SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    ASSERT_NE(StatusbarCreate(kBar, WindowGetHandle(kTestWindow)), 0);
    for (int64_t width : c.widths) StatusbarAddField(width);
    if (c.shape == Shape::kMaximised) ShowWindow(window_, SW_MAXIMIZE);
    RECT inner{};
    GetClientRect(window_, &inner);
    const int64_t grip = c.shape == Shape::kSizable ? InnerHeight() - 3 : 0;
    int64_t fixed = 0, shared = 0;
    for (int64_t width : c.widths) {
      if (width == K)
        ++shared;
      else
        fixed += width;
    }
    int64_t left = 0;
    for (size_t field = 0; field < c.widths.size(); ++field) {
      const int64_t width =
          c.widths[field] == K ? (inner.right - grip - fixed) / shared : c.widths[field];
      EXPECT_EQ(StatusbarGetFieldX(kBar, static_cast<int64_t>(field)), left) << field;
      EXPECT_EQ(StatusbarGetFieldWidth(kBar, static_cast<int64_t>(field)), width) << field;
      left += width;
    }
    std::vector<int> edges(c.widths.size());
    const auto parts =
        SendMessageW(Control(), SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    EXPECT_EQ(parts, static_cast<LRESULT>(c.widths.size()));
    EXPECT_EQ(edges.back(), left) << "the control has the same right edges";
    TearDown();
    SetUp();
  }
  // The simplest case by number: one field of 240 in a 640 window covers 0..240.
  StatusbarCreate(kBar, WindowGetHandle(kTestWindow));
  StatusbarAddField(240);
  EXPECT_EQ(StatusbarGetFieldX(kBar, 0), 0);
  EXPECT_EQ(StatusbarGetFieldWidth(kBar, 0), 240);
}

TEST_F(StatusbarTest, DocksAtTheBottomAtLeast18HighAndFollowsTheWindow) {
  StatusbarCreate(kBar, WindowGetHandle(kTestWindow));
  StatusbarAddField(240);
  StatusbarAddField(K);
  int borders[3] = {};
  SendMessageW(Control(), SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  EXPECT_GE(InnerHeight() - 2 * borders[1], 18);
  EXPECT_EQ(StatusbarGetHeight(kBar), InnerHeight());

  WindowMove(kTestWindow, kKeepValue, kKeepValue, 800, 500);
  const PlatformRect bar = PlatformGetGeometry(StatusbarGetHandle(kBar));
  EXPECT_EQ(bar.x, 0);
  EXPECT_EQ(bar.y, 500 - StatusbarGetHeight(kBar));
  EXPECT_EQ(bar.width, 800);
  EXPECT_EQ(StatusbarGetFieldX(kBar, 0), 0);
  EXPECT_EQ(StatusbarGetFieldWidth(kBar, 0), 240);
  EXPECT_EQ(StatusbarGetFieldWidth(kBar, 1), 800 - (InnerHeight() - 3) - 240);
}

TEST_F(StatusbarTest, TextsCarryTheirBorderAndAlignmentAndReadBackAsSet) {
  struct Case {
    int64_t flags;
    const char16_t* text;
    const wchar_t* shown;  // what the control holds
    WORD type;
  };
  const Case cases[] = {
      {0, u"plain", L"plain", 0},
      {kStatusRaised, u"up", L"up", SBT_POPOUT},
      {kStatusNoBorder, u"flat", L"flat", SBT_NOBORDERS},
      {kStatusCentred, u"mid", L"\tmid", 0},
      {kStatusRight, u"right", L"\t\tright", 0},
      {kStatusCentred | kStatusRight, u"both", L"\tboth", 0},
      {kStatusRight, u"\tmine", L"\t\t\tmine", 0},
      {0, u"", L"", 0},
  };
  StatusbarCreate(kBar, WindowGetHandle(kTestWindow));
  StatusbarAddField(100);
  StatusbarAddField(K);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.flags << " " << static_cast<int>(c.text[0]));
    StatusbarSetText(kBar, 1, c.text, c.flags);
    EXPECT_EQ(StatusbarGetText(kBar, 1), c.text);
    wchar_t shown[32] = {};
    const LRESULT length = SendMessageW(Control(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, c.shown);
    EXPECT_EQ(HIWORD(length), c.type);
  }
  StatusbarSetText(kBar, 2, u"nowhere", 0);
  EXPECT_EQ(StatusbarGetText(kBar, 2), u"");
  EXPECT_EQ(StatusbarGetText(kBar, 0), u"");

  // Workers set texts too; the UI thread carries them out while it waits for messages.
  std::atomic<bool> done{false};
  std::thread worker([&] {
    StatusbarSetText(kBar, 0, u"from a worker", kStatusRight);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(StatusbarGetText(kBar, 0), u"from a worker");
}

}  // namespace
