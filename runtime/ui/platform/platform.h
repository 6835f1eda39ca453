#pragma once
// The seam between the toolkit's services (numbers, records, rules) above and the
// platform's windows and controls below: what a platform implementation provides
// (platform/qt/ for Qt 6 Widgets). Calls go down; what the platform reports back goes
// only through the hooks a service hands down when it creates an object, and the key
// note handed to PlatformStart. A platform handle is the address of a platform object
// as int64_t, and 0 means none. Every function is called on the UI thread, except
// RunOnUiThread, PlatformIsUiThread, PlatformKeyIsUp and PlatformKeyStateIsPhysical.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/platform_values.h"
#include "text.h"

// ---- What the platform reports back

// The object with this handle is going away: destroyed by its service, or by the
// platform with its window. Called once, as the last word on the object.
using PlatformGone = std::function<void(int64_t handle)>;
// A message for the window filter before the platform handles it (kMessageClose,
// kMessageSize, kMessageNotify): kFilterDefault lets the platform go on as usual,
// anything else is the answer and the platform does nothing more with the message.
using PlatformFilter = std::function<int64_t(int64_t platformWindow, uint32_t message,
                                             uint64_t wParam, int64_t lParam)>;
// A key went down or up anywhere in the application (virtual key code).
using PlatformKeyNote = void (*)(int64_t virtualKey, bool down);

// A window's keyboard shortcut: a key code with modifier bits, and its menu item.
struct PlatformShortcut {
  int64_t key = 0;
  int64_t item = 0;
};

struct PlatformWindowHooks {
  PlatformGone gone;
  PlatformFilter filter;
  // The item of the window's shortcut for a key code with modifier bits, or -1.
  std::function<int64_t(int64_t shortcut)> shortcut;
};

// The rows a report list shows. The list service owns them and hands them to
// PlatformListCreate; the view reads them, and changes them only inside the list calls
// below that change the row or column set, and for a user's toggle the filter allowed.
class PlatformListModel {
 public:
  virtual int64_t RowCount() const = 0;
  virtual int64_t ColumnCount() const = 0;
  virtual const Text& Title(int64_t column) const = 0;
  // Valid until the rows next change.
  virtual TextView Cell(int64_t row, int64_t column) const = 0;
  // which: kListColourText or kListColourBackground; -1 when the default applies.
  virtual int64_t Colour(int64_t row, int64_t column, int64_t which) const = 0;
  virtual ListCheck Check(int64_t row) const = 0;
  virtual void SetCheck(int64_t row, ListCheck check) = 0;
  // The row index at which a row inserted at `position` lands (-1 or beyond: the end).
  virtual int64_t InsertPosition(int64_t position) const = 0;
  // Cells separated by line feeds; returns the row's index.
  virtual int64_t InsertRow(int64_t position, TextView cells) = 0;
  // Returns the column's index.
  virtual int64_t InsertColumn(int64_t position, const Text& title) = 0;
  virtual void Clear() = 0;

  bool HasRow(int64_t row) const { return row >= 0 && row < RowCount(); }
  bool HasCell(int64_t row, int64_t column) const {
    return HasRow(row) && column >= 0 && column < ColumnCount();
  }

 protected:
  ~PlatformListModel() = default;
};

// ---- Start, threads and the keyboard

// `keyNote` hears every key going down or up (on the UI thread).
bool PlatformStart(int& argc, char** argv, PlatformKeyNote keyNote);
void PlatformStop();
// Other threads' calls and posts are dropped from now on (see ToolkitRefuseWorkerCalls).
void PlatformRefuseWorkerCalls();
bool PlatformRunning();
bool PlatformIsUiThread();
// Runs `work` on the UI thread and returns once it has finished (directly when called
// there, or when the platform is not running).
void RunOnUiThread(const std::function<void()>& work);
// Runs `work` on the UI thread after the calls and posted events handed over before it,
// without waiting for it (directly when called there, or when the platform is not
// running). Dropped, like any other call, once other threads' calls are refused.
void PostToUiThread(std::function<void()> work);
// Any thread: true when the platform can tell that a key noted down is up by now (its
// release was lost); false when it is down or the platform cannot tell.
bool PlatformKeyIsUp(int64_t virtualKey);
// Any thread: true when PlatformKeyIsUp reads the key's physical state, so that a wait
// for its release needs no bound; false where only key events tell.
bool PlatformKeyStateIsPhysical(int64_t virtualKey);

