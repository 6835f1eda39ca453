#include "list_commands.h"

#include "app_state.h"
#include "catalogue_items.h"
#include "events.h"
#include "files.h"
#include "gadgets.h"
#include "item_rows.h"
#include "menus.h"
#include "report_list.h"
#include "requesters.h"
#include "texts.h"
#include "toolbar.h"
#include "toolkit_windows.h"
#include "worker_events.h"

namespace {

using R = TextRole;

void SetDownloadEnabled(bool enabled) {
  ToolbarSetButtonDisabled(kMainToolbar, kDownloadButton, enabled ? 0 : 1);
}

// Writes new flags to every row; `flagsFor` maps a row's current flags to its new ones.
template <class FlagsFor>
void RewriteFlags(FlagsFor flagsFor) {
  RunRowsChangedFrom(0);
  const int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row)
    ListSetItemFlags(kItemList, row, flagsFor(ListGetItemFlags(kItemList, row)));
}

void Requeue(int64_t row, int64_t flags) {
  RunRowsChangedFrom(row);
  ListSetItemFlags(kItemList, row, flags);
  SetRowStatusColour(row, kColourBlack);
  SetRowStatus(row, R::StatusTextQueued);
  ListSetCellText(kItemList, row, T(R::SizePlaceholder), kColumnSize);
}

}  // namespace

int CommandClear() {
  RunRowsChangedFrom(0);
  CatalogueItemsClear();
  ListRemoveAllItems(kItemList);
  ResetProgressBars();
  SetControlState(kControlsCleared);
  ShowMessage(R::NeutralText);
  return 0;
}

int CommandCheckSelected() {
  RewriteFlags([](int64_t flags) { return (flags & kListItemSelected) ? kListItemChecked : 0; });
  SetDownloadEnabled(true);
  return 0;
}

int CommandCheckAll() {
  RewriteFlags([](int64_t) { return kListItemChecked; });
  SetDownloadEnabled(true);
  return 0;
}

int CommandUncheckAll() {
  ListSetRedraw(kItemList, 0);
  RewriteFlags([](int64_t) { return int64_t{0}; });
  ListSetRedraw(kItemList, 1);
  SetDownloadEnabled(false);
  return 0;
}

int CommandInvertChecks() {
  RewriteFlags([](int64_t flags) { return (flags & kListItemChecked) ? 0 : kListItemChecked; });
  SetDownloadEnabled(true);
  return 0;
}

int CommandRequeueFailed() {
  ListSetRedraw(kItemList, 0);
  const int64_t rows = ListItemCount(kItemList);
  bool requeued = false;
  for (int64_t row = 0; row < rows; ++row) {
    if (!RowHasStatus(row, R::StatusTextFailed)) continue;
    Requeue(row, kListItemChecked);
    requeued = true;
  }
  if (requeued) SetDownloadEnabled(true);  // once: under Windows a toolbar call is a message
  ListSetRedraw(kItemList, 1);
  ResetProgressBars();
  return 0;
}

int CommandResetAll() {
  ListSetRedraw(kItemList, 0);
  const int64_t rows = ListItemCount(kItemList);
  for (int64_t row = 0; row < rows; ++row) Requeue(row, 0);
  ListSetRedraw(kItemList, 1);
  ResetProgressBars();
  SetDownloadEnabled(false);
  return 0;
}

int CommandSelectAll() {
  const int64_t focused = GadgetFocused();
  if (focused == kItemList) {
    ListSetRedraw(kItemList, 0);
    RewriteFlags([](int64_t flags) { return (flags & kListItemChecked) | kListItemSelected; });
    ListSetRedraw(kItemList, 1);
  } else if (focused == kSearchField) {
    GadgetSelectText(kSearchField, 1, -1);
  }
  return 0;
}

int CommandChooseFolder() {
  const Text kept = DownloadFolder;
  // The chooser opens in the folder only when it is there (the start-up one may not be yet).
  FolderCreate(DownloadFolder);
  DownloadFolder = ChooseFolder(T(R::FolderChooserTitle), DownloadFolder);
  if (DownloadFolder == T(R::NeutralText))
    DownloadFolder = kept;
  else
    GadgetSetText(kFolderField, DownloadFolder);
  return 0;
}

int CommandListClick() {
  if (DownloadActive != 0) return 0;
  const int64_t type = EventCurrentType();
  if (type == kGadgetRightClick && ListItemCount(kItemList) > 0)
    MenuShowPopup(kListPopupMenu, WindowGetHandle(kMainWindow));
  if (type == kGadgetClicked) SetDownloadEnabled(FirstRow(RowIsChecked) >= 0);
  ToolbarInvalidate(kMainToolbar);
  return 0;
}
