// The application tests' driver over the Win32 platform. Keys are real input (SendInput),
// so that the key state, the message loop's shortcuts and the asynchronous key state see
// them as a user's; mouse clicks are posted to the control as the queue delivers them, so
// that the control itself decides (a checkbox click passes LVN_ITEMCHANGING to the
// window's filter). Message boxes and the folder chooser are dialogs of the UI thread,
// found and answered from the courier, which runs inside their modal loops.
#include <windows.h>
// windows.h first
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app_state.h"
#include "gadgets.h"
#include "platform/platform.h"
#include "toolkit_windows.h"
#include "ui_driver.h"

namespace {

constexpr UINT kWake = WM_APP + 7;
constexpr wchar_t kCourierClass[] = L"TrawlTestCourier";
// The folder chooser selects its start folder again after 200 ms, and a busy tree may
// take a while to reach a folder: a choice is made again until it holds.
constexpr UINT kChooseEveryMs = 200;
constexpr int kChooseTries = 50;

HWND courier = nullptr;  // UI thread; read by CourierWake under the harness's lock
void (*courierArrived)() = nullptr;

LRESULT CALLBACK CourierProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWake) return DefWindowProcW(window, message, wParam, lParam);
  if (courierArrived) courierArrived();
  return 0;
}

HWND Hwnd(int64_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }
HWND GadgetWindow(int64_t gadget) { return Hwnd(GadgetGetHandle(gadget)); }
HWND MainWindow() { return Hwnd(WindowGetHandle(kMainWindow)); }
const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