// ---- Any widget

struct PlatformRect {
  int64_t x = 0, y = 0, width = 0, height = 0;
};

// True while the handle names a live widget made by the toolkit.
bool PlatformIsWidget(int64_t handle);
void PlatformDestroy(int64_t handle);
PlatformRect PlatformGetGeometry(int64_t handle);
void PlatformSetGeometry(int64_t handle, const PlatformRect& rect);
void PlatformSetEnabled(int64_t handle, bool enabled);
bool PlatformIsEnabled(int64_t handle);
void PlatformSetToolTip(int64_t handle, const Text& text);
Text PlatformGetToolTip(int64_t handle);
// Moves a widget into another toolkit widget, keeping its position numbers.
void PlatformSetParent(int64_t handle, int64_t parent);
void PlatformSetFocus(int64_t handle);
void PlatformRepaint(int64_t handle);
// The gadget number of the focused widget (or of its nearest gadget ancestor), or -1.
int64_t PlatformFocusedGadget();
// The toolkit window number of a window handle, or -1.
int64_t PlatformWindowNumberOf(int64_t handle);

// ---- Windows

int64_t PlatformWindowCreate(int64_t number, const Text& title, int64_t flags,
                             const PlatformWindowHooks& hooks);
void PlatformWindowSetInnerSize(int64_t handle, int64_t width, int64_t height);
void PlatformWindowSetPosition(int64_t handle, int64_t x, int64_t y);
PlatformRect PlatformWindowFrame(int64_t handle);
void PlatformWindowCentre(int64_t handle, bool onParent);
// From here on size and move changes raise events.
void PlatformWindowSetReady(int64_t handle);
// The window's shortcuts after each change, for a platform that keeps its own table (the
// others ask the window's shortcut hook as keys arrive).
void PlatformWindowSetShortcuts(int64_t handle, const std::vector<PlatformShortcut>& shortcuts);
// 0 removes a limit.
void PlatformWindowSetLimits(int64_t handle, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                             int64_t maxHeight);
void PlatformWindowShow(int64_t handle, bool activate);
void PlatformWindowHide(int64_t handle);
bool PlatformWindowIsHidden(int64_t handle);
bool PlatformWindowIsMinimisedOrMaximised(int64_t handle);
void PlatformWindowSetState(int64_t handle, bool minimised, bool maximised);

// ---- Gadgets. `window` is the owning window's number: the gadget's events carry it
// wherever the gadget is moved.

int64_t PlatformTextFieldCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                                bool readOnly, bool border, const PlatformGone& gone);
int64_t PlatformButtonCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                             const PlatformGone& gone);
int64_t PlatformFrameCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                            int64_t flags, const PlatformGone& gone);
int64_t PlatformPanelCreate(int64_t parent, int64_t number, int64_t window, int64_t flags,
                            const PlatformGone& gone);
int64_t PlatformProgressCreate(int64_t parent, int64_t number, int64_t window,
                               const PlatformGone& gone);
// Texts of text fields, buttons and frames.
void PlatformSetText(int64_t handle, const Text& text);
Text PlatformGetText(int64_t handle);
void PlatformSelectText(int64_t handle, int64_t start, int64_t length);
// busy: the bar shows activity instead of a position.
void PlatformProgressShow(int64_t handle, int64_t minimum, int64_t maximum, int64_t value,
                          bool busy);

// ---- The report list. Changes of the row or column set go through these calls so that
// the view follows them; `filter` is asked before a user's toggle of a checkbox.

