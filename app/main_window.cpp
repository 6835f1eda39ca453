#include "main_window.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "app_state.h"
#include "gadgets.h"
#include "images.h"
#include "item_rows.h"
#include "menus.h"
#include "report_list.h"
#include "statusbar.h"
#include "stop_picture.h"
#include "texts.h"
#include "toolbar.h"
#include "toolkit_windows.h"

namespace {

using R = TextRole;

constexpr int64_t kInitialWidth = 640;
constexpr int64_t kInitialHeight = 320;
constexpr int64_t kMainWindowFlags = kWindowInvisible | kWindowTitleBar | kWindowSystemMenu |
                                     kWindowSizable | kWindowMinimiseButton |
                                     kWindowMaximiseButton;  // 0x10CF0000
constexpr int64_t kStatusFieldWidth = 240;
constexpr int64_t kFirstColumnWidth = 56;
constexpr int64_t kItemListFlags =
    kListCheckboxes | kListMultiSelect | kListGridLines | kListFullRowSelect;  // 0x40010005
constexpr uint32_t kListCheckImageBits = kListStateUnchecked | kListStateChecked;
constexpr int64_t kShortcutReturn = 13;
constexpr int64_t kShortcutSelectAll = kShortcutControl | 0x41;  // Control+A

// Measured once after the toolbar and the status bar are built.
int64_t toolbarHeight = 0;
int64_t statusbarHeight = 0;
int64_t itemListHandle = 0;

void BuildToolbar() {
  ToolbarCreate(kMainToolbar, WindowGetHandle(kMainWindow), 0);
  ToolbarAddStockButton(kClearButton, kStockNewDocument, kToolbarPushButton, T(R::NeutralText));
  ToolbarSetTip(kMainToolbar, kClearButton, T(R::TipClearButton));
  ToolbarAddStockButton(kDownloadButton, kStockSave, kToolbarPushButton, T(R::NeutralText));
  ToolbarSetButtonDisabled(kMainToolbar, kDownloadButton, 1);
  ToolbarSetTip(kMainToolbar, kDownloadButton, T(R::TipDownloadButton));
  ImageFromMemory(kStopImage, StopPictureData(), kStopPictureSize);
  ToolbarAddImageButton(kStopButton, ImageGetHandle(kStopImage), kToolbarPushButton,
                        T(R::NeutralText));
  ToolbarSetButtonDisabled(kMainToolbar, kStopButton, 1);
  ToolbarSetTip(kMainToolbar, kStopButton, T(R::TipStopButton));
  ToolbarAddSeparator();
  toolbarHeight = ToolbarGetHeight(kMainToolbar);
}

// Gadgets are made on the window and then moved into the toolbar, so that their
// coordinates count from the toolbar's corner.
void BuildToolbarGadgets(int64_t width) {
  const int64_t toolbar = ToolbarGetHandle(kMainToolbar);
  GadgetCreateTextField(kSearchField, 78, 3, 240, 18, T(R::NeutralText), 0);
  GadgetSetTip(kSearchField, T(R::TipSearchField));
  GadgetSetParentHandle(kSearchField, toolbar);
  GadgetCreateFrame(kToolbarDivider, 324, 3, 2, 20, T(R::NeutralText), kFrameFlat);
  GadgetSetParentHandle(kToolbarDivider, toolbar);
  GadgetCreateButton(kFolderButton, 330, 3, 18, 18, T(R::FolderButtonCaption), 0);
  GadgetSetTip(kFolderButton, T(R::TipFolderButton));
  GadgetSetParentHandle(kFolderButton, toolbar);
  GadgetCreateTextField(kFolderField, 352, 3, width - 360, 18, DownloadFolder, kTextFieldReadOnly);
  GadgetSetTip(kFolderField, T(R::TipFolderField));
  GadgetSetParentHandle(kFolderField, toolbar);
}

void BuildItemList(int64_t width, int64_t height) {
  itemListHandle = GadgetCreateReportList(kItemList, 0, toolbarHeight, width, height,
                                          T(R::ColumnNumber), kFirstColumnWidth, kItemListFlags);
  ListAddColumn(kItemList, kColumnName, T(R::ColumnName), 180);
  ListAddColumn(kItemList, kColumnSize, T(R::ColumnSize), 120);
  ListAddColumn(kItemList, kColumnStatus, T(R::ColumnStatus), 120);
}

// The panel sits in the status bar right of its one field.
void BuildProgressPanel(int64_t width) {
  GadgetCreatePanel(kProgressPanel, kStatusFieldWidth, 2, width - kStatusFieldWidth,
                    statusbarHeight - 4, 0);
  GadgetCreateProgressBar(kBatchProgressBar, 10, 4, 0, 10, 1, 1, 0);
  GadgetSetTip(kBatchProgressBar, T(R::TipBatchProgress));
  GadgetCreateProgressBar(kFileProgressBar, 10, 4, 0, 10, 1, 100, 0);
  GadgetSetTip(kFileProgressBar, T(R::TipFileProgress));
  GadgetEndPanel();
  GadgetSetParentHandle(kProgressPanel, StatusbarGetHandle(kMainStatusbar));
}

void AddMenuItems(std::initializer_list<std::pair<int64_t, R>> items) {
  for (const auto& [item, role] : items) MenuAddItem(item, T(role));
}

void BuildPopupMenu() {
  MenuCreatePopup(kListPopupMenu);
  MenuBeginSubmenu(T(R::SubmenuChecks));
  AddMenuItems({{kMenuCheckSelected, R::MenuCheckSelected},
                {kMenuCheckAll, R::MenuCheckAll},
                {kMenuUncheckAll, R::MenuUncheckAll},
                {kMenuInvertChecks, R::MenuInvertChecks}});
  MenuEndSubmenu();
  MenuBeginSubmenu(T(R::SubmenuSizes));
  AddMenuItems({{kMenuSizeOfEntry, R::MenuSizeOfEntry},
                {kMenuSizeOfSelected, R::MenuSizeOfSelected},
                {kMenuSizeOfAll, R::MenuSizeOfAll}});
  MenuEndSubmenu();
  MenuBeginSubmenu(T(R::SubmenuQueue));
  AddMenuItems({{kMenuRequeueFailed, R::StatusTextFailed}, {kMenuResetAll, R::MenuResetAll}});
  MenuEndSubmenu();
}

}  // namespace