Text TextOfWindow(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Text(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// ---- Input

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD virtualKey, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return input;
}

INPUT Character(char16_t c, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = c;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (down ? 0 : KEYEVENTF_KEYUP);
  return input;
}

WORD VirtualKeyOf(UiKey key) {
  switch (key) {
    case UiKey::Return:
      return VK_RETURN;
    case UiKey::Escape:
      return VK_ESCAPE;
    case UiKey::A:
      return 'A';
  }
  return 0;
}

// A button down and up at a point of the control's client area, as the queue delivers them.
void PostClick(HWND control, POINT at, UiButton button) {
  const bool right = button == UiButton::Right;
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(control, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
               where);
  PostMessageW(control, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
}

// ---- Dialogs of the UI thread

HWND DescendantOfClass(HWND window, const wchar_t* name) {
  struct Search {
    const wchar_t* name;
    HWND found = nullptr;
  } search{name};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        if (ClassOf(child) == s.name) s.found = child;
        return s.found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

enum class DialogKind { MessageBox, FolderChooser };

// The visible dialog of that kind on this thread, or null. The folder chooser holds a tree.
HWND OpenDialog(DialogKind kind) {
  struct Search {
    DialogKind kind;
    HWND found = nullptr;
  } search{kind};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        if (ClassOf(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        const bool chooser = DescendantOfClass(window, L"SysTreeView32") != nullptr;
        if (chooser == (s.kind == DialogKind::FolderChooser)) s.found = window;
        return s.found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OpenPopup() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

BoxIcon IconOf(HICON icon) {
  if (!icon) return BoxIcon::None;
  if (icon == LoadIconW(nullptr, IDI_ASTERISK)) return BoxIcon::Information;
  if (icon == LoadIconW(nullptr, IDI_EXCLAMATION)) return BoxIcon::Warning;
  if (icon == LoadIconW(nullptr, IDI_HAND)) return BoxIcon::Critical;
  return BoxIcon::None;
}

// The box's text and icon from its static controls.
void ReadBox(HWND box, MessageBoxSeen& seen) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static") continue;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      seen.icon = IconOf(reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)));
    } else if (Text text = TextOfWindow(child); !text.empty() && seen.text.empty()) {
      seen.text = text;
    }
  }
}

Text chosenFolder;  // for the chooser's timer
int chooseTries = 0;

// The text of the tree's selected item (a folder's display name).
Text SelectedInTree(HWND tree) {
  wchar_t name[MAX_PATH] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = name;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    return Text();
  return Text(reinterpret_cast<const char16_t*>(name));
}

// Selects the chosen folder until the tree shows it selected, then presses OK.
void CALLBACK ChooseWhenSelected(HWND dialog, UINT, UINT_PTR timer, DWORD) {
  const Text leaf = chosenFolder.substr(chosenFolder.find_last_of(u"\\/") + 1);
  HWND tree = DescendantOfClass(dialog, L"SysTreeView32");
  if ((tree && SelectedInTree(tree) == leaf) || ++chooseTries > kChooseTries) {
    KillTimer(dialog, timer);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return;
  }
  SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(Wide(chosenFolder)));
}

}  // namespace

void CourierOpen(void (*arrived)()) {
  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.lpfnWndProc = CourierProcedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = kCourierClass;
  RegisterClassExW(&type);  // fails harmlessly from the second run on
  courierArrived = arrived;
  courier = CreateWindowExW(0, kCourierClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

void CourierClose() {
  if (courier) DestroyWindow(courier);  // its pending wake-up goes with it
  courier = nullptr;
  courierArrived = nullptr;
}

void CourierRearm() {}

void CourierWake() { PostMessageW(courier, kWake, 0, 0); }

bool InputSettled() { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }

void FocusGadget(int64_t gadget) {
  HWND window = MainWindow();
  SetForegroundWindow(window);
  SetActiveWindow(window);
  if (HWND control = GadgetWindow(gadget)) SetFocus(control);
}

void TypeText(const Text& text) {
  std::vector<INPUT> inputs;
  for (char16_t c : text) {
    inputs.push_back(Character(c, true));
    inputs.push_back(Character(c, false));
  }
  Send(inputs);
}

void PressKey(UiKey key, bool control) {
  const WORD code = VirtualKeyOf(key);
  std::vector<INPUT> inputs;
  if (control) inputs.push_back(Key(VK_CONTROL, true));
  inputs.push_back(Key(code, true));
  inputs.push_back(Key(code, false));
  if (control) inputs.push_back(Key(VK_CONTROL, false));
  Send(inputs);
}

void KeyDown(UiKey key) { Send({Key(VirtualKeyOf(key), true)}); }

void KeyUp(UiKey key) { Send({Key(VirtualKeyOf(key), false)}); }

void ClickButton(int64_t gadget) {
  HWND button = GadgetWindow(gadget);
  RECT client{};
  GetClientRect(button, &client);
  PostClick(button, {client.right / 2, client.bottom / 2}, UiButton::Left);
}

void ClickListRow(int64_t gadget, int64_t row, int64_t column, UiButton button) {
  HWND list = GadgetWindow(gadget);
  RECT cell{};
  cell.top = static_cast<LONG>(column);
  cell.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  PostClick(list, {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2}, button);
}

void ClickListSpace(int64_t gadget, UiButton button) {
  HWND list = GadgetWindow(gadget);
  RECT header{};
  if (HWND bar = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)))
    GetWindowRect(bar, &header);
  PostClick(list, {40, header.bottom - header.top + 40}, button);
}

bool ClickListCheckbox(int64_t gadget, int64_t row) {
  const PlatformRect box = PlatformListCheckboxRect(GadgetGetHandle(gadget), row);
  if (box.width <= 0 || box.height <= 0) return false;
  PostClick(GadgetWindow(gadget),
            {static_cast<LONG>(box.x + box.width / 2), static_cast<LONG>(box.y + box.height / 2)},
            UiButton::Left);
  return true;
}

bool PopupOpen() { return OpenPopup() != nullptr; }

bool ChoosePopupItem(std::initializer_list<int> path) {
  HWND menu = OpenPopup();
  if (!menu || path.size() == 0) return false;
  // Nothing is highlighted in a menu opened by the mouse: the first Down reaches item 0,
  // and Right opens a submenu on its first item.
  std::vector<WPARAM> keys;
  for (auto step = path.begin(); step != path.end(); ++step) {
    if (step != path.begin()) keys.push_back(VK_RIGHT);
    const int downs = *step + (step == path.begin() ? 1 : 0);
    keys.insert(keys.end(), static_cast<size_t>(downs), VK_DOWN);
  }
  keys.push_back(VK_RETURN);
  for (WPARAM key : keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
  return true;
}

void ClosePopup() {
  if (OpenPopup()) EndMenu();
}

bool FolderChooserOpen() { return OpenDialog(DialogKind::FolderChooser) != nullptr; }

void CancelFolderChooser() {
  if (HWND chooser = OpenDialog(DialogKind::FolderChooser))
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
}

void AcceptFolderChooser(const Text& folder) {
  HWND chooser = OpenDialog(DialogKind::FolderChooser);
  if (!chooser) return;
  chosenFolder = folder;
  chooseTries = 0;
  SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(Wide(folder)));
  SetTimer(chooser, 1, kChooseEveryMs, ChooseWhenSelected);
}

std::optional<MessageBoxSeen> AnswerMessageBox() {
  HWND box = OpenDialog(DialogKind::MessageBox);
  if (!box) return std::nullopt;
  MessageBoxSeen seen;
  seen.found = std::chrono::steady_clock::now();
  seen.title = TextOfWindow(box);
  ReadBox(box, seen);
  HWND ok = GetDlgItem(box, IDOK);
  // The box is ended (and hidden) before this returns, so no later look finds it again.
  SendMessageW(box, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(ok));
  return seen;
}

void CloseLeftovers() {
  ClosePopup();
  if (HWND chooser = OpenDialog(DialogKind::FolderChooser))
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
}

void CloseMainWindow() {
  if (HWND window = MainWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
}

Text MainWindowTitle() { return TextOfWindow(MainWindow()); }

int64_t NativeParentOf(int64_t gadget) {
  return reinterpret_cast<intptr_t>(GetParent(GadgetWindow(gadget)));
}

void SetFieldText(int64_t gadget, const Text& text) {
  HWND field = GadgetWindow(gadget);
  SetWindowTextW(field, Wide(text));
  SendMessageW(field, EM_SETSEL, 0, 0);
}

Text FieldSelection(int64_t gadget) {
  HWND field = GadgetWindow(gadget);
  DWORD start = 0, end = 0;
  SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const Text text = TextOfWindow(field);
  if (start >= end || end > text.size()) return Text();
  return text.substr(start, end - start);
}
