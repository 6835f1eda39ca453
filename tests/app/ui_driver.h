#pragma once
// What the application's tests do to the native windows and controls, once per platform
// (ui_driver_qt.cpp, ui_driver_win32.cpp): the courier that carries the tests' work to
// the UI thread, input as a user gives it, the popup menu, the folder chooser and the
// message boxes, and the few native states the toolkit's calls do not report.
// Everything but CourierWake runs on the UI thread.
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "text.h"

// ---- The courier: a wake-up posted from any thread reaches `arrived` on the UI thread,
// also inside modal loops (message boxes, menus, the folder chooser).
// Made when the toolkit has started, gone before it stops.
void CourierOpen(void (*arrived)());
void CourierClose();
// Under the harness's lock: makes ready what the next wake-up needs (on the UI thread).
void CourierRearm();
// Under the harness's lock, from any thread: posts one wake-up.
void CourierWake();

// ---- Input. Keys and mouse clicks go through the platform's own input path, so they may
// be handled after the call returns: InputSettled tells when they have been.
enum class UiKey { Return, Escape, A };
enum class UiButton { Left, Right };

// True when no input given so far waits to be handled.
bool InputSettled();
// Activates the main window and gives the gadget the keyboard focus.
void FocusGadget(int64_t gadget);
// Types the text into the focused gadget, key by key.
void TypeText(const Text& text);
// Presses (down and up) a key, with Control held when `control`.
void PressKey(UiKey key, bool control = false);
// A key going down, and up again, alone.
void KeyDown(UiKey key);
void KeyUp(UiKey key);
// A mouse click on a button gadget.
void ClickButton(int64_t gadget);
// A mouse click on the centre of a row's cell of a report list.
void ClickListRow(int64_t gadget, int64_t row, int64_t column, UiButton button);
// A mouse click on the list's rows area, 40 pixels right of and below its corner.
void ClickListSpace(int64_t gadget, UiButton button);
// A left click on the centre of a row's checkbox; false when the row shows none.
bool ClickListCheckbox(int64_t gadget, int64_t row);

// ---- The popup menu.
bool PopupOpen();
// Chooses an item with the keyboard: the first index in the menu, each next one in the
// submenu of the item before. False when the menu is not open.
bool ChoosePopupItem(std::initializer_list<int> path);
void ClosePopup();

// ---- The folder chooser.
bool FolderChooserOpen();
void CancelFolderChooser();
// Chooses the folder (a native path) and accepts it.
void AcceptFolderChooser(const Text& folder);

// ---- Message boxes. Icons as the toolkit asks for them.
enum class BoxIcon { None = 0, Information = 1, Warning = 2, Critical = 3 };
struct MessageBoxSeen {
  Text title;
  Text text;
  BoxIcon icon = BoxIcon::None;
  // When the box was found open (its answer may take a while longer: without a window
  // manager Wine waits for one when it hides the box).
  std::chrono::steady_clock::time_point found;
};
// Reads the open message box, if any, and presses its OK (or first) button.
std::optional<MessageBoxSeen> AnswerMessageBox();
// Closes a popup menu or a modal window other than a message box.
void CloseLeftovers();
// Closes the main window as its close button does.
void CloseMainWindow();

// ---- Native state.
Text MainWindowTitle();
// The platform handle of the gadget's parent widget.
int64_t NativeParentOf(int64_t gadget);
// Sets a text field's text directly (no typing), with nothing selected.
void SetFieldText(int64_t gadget, const Text& text);
Text FieldSelection(int64_t gadget);