void BuildMainWindow() {
  WindowCreate(kMainWindow, 10, 10, kInitialWidth, kInitialHeight,
               T(R::WindowTitle) + T(R::WindowTitleSecond), kMainWindowFlags);
  WindowSetClipErase(kMainWindow, 1);
  WindowSetSizeLimits(kMainWindow, kInitialWidth, kInitialHeight, kKeepValue, kKeepValue);
  BuildToolbar();
  const int64_t width = WindowGetInnerWidth(kMainWindow);
  const int64_t height = WindowGetInnerHeight(kMainWindow);
  BuildToolbarGadgets(width);
  StatusbarCreate(kMainStatusbar, WindowGetHandle(kMainWindow));
  statusbarHeight = StatusbarGetHeight(kMainStatusbar);
  StatusbarAddField(kStatusFieldWidth);
  BuildItemList(width, height);
  BuildProgressPanel(width);
  LayoutMainWindow();
  BuildPopupMenu();
  WindowAddShortcut(kMainWindow, kShortcutReturn, kMenuSearch);
  WindowAddShortcut(kMainWindow, kShortcutSelectAll, kMenuSelectAll);
  WindowSetFilter(&MainWindowFilter, kMainWindow);
}

int LayoutMainWindow() {
  const int64_t width = WindowGetInnerWidth(kMainWindow);
  const int64_t height = WindowGetInnerHeight(kMainWindow);
  const int64_t third = (width - 270) / 3;
  GadgetMove(kFolderField, kKeepValue, kKeepValue, width - 360, kKeepValue);
  GadgetMove(kItemList, kKeepValue, kKeepValue, width, height - toolbarHeight - statusbarHeight);
  GadgetMove(kProgressPanel, kKeepValue, kKeepValue, width - kStatusFieldWidth, kKeepValue);
  GadgetMove(kBatchProgressBar, third + 10, kKeepValue, 2 * (width - 270) / 3, kKeepValue);
  GadgetMove(kFileProgressBar, 5, kKeepValue, third, kKeepValue);
  return 0;
}

void FitNumberColumn() {
  const int64_t rows = ListItemCount(kItemList);
  if (rows == 0) return;
  const int64_t needed = ListGetCellWidth(kItemList, rows - 1, kColumnNumber);
  ListSetColumnWidth(kItemList, kColumnNumber, std::max(kFirstColumnWidth, needed));
}

int64_t MainWindowFilter(int64_t, uint32_t message, uint64_t, int64_t lParam) {
  if (message != kMessageNotify || lParam == 0) return kFilterDefault;
  const auto* notice = reinterpret_cast<const ListChangeNotice*>(lParam);
  if (notice->fromHandle != itemListHandle || notice->code != kListNotifyItemChanging ||
      notice->changedMask != kListFieldState)
    return kFilterDefault;
  const bool checkboxOnly =
      notice->newState == kListStateUnchecked || notice->newState == kListStateChecked;
  if (checkboxOnly && DownloadActive != 0) return 1;
  const bool checkChanges = ((notice->newState ^ notice->oldState) & kListCheckImageBits) != 0;
  if (checkChanges && RowIsDownloading(notice->row)) return 1;
  if (checkChanges) RunRowsChangedFrom(notice->row);  // it may be queued from now on
  return kFilterDefault;
}
