// Toolbars: the common toolbar control docked at the top of its window. Its image list
// starts with a placeholder so that stock picture k is image k + 1 (the standard pictures
// follow it), and image buttons' pictures come after those. Buttons are no windows: their
// handles name records that answer the calls on any widget through the toolbar.
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "win32_common.h"
#include "win32_resources.h"

namespace {

// The window procedure tells the toolbar's commands from gadgets' by this identifier.
constexpr int kToolbarId = -10000;
constexpr int kSeparatorWidth = 8;
constexpr int64_t kStockImageCount = 15;  // the standard set: cut .. print

class ToolbarButton final : public VirtualControl {
 public:
  ToolbarButton(HWND toolbar, int command) : toolbar_(toolbar), command_(command) {}

  int64_t Handle() const { return reinterpret_cast<intptr_t>(this); }
  int Command() const { return command_; }

  void SetEnabled(bool enabled) override {
    SendMessageW(toolbar_, TB_ENABLEBUTTON, command_, MAKELPARAM(enabled ? TRUE : FALSE, 0));
  }
  bool IsEnabled() const override {
    return SendMessageW(toolbar_, TB_ISBUTTONENABLED, command_, 0) != 0;
  }
  // The tip covers the button where it is now, replacing an earlier one.
  void SetToolTip(const Text& text) override {
    tip_ = text;
    HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0));
    if (!tips) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = toolbar_;
    tool.uId = static_cast<UINT_PTR>(command_);
    SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (text.empty()) return;
    SendMessageW(toolbar_, TB_GETRECT, command_, reinterpret_cast<LPARAM>(&tool.rect));
    tool.lpszText = const_cast<wchar_t*>(WideOf(tip_));
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  Text ToolTip() const override { return tip_; }
  PlatformRect Geometry() const override {
    RECT r{};
    SendMessageW(toolbar_, TB_GETRECT, command_, reinterpret_cast<LPARAM>(&r));
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

 private:
  const HWND toolbar_;
  const int command_;
  Text tip_;
};

struct Toolbar {
  HWND control = nullptr;
  HWND window = nullptr;
  int64_t number = -1;  // the owning window's
  int64_t flags = 0;
  ImageList images;  // the control does not destroy its image list
  std::map<int64_t, std::unique_ptr<ToolbarButton>> buttons;

  int ImageSize() const { return (flags & kToolbarLargeImages) ? 24 : 16; }
  bool ShowsTexts() const { return (flags & kToolbarTextBelow) != 0; }

  // The button number a command came from (commands carry its low 16 bits).
  int64_t ButtonOfCommand(WORD command) const {
    for (const auto& [button, record] : buttons)
      if (static_cast<WORD>(record->Command()) == command) return button;
    return command;
  }

  // A button pressed by the left mouse button is let go when the right one clicks.
  void Unpress() const {
    if (GetKeyState(VK_LBUTTON) < 0) return;
    for (const auto& entry : buttons)
      SendMessageW(control, TB_PRESSBUTTON, entry.second->Command(), MAKELPARAM(FALSE, 0));
  }
};

std::map<HWND, std::unique_ptr<Toolbar>>& Toolbars() {
  static std::map<HWND, std::unique_ptr<Toolbar>> toolbars;
  return toolbars;
}

Toolbar* ToolbarOf(int64_t handle) {
  auto it = Toolbars().find(ControlOf(handle));
  return it == Toolbars().end() ? nullptr : it->second.get();
}

bool ToolbarNotify(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  auto it = Toolbars().find(control);
  if (it == Toolbars().end()) return false;
  const Toolbar& bar = *it->second;
  if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == control) {
    RaiseMenuEvent(bar.number, bar.ButtonOfCommand(LOWORD(wParam)));
    result = 0;
    return true;
  }
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == NM_RCLICK) {
    bar.Unpress();
    result = 0;
    return true;
  }
  return false;
}

void ForgetToolbar(HWND control) {
  auto it = Toolbars().find(control);
  if (it == Toolbars().end()) return;
  Toolbar& bar = *it->second;
  ForgetWindowSizeFollower(bar.window, control);
  for (const auto& entry : bar.buttons) ForgetVirtualControl(entry.second->Handle());
  Toolbars().erase(it);
}

