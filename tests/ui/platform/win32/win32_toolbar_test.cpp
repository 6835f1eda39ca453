// The toolbar over the common toolbar control: its pictures, its buttons' handles, and
// the menu events of real clicks.
#include <gtest/gtest.h>

#include "events.h"
#include "gadgets.h"
#include "toolbar.h"
#include "toolkit_windows.h"
#include "win32_test_support.h"

namespace {

constexpr int64_t kBar = 1;

class ToolbarTest : public Win32WindowTest {
 protected:
  HWND Control() const { return HwndOf(ToolbarGetHandle(kBar)); }
  int64_t Button(int64_t button) const {
    return PlatformToolbarButton(ToolbarGetHandle(kBar), button);
  }
  TBBUTTON Entry(int index) const {
    TBBUTTON entry{};
    SendMessageW(Control(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&entry));
    return entry;
  }
  // Presses and lets go of a mouse button over the middle of a toolbar button.
  void Click(int64_t button, UINT down, UINT up) const {
    PlatformRect r = PlatformGetGeometry(Button(button));
    LPARAM at = MAKELPARAM(r.x + r.width / 2, r.y + r.height / 2);
    SendMessageW(Control(), down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, at);
    SendMessageW(Control(), up, 0, at);
  }
};

// ARGB at (x, y) of image `index` of an image list, drawn onto transparent black.
uint32_t ImagePixel(HIMAGELIST images, int index, int x, int y) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = 32;
  format.bmiHeader.biHeight = -32;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const GdiObject<HBITMAP> canvas(
      CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  const MemoryDc memory(CreateCompatibleDC(nullptr));
  const Selection drawn(memory.Get(), canvas.Get());
  ImageList_Draw(images, index, memory.Get(), 0, 0, ILD_NORMAL);
  GdiFlush();
  return static_cast<const uint32_t*>(bits)[y * 32 + x];
}

TEST_F(ToolbarTest, StockPicturesFollowThePlaceholderAndImageButtonsComeAfterThem) {
  struct Case {
    int64_t flags;
    int size;
  };
  for (const Case& c : {Case{0, 16}, Case{kToolbarLargeImages, 24}}) {
    SCOPED_TRACE(c.size);
    ASSERT_NE(ToolbarCreate(kBar, WindowGetHandle(kTestWindow), c.flags), 0);
    EXPECT_EQ(GetDlgCtrlID(Control()), -10000);
    ToolbarAddStockButton(10, kStockCut, 0, u"");
    ToolbarAddStockButton(11, kStockPrint, 0, u"");
    std::vector<uint32_t> picture(static_cast<size_t>(c.size * c.size), 0);
    picture[static_cast<size_t>(c.size + 1)] = 0xFFFF0000;  // red at (1, 1)
    PlatformToolbarAddButton(ToolbarGetHandle(kBar), 12, -1, picture, c.size, c.size, false, u"");
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(Control(), TB_GETIMAGELIST, 0, 0));
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, c.size);
    EXPECT_EQ(ImageList_GetImageCount(images), 1 + 15 + 1);
    EXPECT_EQ(Entry(0).iBitmap, kStockCut + 1);
    EXPECT_EQ(Entry(1).iBitmap, kStockPrint + 1);
    EXPECT_EQ(Entry(2).iBitmap, 16);
    EXPECT_EQ(ImagePixel(images, 16, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(images, 16, 2, 1) >> 24, 0u) << "transparent stays transparent";
    WindowClose(kTestWindow);  // the toolbar goes with it
    PumpFor(10);
    EXPECT_EQ(ToolbarGetHandle(kBar), 0);
    SetUp();
  }
}

