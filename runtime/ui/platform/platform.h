#pragma once
// The seam between the toolkit's services (numbers, records, rules) and the Qt widgets
// under them. Nothing here names a Qt type: a platform handle is the address of a Qt
// object as int64_t, and 0 means none. Every function is called on the UI thread,
// except RunOnUiThread and PlatformIsUiThread.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "text.h"

class ListRows;
struct ImageBitmap;

// ---- Start, threads and the keyboard (qt_application.cpp)

bool PlatformStart(int& argc, char** argv);
void PlatformStop();
// Other threads' calls and posts are dropped from now on (see ToolkitRefuseWorkerCalls).
void PlatformRefuseWorkerCalls();
bool PlatformRunning();
bool PlatformIsUiThread();
// Runs `work` on the UI thread and returns once it has finished (directly when called
// there, or when the platform is not running).
void RunOnUiThread(const std::function<void()>& work);

template <class Work>
auto OnUiThread(Work work) -> decltype(work()) {
  if constexpr (std::is_void_v<decltype(work())>) {
    RunOnUiThread(work);
  } else {
    decltype(work()) result{};
    RunOnUiThread([&] { result = work(); });
    return result;
  }
}

// ---- Any widget (qt_widget.cpp)

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

// ---- Windows (qt_window.cpp)

int64_t PlatformWindowCreate(int64_t number, const Text& title, int64_t flags);
void PlatformWindowSetInnerSize(int64_t handle, int64_t width, int64_t height);
void PlatformWindowSetPosition(int64_t handle, int64_t x, int64_t y);
PlatformRect PlatformWindowFrame(int64_t handle);
void PlatformWindowCentre(int64_t handle, bool onParent);
// From here on size and move changes raise events.
void PlatformWindowSetReady(int64_t handle);
// 0 removes a limit.
void PlatformWindowSetLimits(int64_t handle, int64_t minWidth, int64_t minHeight, int64_t maxWidth,
                             int64_t maxHeight);
void PlatformWindowShow(int64_t handle, bool activate);
void PlatformWindowHide(int64_t handle);
bool PlatformWindowIsHidden(int64_t handle);
bool PlatformWindowIsMinimisedOrMaximised(int64_t handle);
void PlatformWindowSetState(int64_t handle, bool minimised, bool maximised);

// ---- Gadgets (qt_gadgets.cpp). `window` is the owning window's number: the gadget's
// events carry it wherever the gadget is moved.

int64_t PlatformTextFieldCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                                bool readOnly, bool border);
int64_t PlatformButtonCreate(int64_t parent, int64_t number, int64_t window, const Text& text);
int64_t PlatformFrameCreate(int64_t parent, int64_t number, int64_t window, const Text& text,
                            int64_t flags);
int64_t PlatformPanelCreate(int64_t parent, int64_t number, int64_t window, int64_t flags);
int64_t PlatformProgressCreate(int64_t parent, int64_t number, int64_t window);
// Texts of text fields, buttons and frames.
void PlatformSetText(int64_t handle, const Text& text);
Text PlatformGetText(int64_t handle);
void PlatformSelectText(int64_t handle, int64_t start, int64_t length);
// busy: the bar shows activity instead of a position.
void PlatformProgressShow(int64_t handle, int64_t minimum, int64_t maximum, int64_t value,
                          bool busy);

// ---- The report list (qt_list.cpp). Its rows live in a ListRows owned by the list;
// changes of the row set go through these calls so that the view follows them.

int64_t PlatformListCreate(int64_t parent, int64_t number, int64_t window, const Text& title,
                           int64_t width, int64_t flags);
// Null when the handle is no list.
ListRows* PlatformListRows(int64_t handle);
int64_t PlatformListInsertRow(int64_t handle, int64_t position, TextView text);
void PlatformListClear(int64_t handle);
void PlatformListInsertColumn(int64_t handle, int64_t position, const Text& title, int64_t width);
int64_t PlatformListColumnWidth(int64_t handle, int64_t column);
void PlatformListSetColumnWidth(int64_t handle, int64_t column, int64_t width);
// The width a cell needs to show whole: its text, a checkbox, margins.
int64_t PlatformListCellWidth(int64_t handle, int64_t row, int64_t column);
// The row with the focus mark, or -1.
int64_t PlatformListFocusedRow(int64_t handle);
// Repaints rows whose cells, colours or checks the service changed in ListRows.
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