// The placeholder, then the standard pictures.
ImageList MakeImages(HWND control, int size, bool large) {
  ImageList images(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 32, 8));
  if (!images) return images;
  ImageList_AddIcon(images.Get(), LoadIconW(nullptr, IDI_APPLICATION));
  SendMessageW(control, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  SendMessageW(control, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
  SendMessageW(control, TB_LOADIMAGES, large ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  return images;
}

// A picture of ARGB pixels as a 32-bit bitmap with alpha, and its mask (set where fully
// transparent) for drawing that ignores alpha, such as the greyed look.
int AddPicture(HIMAGELIST images, const std::vector<uint32_t>& pixels, int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down, as the pixels come
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const GdiObject<HBITMAP> colour(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour) return 0;
  memcpy(bits, pixels.data(), static_cast<size_t>(size) * size * 4);
  const int stride = (size + 15) / 16 * 2;  // mask rows are WORD-aligned
  std::vector<BYTE> maskBits(static_cast<size_t>(stride) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if ((pixels[static_cast<size_t>(y) * size + x] >> 24) == 0)
        maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
  const GdiObject<HBITMAP> mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
  const int index = ImageList_Add(images, colour.Get(), mask.Get());  // copies both
  return index < 0 ? 0 : index;
}

}  // namespace

int64_t PlatformToolbarCreate(int64_t window, int64_t flags, const PlatformGone& gone) {
  HWND owner = ControlOf(window);
  int64_t number = PlatformWindowNumberOf(window);
  if (!owner || number < 0) return 0;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP;
  if ((flags & kToolbarTextBelow) && (flags & kToolbarTextBeside)) style |= TBSTYLE_LIST;
  HWND control = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, owner,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(kToolbarId)),
                                 ProgramInstance(), nullptr);
  if (!control) return 0;
  SendMessageW(control, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  auto bar = std::make_unique<Toolbar>();
  bar->control = control;
  bar->window = owner;
  bar->number = number;
  bar->flags = flags;
  bar->images = MakeImages(control, bar->ImageSize(), (flags & kToolbarLargeImages) != 0);
  Toolbars()[control] = std::move(bar);
  // The toolbar follows the window's width on every size change.
  FollowWindowSize(owner, control,
                   [control](WPARAM, LPARAM) { SendMessageW(control, TB_AUTOSIZE, 0, 0); });
  RegisterControl(control, {-1, number, false, ToolbarNotify, {}}, [gone](int64_t handle) {
    ForgetToolbar(HwndOf(handle));
    if (gone) gone(handle);
  });
  ForwardChildMessages(control);
  SendMessageW(control, TB_AUTOSIZE, 0, 0);
  return HandleOf(control);
}

void PlatformToolbarAddButton(int64_t toolbar, int64_t button, int64_t stockImage,
                              const std::vector<uint32_t>& image, int64_t width, int64_t height,
                              bool toggle, const Text& text) {
  Toolbar* bar = ToolbarOf(toolbar);
  if (!bar) return;
  const int size = bar->ImageSize();
  int picture = 0;  // the placeholder, also for pictures of another size
  if (stockImage >= 0 && stockImage < kStockImageCount) {
    picture = static_cast<int>(stockImage) + 1;
  } else if (stockImage < 0 && width == size && height == size &&
             static_cast<int64_t>(image.size()) >= width * height && bar->images) {
    picture = AddPicture(bar->images.Get(), image, size);
  }
  const int command = static_cast<int>(button);
  TBBUTTON entry{};
  entry.iBitmap = picture;
  entry.idCommand = command;
  entry.fsState = TBSTATE_ENABLED;
  entry.fsStyle = static_cast<BYTE>(toggle ? BTNS_CHECK : BTNS_BUTTON);
  entry.iString = -1;
  if (bar->ShowsTexts() && !text.empty()) {
    Text strings = text + u'\0';  // the list of strings ends with an empty one
    entry.iString =
        SendMessageW(bar->control, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(WideOf(strings)));
  }
  if (!SendMessageW(bar->control, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&entry))) return;
  SendMessageW(bar->control, TB_AUTOSIZE, 0, 0);
  auto& record = bar->buttons[button];
  if (record) return;  // a second button of that number: the handle names the first
  record = std::make_unique<ToolbarButton>(bar->control, command);
  RegisterVirtualControl(record->Handle(), record.get());
}

void PlatformToolbarAddSeparator(int64_t toolbar) {
  Toolbar* bar = ToolbarOf(toolbar);
  if (!bar) return;
  TBBUTTON entry{};
  entry.iBitmap = kSeparatorWidth;
  entry.fsStyle = BTNS_SEP;
  SendMessageW(bar->control, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&entry));
  SendMessageW(bar->control, TB_AUTOSIZE, 0, 0);
}

int64_t PlatformToolbarButton(int64_t toolbar, int64_t button) {
  Toolbar* bar = ToolbarOf(toolbar);
  if (!bar) return 0;
  auto it = bar->buttons.find(button);
  return it == bar->buttons.end() ? 0 : it->second->Handle();
}

int64_t PlatformToolbarButtonCount(int64_t toolbar) {
  Toolbar* bar = ToolbarOf(toolbar);
  return bar ? static_cast<int64_t>(bar->buttons.size()) : 0;
}