TEST_F(ToolbarTest, EnabledButtonsRaiseMenuEventsAndDisabledOnesNothing) {
  RecordEvents(kEventMenu);
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(0, kStockNewDocument, 0, u"");
  ToolbarAddSeparator();
  ToolbarAddStockButton(70000, kStockSave, 0, u"");
  const PlatformRect first = PlatformGetGeometry(Button(0));
  EXPECT_EQ(PlatformGetGeometry(Button(70000)).x, first.x + first.width + 8);
  ForgetEvents();

  ToolbarSetButtonDisabled(kBar, 70000, 1);
  EXPECT_EQ(ToolbarIsButtonDisabled(kBar, 70000), 1);
  EXPECT_FALSE(SendMessageW(Control(), TB_ISBUTTONENABLED, 70000, 0));
  Click(70000, WM_LBUTTONDOWN, WM_LBUTTONUP);
  PumpFor(10);
  EXPECT_TRUE(Seen().empty());

  ToolbarSetButtonDisabled(kBar, 70000, 0);
  Click(70000, WM_LBUTTONDOWN, WM_LBUTTONUP);
  Click(0, WM_LBUTTONDOWN, WM_LBUTTONUP);
  PumpFor(10);
  EXPECT_EQ(Seen(), (std::vector<SeenEvent>{{kEventMenu, kTestWindow, 70000, 0},
                                            {kEventMenu, kTestWindow, 0, 0}}));
}

TEST_F(ToolbarTest, ButtonHandlesAnswerTipsAndGeometryAndSeparatorsHaveNone) {
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(3, kStockOpen, 0, u"");
  ToolbarAddSeparator();
  ToolbarAddStockButton(4, kStockSave, kToolbarToggleButton, u"");
  EXPECT_EQ(ToolbarButtonCount(kBar), 2);
  EXPECT_NE(Button(3), 0);
  EXPECT_NE(Button(3), Button(4));
  EXPECT_TRUE(PlatformIsWidget(Button(4)));
  EXPECT_EQ(Button(99), 0);
  EXPECT_EQ(Entry(2).fsStyle & BTNS_CHECK, BTNS_CHECK);

  ToolbarSetTip(kBar, 4, u"Save & go");
  ToolbarSetTip(kBar, 4, u"Save it");
  EXPECT_EQ(ToolbarGetTip(kBar, 4), u"Save it");
  HWND tips = reinterpret_cast<HWND>(SendMessageW(Control(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  wchar_t shown[64] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = Control();
  tool.uId = 4;
  tool.lpszText = shown;
  SendMessageW(tips, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(shown, L"Save it");
  RECT r{};
  SendMessageW(Control(), TB_GETRECT, 4, reinterpret_cast<LPARAM>(&r));
  PlatformRect geometry = PlatformGetGeometry(Button(4));
  EXPECT_EQ(geometry.x, r.left);
  EXPECT_EQ(geometry.width, r.right - r.left);

  const int64_t gone = Button(3);
  WindowClose(kTestWindow);
  PumpFor(10);
  EXPECT_FALSE(PlatformIsWidget(gone)) << "button handles go with the toolbar";
  SetUp();
}

TEST_F(ToolbarTest, RightClickLeavesNoButtonPressed) {
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(5, kStockCopy, 0, u"");
  SendMessageW(Control(), TB_PRESSBUTTON, 5, TRUE);
  Click(5, WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_FALSE(SendMessageW(Control(), TB_ISBUTTONPRESSED, 5, 0));
}

TEST_F(ToolbarTest, FollowsTheWindowWidthAndPassesOnItsGadgetsMessages) {
  RecordEvents(kEventGadget);
  ToolbarCreate(kBar, WindowGetHandle(kTestWindow), 0);
  ToolbarAddStockButton(1, kStockFind, 0, u"");
  GadgetCreateTextField(20, 200, 2, 120, 20, u"", 0);
  PlatformSetParent(GadgetGetHandle(20), ToolbarGetHandle(kBar));
  WindowMove(kTestWindow, kKeepValue, kKeepValue, 800, 400);
  PlatformRect bar = PlatformGetGeometry(ToolbarGetHandle(kBar));
  EXPECT_EQ(bar.x, 0);
  EXPECT_EQ(bar.y, 0);
  EXPECT_EQ(bar.width, 800);
  EXPECT_EQ(bar.height, ToolbarGetHeight(kBar));
  ForgetEvents();
  SetWindowTextW(HwndOf(GadgetGetHandle(20)), L"cats");
  PumpFor(10);
  EXPECT_EQ(CountSeen(kEventGadget, 20, EN_CHANGE), 1u);
}

}  // namespace
