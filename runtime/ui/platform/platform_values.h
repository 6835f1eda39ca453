#pragma once
// The values that cross the seam between the toolkit's services and the platform under
// them unchanged: style flags, event types, window messages and their records, font
// descriptions. The services' headers include this, so their callers use the same
// names; a platform implementation reads them without including any service header.
// Only values and plain records here: no functions.
#include <cstdint>

#include "text.h"

// ---- Windows (windows.h)

// Passed for a coordinate, size or limit that is to stay as it is.
constexpr int64_t kKeepValue = -65535;
// Returned by a window filter to let the toolkit handle the message as usual.
constexpr int64_t kFilterDefault = -522133279;

// Style flags of WindowCreate.
constexpr int64_t kWindowTitleBar = 0xC00000;
constexpr int64_t kWindowSystemMenu = 0x80000;
constexpr int64_t kWindowSizable = 0x40000;
constexpr int64_t kWindowMinimiseButton = 0x20000;
constexpr int64_t kWindowMaximiseButton = 0x10000;
constexpr int64_t kWindowMinimised = 0x20000000;  // shown minimised
constexpr int64_t kWindowMaximised = 0x01000000;  // shown maximised
// Toolkit flags of WindowCreate (and of WindowSetHidden for the first three).
constexpr int64_t kWindowCentreScreen = 1;
constexpr int64_t kWindowCentreParent = 2;
constexpr int64_t kWindowNoActivate = 0x2000000;
constexpr int64_t kWindowTool = 4;
constexpr int64_t kWindowNotContainer = 8;  // gadgets do not go into this window
constexpr int64_t kWindowInvisible = 0x10000000;

// Messages a window filter sees, before the toolkit handles them.
constexpr uint32_t kMessageSize = 5;      // wParam 0 restored, 1 minimised, 2 maximised
constexpr uint32_t kMessageClose = 0x10;  // the user asks to close the window
constexpr uint32_t kMessageNotify = 78;   // lParam: address of a notice record

// A list's row is about to change because of the user (kMessageNotify; wParam is the
// list's gadget number). A non-default filter answer refuses the change.
constexpr int32_t kListNotifyItemChanging = -100;
constexpr uint32_t kListFieldState = 8;  // changedMask: the item state changes
// Item state bits of a notice.
constexpr uint32_t kListStateFocused = 1;
constexpr uint32_t kListStateSelected = 2;
constexpr uint32_t kListStateUnchecked = 0x1000;  // checkbox image 1: clear
constexpr uint32_t kListStateChecked = 0x2000;    // checkbox image 2: ticked

struct ListChangeNotice {
  int64_t fromHandle = 0;  // platform handle of the list
  int64_t fromGadget = 0;  // gadget number of the list
  int32_t code = 0;        // kListNotifyItemChanging
  int64_t row = 0;
  uint32_t changedMask = 0;
  uint32_t newState = 0;  // the complete new state: checkbox image, selected, focused
  uint32_t oldState = 0;
};

// Keyboard shortcut values: a key code in the low 16 bits plus modifier bits.
constexpr int64_t kShortcutShift = 0x10000;
constexpr int64_t kShortcutControl = 0x20000;
constexpr int64_t kShortcutAlt = 0x40000;
// Items of the two shortcuts every window starts with: Tab and Shift+Tab move the focus.
constexpr int64_t kItemNextGadget = 64001;
constexpr int64_t kItemPreviousGadget = 64002;

// ---- Gadgets (gadgets.h) and the report list (report_list.h)

// Event types of 13100.
constexpr int64_t kGadgetClicked = 0;      // button clicked; list: left click with a selected row
constexpr int64_t kGadgetRightClick = 1;   // list
constexpr int64_t kGadgetDoubleClick = 2;  // list
constexpr int64_t kGadgetRightDoubleClick = 3;  // list
constexpr int64_t kGadgetChange = 768;          // text edited; list selection or check changed
constexpr int64_t kGadgetFocusIn = 14000;       // text field
constexpr int64_t kGadgetFocusOut = 14001;      // text field
constexpr int64_t kGadgetBeginDrag = 14002;     // list

// Frame flags: 0 group frame with caption, else a border without text.
constexpr int64_t kFrameGroup = 0;
constexpr int64_t kFrameSunken = 1;
constexpr int64_t kFrameFlat = 2;  // width 2: a vertical divider line
// Panel flags.
constexpr int64_t kPanelSingleLine = 1;
constexpr int64_t kPanelDoubleLine = 2;
constexpr int64_t kPanelFlat = 4;
constexpr int64_t kPanelSunken = 8;
// Report list flags.
constexpr int64_t kListCheckboxes = 1;
constexpr int64_t kListMultiSelect = 4;
constexpr int64_t kListThreeState = 0x40;  // with kListCheckboxes
constexpr int64_t kListGridLines = 0x10000;
constexpr int64_t kListFullRowSelect = 0x40000000;

// Cell colours: which one.
constexpr int64_t kListColourText = 1;
constexpr int64_t kListColourBackground = 2;

// A row's checkbox.
enum class ListCheck : uint8_t { kClear, kTicked, kThird };

// ---- Status bars (statusbar.h) and toolbars (toolbar.h)

// StatusbarSetText flags.
constexpr int64_t kStatusRaised = 1;
constexpr int64_t kStatusNoBorder = 2;
constexpr int64_t kStatusCentred = 4;
constexpr int64_t kStatusRight = 8;

// ToolbarCreate flags.
constexpr int64_t kToolbarLargeImages = 2;  // 24 x 24 instead of 16 x 16
constexpr int64_t kToolbarTextBelow = 4;
constexpr int64_t kToolbarTextBeside = 8;  // with kToolbarTextBelow
// Stock images.
constexpr int64_t kStockCut = 0;
constexpr int64_t kStockCopy = 1;
constexpr int64_t kStockPaste = 2;
constexpr int64_t kStockUndo = 3;
constexpr int64_t kStockRedo = 4;
constexpr int64_t kStockDelete = 5;
constexpr int64_t kStockNewDocument = 6;
constexpr int64_t kStockOpen = 7;
constexpr int64_t kStockSave = 8;
constexpr int64_t kStockPrintPreview = 9;
constexpr int64_t kStockProperties = 10;
constexpr int64_t kStockHelp = 11;
constexpr int64_t kStockFind = 12;
constexpr int64_t kStockReplace = 13;
constexpr int64_t kStockPrint = 14;

// ---- Fonts (fonts.h)

// FontLoad flags.
constexpr int64_t kFontUnderline = 4;
constexpr int64_t kFontStrikeOut = 8;
constexpr int64_t kFontHighQuality = 16;
constexpr int64_t kFontBold = 0x100;
constexpr int64_t kFontItalic = 0x200;

// What a font handle stands for; `face` is the installed family actually used.
struct FontSpec {
  Text face;
  int64_t pixelHeight = 0;
  int64_t flags = 0;
};