// ---- Menus (qt_menu.cpp)

int64_t PlatformMenuCreate();
int64_t PlatformMenuAddSubmenu(int64_t menu, const Text& title);
void PlatformMenuAddItem(int64_t menu, int64_t item, const Text& text);
// Shows the menu with its corner one pixel up and left of the cursor; the chosen item or
// -1. The choice is raised as a menu event of the window.
int64_t PlatformMenuShow(int64_t menu, int64_t window);

// ---- Toolbar (qt_toolbar.cpp)

int64_t PlatformToolbarCreate(int64_t window, int64_t flags);
// image: 32-bit ARGB pixels, width x height, or empty for a stock picture.
void PlatformToolbarAddButton(int64_t toolbar, int64_t button, int64_t stockImage,
                              const std::vector<uint32_t>& image, int64_t width, int64_t height,
                              bool toggle, const Text& text);
void PlatformToolbarAddSeparator(int64_t toolbar);
// Button widgets by button number; 0 when the toolbar has no such button.
int64_t PlatformToolbarButton(int64_t toolbar, int64_t button);
int64_t PlatformToolbarButtonCount(int64_t toolbar);

// ---- Status bar (qt_statusbar.cpp)

int64_t PlatformStatusbarCreate(int64_t window);
// Lays out the fields: their widths, KeepValue for shared ones.
void PlatformStatusbarSetFields(int64_t statusbar, const std::vector<int64_t>& widths);
void PlatformStatusbarSetText(int64_t statusbar, int64_t field, const Text& text, int64_t flags);
Text PlatformStatusbarGetText(int64_t statusbar, int64_t field);
PlatformRect PlatformStatusbarFieldRect(int64_t statusbar, int64_t field);

// ---- Requesters (qt_requesters.cpp)

int64_t PlatformMessageBox(const Text& title, const Text& text, int64_t flags);
// The chosen folder as the platform names it, or empty.
Text PlatformChooseFolder(const Text& title, const Text& initialFolder);

// ---- The user's folders (qt_folders.cpp)

// The user's pictures folder and home folder, each ending with "/": the pictures folder
// is the home folder when the desktop names none; both are empty when unknown.
std::pair<Text, Text> PlatformUserFolders();

// ---- Calls from the platform into the services

// The window's filter answer, kFilterDefault when it has none.
int64_t WindowRunFilter(int64_t window, int64_t platformWindow, uint32_t message, uint64_t wParam,
                        int64_t lParam);
// The item of a window's shortcut for a key code with modifier bits, or -1.
int64_t WindowFindShortcut(int64_t window, int64_t shortcut);
// A key went down or up anywhere in the application (virtual key code).
void KeyboardNote(int64_t virtualKey, bool down);
// Any thread: true when the platform can tell that a key noted down is up by now (its
// release was lost); false when it is down or the platform cannot tell.
bool PlatformKeyIsUp(int64_t virtualKey);
// A toolkit window or gadget widget is being destroyed.
void WindowForget(int64_t window, int64_t handle);
void GadgetForget(int64_t gadget, int64_t handle);
void ToolbarForget(int64_t handle);
void StatusbarForget(int64_t handle);

// ---- Between services

// Marks a change made by the program: the calling thread raises no events meanwhile.
struct ProgramChange {
  ProgramChange();
  ~ProgramChange();
  ProgramChange(const ProgramChange&) = delete;
  ProgramChange& operator=(const ProgramChange&) = delete;
};
// The platform handle of a report list gadget, 0 for other gadgets.
int64_t GadgetListHandle(int64_t gadget);

// Sets the thread's current gadget container to a new window (0: none).
void GadgetSetContainerWindow(int64_t window, int64_t handle);
// An image button's picture: `size` x `size` ARGB pixels, empty for unusable bitmaps.
std::vector<uint32_t> ToolbarButtonPixels(const ImageBitmap& bitmap, int64_t size);
// Left edges and widths of status bar fields in a bar `barWidth` wide that keeps `grip`
// pixels free at its right end; kKeepValue widths share what the fixed ones leave.
std::vector<std::pair<int64_t, int64_t>> StatusbarLayoutFields(int64_t barWidth, int64_t grip,
                                                               const std::vector<int64_t>& widths);