int64_t PlatformListCreate(int64_t parent, int64_t number, int64_t window, const Text& title,
                           int64_t width, int64_t flags, PlatformListModel& rows,
                           const PlatformFilter& filter, const PlatformGone& gone);
int64_t PlatformListInsertRow(int64_t handle, int64_t position, TextView text);
void PlatformListClear(int64_t handle);
void PlatformListInsertColumn(int64_t handle, int64_t position, const Text& title, int64_t width);
int64_t PlatformListColumnWidth(int64_t handle, int64_t column);
void PlatformListSetColumnWidth(int64_t handle, int64_t column, int64_t width);
// The width a cell needs to show whole: its text, a checkbox, margins.
int64_t PlatformListCellWidth(int64_t handle, int64_t row, int64_t column);
// The row with the focus mark, or -1.
int64_t PlatformListFocusedRow(int64_t handle);
// Repaints rows whose cells, colours or checks the service changed in the model.
void PlatformListRowsChanged(int64_t handle, int64_t firstRow, int64_t lastRow);
bool PlatformListIsSelected(int64_t handle, int64_t row);
bool PlatformListIsFocused(int64_t handle, int64_t row);
// Selects (with the focus mark) or deselects a row.
void PlatformListSelect(int64_t handle, int64_t row, bool selected);
// Clears the selection; row >= 0 is then selected, focused and scrolled into view.
void PlatformListSelectOnly(int64_t handle, int64_t row);
int64_t PlatformListFirstSelected(int64_t handle);
void PlatformListSetRedraw(int64_t handle, bool on);
bool PlatformListThreeState(int64_t handle);
// Where a row's checkbox is drawn, in the coordinates of the list's viewport (for tests
// that click it); empty without one.
PlatformRect PlatformListCheckboxRect(int64_t handle, int64_t row);

// ---- Menus

int64_t PlatformMenuCreate();
int64_t PlatformMenuAddSubmenu(int64_t menu, const Text& title);
void PlatformMenuAddItem(int64_t menu, int64_t item, const Text& text);
// Shows the menu with its corner one pixel up and left of the cursor; the chosen item or
// -1. The choice is raised as a menu event of the window.
int64_t PlatformMenuShow(int64_t menu, int64_t window);

// ---- Toolbar

int64_t PlatformToolbarCreate(int64_t window, int64_t flags, const PlatformGone& gone);
// image: 32-bit ARGB pixels, width x height, or empty for a stock picture.
void PlatformToolbarAddButton(int64_t toolbar, int64_t button, int64_t stockImage,
                              const std::vector<uint32_t>& image, int64_t width, int64_t height,
                              bool toggle, const Text& text);
void PlatformToolbarAddSeparator(int64_t toolbar);
// Button widgets by button number; 0 when the toolbar has no such button.
int64_t PlatformToolbarButton(int64_t toolbar, int64_t button);
int64_t PlatformToolbarButtonCount(int64_t toolbar);

// ---- Status bar

int64_t PlatformStatusbarCreate(int64_t window, const PlatformGone& gone);
// Lays out the fields from the left: their widths, kKeepValue for fields that share what
// the fixed ones (and a size grip) leave.
void PlatformStatusbarSetFields(int64_t statusbar, const std::vector<int64_t>& widths);
void PlatformStatusbarSetText(int64_t statusbar, int64_t field, const Text& text, int64_t flags);
Text PlatformStatusbarGetText(int64_t statusbar, int64_t field);
PlatformRect PlatformStatusbarFieldRect(int64_t statusbar, int64_t field);

// ---- Requesters

int64_t PlatformMessageBox(const Text& title, const Text& text, int64_t flags);
// The chosen folder as the platform names it, or empty. The initial folder may end with
// the platform's separator; the platform keeps it only where the folder needs it (a root).
Text PlatformChooseFolder(const Text& title, const Text& initialFolder);

// ---- The user's folders

// The user's pictures folder and home folder, each ending with the platform's separator:
// the pictures folder is the home folder when the desktop names none; both are empty when
// unknown.
std::pair<Text, Text> PlatformUserFolders();
