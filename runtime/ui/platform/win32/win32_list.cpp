// The report list: a SysListView32 in report view over the toolkit's own rows
// (PlatformListModel). The control keeps no items (LVS_OWNERDATA): it holds the row count,
// the selection and the focus, and asks for every text and checkbox, so that a change of
// every row's checkbox is one repaint and a row costs the control nothing. The control
// leaves checkboxes to its owner: the user's clicks and Space are taken here and pass the
// window filter. The list's notices become gadget events, and cell colours and grid lines
// are applied in custom draw.
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/pending_selection.h"
#include "win32_common.h"
// After windows.h, which win32_common.h brings.
#include <windowsx.h>
#include "win32_resources.h"

namespace {

// Space around a cell's text (the control's own label padding on both sides).
constexpr int kCellMargins = 12;
// Posted to the list when the program has changed it: its turn is over.
constexpr UINT kHandOverMessage = WM_APP + 2;
// The control clears a selection row by row, with a notice and a repaint for each (under
// Wine 0.1 ms a row); a larger one is cleared at once (DeselectAll).
constexpr LRESULT kRowByRow = 256;

UINT ImageOf(ListCheck check) {
  switch (check) {
    case ListCheck::kTicked:
      return INDEXTOSTATEIMAGEMASK(2);
    case ListCheck::kThird:
      return INDEXTOSTATEIMAGEMASK(3);
    case ListCheck::kClear:
      break;
  }
  return INDEXTOSTATEIMAGEMASK(1);
}

class ReportList {
 public:
  ReportList(HWND control, int64_t number, int64_t flags, PlatformListModel& rows,
             const PlatformFilter& filter)
      : control_(control),
        number_(number),
        rows_(rows),
        filter_(filter),
        checkboxes_((flags & kListCheckboxes) != 0),
        threeState_(checkboxes_ && (flags & kListThreeState) != 0),
        gridLines_((flags & kListGridLines) != 0),
        fullRowSelect_((flags & kListFullRowSelect) != 0),
        multiSelect_((flags & kListMultiSelect) != 0) {}

  PlatformListModel& Rows() { return rows_; }
  bool ThreeState() const { return threeState_; }

  // Messages the list sends while the program changes it are no user's doing: they are
  // neither put to the filter nor turned into events.
  class ProgramChange {
   public:
    explicit ProgramChange(ReportList& list) : list_(list) { ++list_.programDepth_; }
    ~ProgramChange() { --list_.programDepth_; }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

   private:
    ReportList& list_;
  };

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    ++ownSends_;
    const LRESULT result = SendMessageW(control_, message, wParam, lParam);
    --ownSends_;
    return result;
  }

  void SetState(int64_t row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  UINT State(int64_t row, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
  }
  int64_t NextItem(int64_t after, UINT flags) const {
    return static_cast<int>(
        Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(flags, 0)));
  }
  // Column 0 asks for the item's own rectangles (LVIR_BOUNDS: the whole row).
  RECT ItemRect(int64_t row, int64_t column, int part) const {
    RECT rect{};
    rect.top = static_cast<LONG>(column);
    rect.left = part;
    const UINT message = column == 0 ? LVM_GETITEMRECT : LVM_GETSUBITEMRECT;
    if (!Send(message, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect))) return RECT{};
    return rect;
  }

  // The program's changes of selection (pending_selection.h) and of rows are gathered and
  // handed to the control in one pass: before the control handles anyone else's message
  // (the user's, a repaint), when the program's turn is over, when the list is redrawn,
  // or when the control's own selection is needed. Changing every row is then one message.
  void Select(int64_t row, bool selected);
  bool IsSelected(int64_t row) const;
  int64_t FocusedRow() const;
  void HandOver();
  // Clears the selection; the focus mark stays.
  void DeselectAll();

  void Start(const Text& title, int64_t width);
  // The control learns the row count when it is redrawn, or when a row is asked about.
  void ShowCount();
  int64_t InsertRow(int64_t position, TextView text);
  void Clear();
  int64_t InsertColumn(int64_t position, const Text& title, int64_t width);
  void RowsChanged(int64_t first, int64_t last);
  void SetRedraw(bool on);
  PlatformRect CheckboxRect(int64_t row);

  bool Notify(const NMHDR& header, LRESULT& result);
  // Messages to the control itself: the checkbox's clicks and Space.
  bool Input(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void AddThirdStateImage();
  void MakeRoomForGridLines();
  void MoveSelectionDown(int64_t from);
  void PostHandOver();
  void HandOverSelection();
  void RepaintChanged();
  void GiveItem(NMLVDISPINFOW& info) const;
  int64_t FindRow(const NMLVFINDITEMW& find) const;
  int64_t RowAt(LPARAM point, UINT part = LVHT_ONITEM) const;
  bool CheckboxInput(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<int64_t> PickedRow(UINT message, WPARAM wParam, LPARAM lParam) const;
  void ClearBeforeUsersPick(int64_t keep);
  void UserToggle(int64_t row);
  void Changed(const NMLISTVIEW& change);
  void Clicked(int64_t type);
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
  void DrawGridLines(HDC dc) const;
  void Raise(int64_t type) const {
    if (programDepth_ == 0) RaiseGadgetEvent(control_, type);
  }

  const HWND control_;
  const int64_t number_;
  PlatformListModel& rows_;
  const PlatformFilter filter_;
  const bool checkboxes_;
  const bool threeState_;
  const bool gridLines_;
  const bool fullRowSelect_;
  const bool multiSelect_;
  PendingSelection pendingSelection_;
  int programDepth_ = 0;
  mutable int ownSends_ = 0;  // messages of this code to the control under way
  bool handOverPosted_ = false;
  int64_t changedFirst_ = INT64_MAX, changedLast_ = -1;  // rows to repaint
  bool redraw_ = true;
  int64_t shownCount_ = 0;     // the row count the control was told
  int64_t lastSelected_ = -1;  // the row selected last, -1 once a click found none
  COLORREF rowText_ = CLR_DEFAULT, rowBackground_ = CLR_DEFAULT;  // of the row being drawn
};

std::unordered_map<HWND, std::unique_ptr<ReportList>>& Lists() {
  static auto* lists = new std::unordered_map<HWND, std::unique_ptr<ReportList>>();
  return *lists;
}

ReportList* ListOf(int64_t handle) {
  HWND control = ControlOf(handle);
  auto found = control ? Lists().find(control) : Lists().end();
  return found == Lists().end() ? nullptr : found->second.get();
}

void ReportList::Select(int64_t row, bool selected) {
  if (!rows_.HasRow(row)) return;
  pendingSelection_.Record(row, selected, rows_.RowCount(), FocusedRow());
  PostHandOver();
}

// While the list is not redrawn, switching the redraw on hands over.
void ReportList::PostHandOver() {
  if (redraw_ && !handOverPosted_)
    handOverPosted_ = PostMessageW(control_, kHandOverMessage, 0, 0) != FALSE;
}

void ReportList::HandOver() {
  HandOverSelection();
  RepaintChanged();
}

bool ReportList::IsSelected(int64_t row) const {
  if (const auto selected = pendingSelection_.Selected(row)) return *selected;
  return rows_.HasRow(row) && State(row, LVIS_SELECTED) != 0;
}

int64_t ReportList::FocusedRow() const {
  if (const auto focus = pendingSelection_.Focus()) return *focus;
  return NextItem(-1, LVNI_FOCUSED);
}

// A whole list's change is one message (item -1, which a single-selection list refuses);
// else only the rows whose state differs are told.
void ReportList::HandOverSelection() {
  if (pendingSelection_.Empty()) return;
  ShowCount();
  ProgramChange quiet(*this);
  const int64_t count = rows_.RowCount();
  if (multiSelect_ && pendingSelection_.EveryRow(true, count)) {
    SetState(-1, LVIS_SELECTED, LVIS_SELECTED);
  } else if (pendingSelection_.EveryRow(false, count)) {
    DeselectAll();
  } else {
    pendingSelection_.ForEachRun([this](int64_t first, int64_t last, bool selected) {
      const UINT wanted = selected ? LVIS_SELECTED : 0;
      for (int64_t row = first; row <= last; ++row)
        if (State(row, LVIS_SELECTED) != wanted) SetState(row, wanted, LVIS_SELECTED);
    });
  }
  const std::optional<int64_t> focus = pendingSelection_.Focus();
  pendingSelection_.Clear();
  if (!focus) return;
  if (*focus >= 0) {
    SetState(*focus, LVIS_FOCUSED, LVIS_FOCUSED);
  } else if (const int64_t focused = NextItem(-1, LVNI_FOCUSED); focused >= 0) {
    SetState(focused, 0, LVIS_FOCUSED);
  }
}

// A large selection goes at once with the rows it is kept for: the control is given no
// rows and then its rows again, at the same place.
void ReportList::DeselectAll() {
  ProgramChange quiet(*this);
  if (Send(LVM_GETSELECTEDCOUNT) <= kRowByRow) {
    SetState(-1, 0, LVIS_SELECTED);
    return;
  }
  const auto top = static_cast<int64_t>(Send(LVM_GETTOPINDEX));
  const int64_t focused = NextItem(-1, LVNI_FOCUSED);
  const auto flags = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL;
  Send(LVM_SETITEMCOUNT, 0, flags);
  Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(shownCount_), flags);
  if (focused >= 0) SetState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
  const RECT first = ItemRect(0, 0, LVIR_BOUNDS);
  const int64_t scrolled = top - static_cast<int64_t>(Send(LVM_GETTOPINDEX));
  if (scrolled != 0)
    Send(LVM_SCROLL, 0, static_cast<LPARAM>(scrolled * (first.bottom - first.top)));
  InvalidateRect(control_, nullptr, FALSE);
}

void ReportList::Start(const Text& title, int64_t width) {
  ProgramChange quiet(*this);
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  DWORD extended = LVS_EX_DOUBLEBUFFER;
  if (checkboxes_) extended |= LVS_EX_CHECKBOXES;
  if (fullRowSelect_) extended |= LVS_EX_FULLROWSELECT;
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  if (checkboxes_) Send(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK);  // asked of GiveItem
  if (threeState_) AddThirdStateImage();
  InsertColumn(0, title, width);
  if (gridLines_) MakeRoomForGridLines();
}

// The control's checkbox images are clear and ticked; the third state gets a greyed tick.
void ReportList::AddThirdStateImage() {
  auto images = reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE));
  int width = 0, height = 0;
  if (!images || !ImageList_GetIconSize(images, &width, &height)) return;
  const WindowDc screen;
  const MemoryDc dc(CreateCompatibleDC(screen.Get()));
  const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!dc || !bitmap) return;
  {
    const Selection drawn(dc.Get(), bitmap.Get());
    RECT all{0, 0, width, height};
    FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_WINDOW));
    const int box = std::min({13, width, height});
    RECT rect{(width - box) / 2, (height - box) / 2, 0, 0};
    rect.right = rect.left + box;
    rect.bottom = rect.top + box;
    DrawFrameControl(dc.Get(), &rect, DFC_BUTTON, DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_FLAT);
  }
  ImageList_Add(images, bitmap.Get(), nullptr);  // copies the picture
}

// Grid lines take the bottom pixel row of every row; a one pixel wide small image list
// makes the rows one pixel taller, as the control's own grid lines do, so that the lines
// hide no descenders. How the image's height counts differs between versions of the
// control: it is measured.
void ReportList::MakeRoomForGridLines() {
  Send(LVM_SETITEMCOUNT, 1);  // a row to measure, with no text (the model has no rows yet)
  auto rowHeight = [this] {
    RECT bounds = ItemRect(0, 0, LVIR_BOUNDS);
    return static_cast<int>(bounds.bottom - bounds.top);
  };
  const int wanted = rowHeight() + 1;
  for (int imageHeight = wanted - 1, tries = 0; imageHeight > 0 && tries < 3; ++tries) {
    // The control destroys its image lists with itself (no LVS_SHAREIMAGELISTS).
    ImageList spacer(ImageList_Create(1, imageHeight, ILC_COLOR, 0, 1));
    if (!spacer) break;
    const ImageList previous(reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(spacer.Release()))));
    const int height = rowHeight();
    if (height >= wanted) break;
    imageHeight += wanted - height;
  }
  Send(LVM_SETITEMCOUNT, 0);
}

void ReportList::ShowCount() {
  const int64_t count = rows_.RowCount();
  if (count == shownCount_) return;
  ProgramChange quiet(*this);
  Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  shownCount_ = count;
}

int64_t ReportList::InsertRow(int64_t position, TextView text) {
  const int64_t at = rows_.InsertPosition(position);
  // The control keeps the selection by index: rows after a new one move down with it.
  if (at < rows_.RowCount()) MoveSelectionDown(at);
  rows_.InsertRow(at, text);
  if (redraw_) ShowCount();
  return at;
}

void ReportList::MoveSelectionDown(int64_t from) {
  HandOver();
  ShowCount();
  ProgramChange quiet(*this);
  std::vector<int64_t> selected;
  for (int64_t row = NextItem(from - 1, LVNI_SELECTED); row >= from;
       row = NextItem(row, LVNI_SELECTED))
    selected.push_back(row);
  const int64_t focused = NextItem(-1, LVNI_FOCUSED);
  Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(++shownCount_), LVSICF_NOSCROLL);
  for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
    SetState(*row, 0, LVIS_SELECTED);
    SetState(*row + 1, LVIS_SELECTED, LVIS_SELECTED);
  }
  if (focused >= from) SetState(focused + 1, LVIS_FOCUSED, LVIS_FOCUSED);
}

void ReportList::Clear() {
  ProgramChange quiet(*this);
  pendingSelection_.Clear();
  changedLast_ = -1;
  Send(LVM_DELETEALLITEMS);
  rows_.Clear();
  shownCount_ = 0;
}

int64_t ReportList::InsertColumn(int64_t position, const Text& title, int64_t width) {
  ProgramChange quiet(*this);
  const int64_t at = rows_.InsertColumn(position, title);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(WideOf(rows_.Title(at)));
  column.cx = static_cast<int>(std::clamp<int64_t>(width, 0, SHRT_MAX));
  column.iSubItem = static_cast<int>(at);
  Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&column));
  // Columns after it show the next cell of the row now.
  column.mask = LVCF_SUBITEM;
  for (int64_t next = at + 1; next < rows_.ColumnCount(); ++next) {
    column.iSubItem = static_cast<int>(next);
    Send(LVM_SETCOLUMNW, static_cast<WPARAM>(next), reinterpret_cast<LPARAM>(&column));
  }
  return at;
}

void ReportList::RowsChanged(int64_t first, int64_t last) {
  first = std::max<int64_t>(first, 0);
  last = std::min(last, rows_.RowCount() - 1);
  // Switching the redraw on repaints everything anyway.
  if (first > last || !redraw_) return;
  changedFirst_ = std::min(changedFirst_, first);
  changedLast_ = std::max(changedLast_, last);
  PostHandOver();
}

// Rows out of sight need no repaint (asking for one costs Wine a trip to its server per
// row).
void ReportList::RepaintChanged() {
  int64_t first = changedFirst_, last = std::min(changedLast_, rows_.RowCount() - 1);
  changedFirst_ = INT64_MAX;
  changedLast_ = -1;
  if (first > last || !redraw_) return;
  const auto top = static_cast<int64_t>(Send(LVM_GETTOPINDEX));
  first = std::max(first, top);
  last = std::min(last, top + static_cast<int64_t>(Send(LVM_GETCOUNTPERPAGE)) + 1);
  if (first <= last)
    Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

void ReportList::SetRedraw(bool on) {
  if (on == redraw_) return;
  if (on) {
    ShowCount();
    HandOver();  // with the redraw still off: the repaint below covers every row
  }
  redraw_ = on;
  Send(WM_SETREDRAW, on ? TRUE : FALSE);
  if (on)
    RedrawWindow(control_, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The state image sits left of the (here empty) icon of the row's first cell.
PlatformRect ReportList::CheckboxRect(int64_t row) {
  if (!checkboxes_ || !rows_.HasRow(row)) return {};
  ShowCount();
  auto images = reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE));
  int width = 0, height = 0;
  if (!images || !ImageList_GetIconSize(images, &width, &height)) return {};
  RECT icon{};
  icon.left = LVIR_ICON;
  if (!Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon))) return {};
  const int64_t top = icon.top + (icon.bottom - icon.top - height) / 2;
  return {icon.left - width, top, width, height};
}

bool ReportList::Notify(const NMHDR& header, LRESULT& result) {
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      GiveItem(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return true;
    case LVN_ODFINDITEMW:
      result = FindRow(reinterpret_cast<const NMLVFINDITEMW&>(header));
      return true;
    case LVN_ITEMCHANGED:
      Changed(reinterpret_cast<const NMLISTVIEW&>(header));
      return true;
    case LVN_ODSTATECHANGED: {  // the user's selection of a range of rows
      const auto& range = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
      if (range.uNewState & LVIS_SELECTED) lastSelected_ = range.iFrom;
      Raise(kGadgetChange);
      return true;
    }
    case NM_CLICK:
      Clicked(kGadgetClicked);
      return true;
    case NM_RCLICK:
      Clicked(kGadgetRightClick);
      return true;
    case NM_DBLCLK:
      Raise(kGadgetDoubleClick);
      return true;
    case NM_RDBLCLK:
      Raise(kGadgetRightDoubleClick);
      return true;
    case LVN_DELETEALLITEMS:
      result = TRUE;  // no notice per row: clearing a large list costs one
      return true;
    case LVN_BEGINDRAG:
      Raise(kGadgetBeginDrag);
      return true;
    case NM_CUSTOMDRAW:
      result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
      return true;
    default:
      return false;
  }
}

void ReportList::GiveItem(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!rows_.HasRow(item.iItem)) return;
  if ((item.mask & LVIF_STATE) && checkboxes_ && (item.stateMask & LVIS_STATEIMAGEMASK))
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | ImageOf(rows_.Check(item.iItem));
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const TextView text = rows_.Cell(item.iItem, item.iSubItem);
  const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length * sizeof(wchar_t));
  item.pszText[length] = L'\0';
}

// Typing in the list goes to the next row whose first cell starts with (or, without
// LVFI_PARTIAL, is) the typed text, ignoring case.
int64_t ReportList::FindRow(const NMLVFINDITEMW& find) const {
  const LVFINDINFOW& wanted = find.lvfi;
  const int64_t count = rows_.RowCount();
  if (!(wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) || !wanted.psz || count == 0) return -1;
  const auto length = static_cast<int>(wcslen(wanted.psz));
  const int64_t start = std::clamp<int64_t>(find.iStart, 0, count);
  const int64_t tries = (wanted.flags & LVFI_WRAP) ? count : count - start;
  for (int64_t step = 0; step < tries; ++step) {
    const int64_t row = (start + step) % count;
    const TextView cell = rows_.Cell(row, 0);
    const auto compared = static_cast<int>(
        (wanted.flags & LVFI_PARTIAL) ? std::min<size_t>(cell.size(), length) : cell.size());
    if ((wanted.flags & LVFI_PARTIAL) && compared < length) continue;
    if (CompareStringOrdinal(reinterpret_cast<const wchar_t*>(cell.data()), compared, wanted.psz, length, TRUE) == CSTR_EQUAL)
      return row;
  }
  return -1;
}

// The row at a mouse message's point when the point is on `part` of it, or -1.
int64_t ReportList::RowAt(LPARAM point, UINT part) const {
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const auto row = static_cast<int64_t>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  // A hit anywhere on a full-row-select row reports all of LVHT_ONITEM.
  const bool onPart = part == LVHT_ONITEM ? (hit.flags & LVHT_ONITEM) != 0
                                          : (hit.flags & LVHT_ONITEM) == part;
  return row >= 0 && onPart && rows_.HasRow(row) ? row : -1;
}

bool ReportList::Input(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kHandOverMessage) handOverPosted_ = false;
  if (ownSends_ == 0) HandOver();
  if (message == kHandOverMessage) return true;
  if (checkboxes_ && CheckboxInput(message, wParam, lParam)) return true;
  if (const auto picked = PickedRow(message, wParam, lParam)) ClearBeforeUsersPick(*picked);
  return false;
}

bool ReportList::CheckboxInput(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {  // a double click is a second toggle, as a second click
      const int64_t row = RowAt(lParam, LVHT_ONITEMSTATEICON);
      if (row < 0) return false;
      SetFocus(control_);
      UserToggle(row);
      Clicked(kGadgetClicked);
      return true;  // the click leaves the selection as it is
    }
    case WM_KEYDOWN:
      if (wParam != VK_SPACE) return false;
      if (const int64_t row = FocusedRow(); row >= 0 && !(lParam & (1 << 30))) UserToggle(row);
      return false;  // the control selects the focused row, as it does without checkboxes
    default:
      return false;
  }
}

// Whether a message is the user's pick of one row, after which the control keeps no other
// row selected; the row that stays selected through it, or -1.
std::optional<int64_t> ReportList::PickedRow(UINT message, WPARAM wParam, LPARAM lParam) const {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      if (wParam & (MK_CONTROL | MK_SHIFT)) return std::nullopt;
      const int64_t row = RowAt(lParam);
      const bool selected = row >= 0 && IsSelected(row);
      // A right click on a selected row keeps the selection for the row's menu.
      if (message == WM_RBUTTONDOWN && selected) return std::nullopt;
      return selected ? row : -1;
    }
    case WM_KEYDOWN:
      if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0) return std::nullopt;
      switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_SPACE:
          return FocusedRow();  // the control moves on from it, when it can
        default:
          return std::nullopt;
      }
    default:
      return std::nullopt;
  }
}

// The control would clear the rest of a large selection row by row (100,000 rows: 3.4 s
// under Wine); it is cleared at once first.
void ReportList::ClearBeforeUsersPick(int64_t keep) {
  if (Send(LVM_GETSELECTEDCOUNT) <= kRowByRow) return;
  DeselectAll();
  if (keep >= 0) {
    ProgramChange quiet(*this);
    SetState(keep, LVIS_SELECTED, LVIS_SELECTED);
  }
  Raise(kGadgetChange);  // the user's doing
}

// The user toggles a row's checkbox; the window filter may refuse it. A box in the third
// state is cleared, so that the user cycles between ticked and clear.
void ReportList::UserToggle(int64_t row) {
  const ListCheck before = rows_.Check(row);
  const ListCheck after = before == ListCheck::kClear ? ListCheck::kTicked : ListCheck::kClear;
  HandOver();
  const UINT marks = State(row, LVIS_SELECTED | LVIS_FOCUSED);
  ListChangeNotice notice{HandleOf(control_), number_, kListNotifyItemChanging, row,
                          kListFieldState,    ImageOf(after) | marks, ImageOf(before) | marks};
  HWND window = ToolkitWindowOf(control_);
  if (filter_ && filter_(HandleOf(window), kMessageNotify, static_cast<uint64_t>(number_),
                         reinterpret_cast<intptr_t>(&notice)) != kFilterDefault)
    return;
  if (!rows_.HasRow(row)) return;  // the filter's code may have changed the rows
  rows_.SetCheck(row, after);
  RowsChanged(row, row);
  Raise(kGadgetChange);
}

// Selection and focus only: the control keeps no checkbox of its own. Item -1 is every row.
void ReportList::Changed(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE)) return;
  if (change.uNewState & LVIS_SELECTED) {
    lastSelected_ = std::max(change.iItem, 0);
    Raise(kGadgetChange);
  } else if (change.uOldState & LVIS_SELECTED) {
    Raise(kGadgetChange);
  }
}

// A click that left no row selected reports the lost selection first.
void ReportList::Clicked(int64_t type) {
  const bool anySelected = NextItem(-1, LVNI_SELECTED) >= 0;
  if (!anySelected && lastSelected_ != -1) {
    lastSelected_ = -1;
    Raise(kGadgetChange);
  }
  if (type == kGadgetRightClick || anySelected) Raise(type);
}

LRESULT ReportList::CustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW | (gridLines_ ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_ITEMPREPAINT:
      // The list's colours for this row, for cells without their own.
      rowText_ = draw.clrText;
      rowBackground_ = draw.clrTextBk;
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const auto row = static_cast<int64_t>(draw.nmcd.dwItemSpec);
      const int64_t text = rows_.Colour(row, draw.iSubItem, kListColourText);
      const int64_t background = rows_.Colour(row, draw.iSubItem, kListColourBackground);
      draw.clrText = text < 0 ? rowText_ : static_cast<COLORREF>(text);
      draw.clrTextBk = background < 0 ? rowBackground_ : static_cast<COLORREF>(background);
      return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
      DrawGridLines(draw.nmcd.hdc);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

// Lines under every visible row and at the right edge of every column, from the header
// down to the last row, in the button face colour.
void ReportList::DrawGridLines(HDC dc) const {
  const int64_t count = rows_.RowCount();
  const auto top = static_cast<int64_t>(Send(LVM_GETTOPINDEX));
  if (count == 0 || top < 0 || top >= count) return;
  RECT client{};
  GetClientRect(control_, &client);
  const int64_t last =
      std::min(count - 1, top + static_cast<int64_t>(Send(LVM_GETCOUNTPERPAGE)) + 1);
  RECT first = ItemRect(top, 0, LVIR_BOUNDS);
  const Selection pen(dc, GetStockObject(DC_PEN));
  const COLORREF oldColour = SetDCPenColor(dc, GetSysColor(COLOR_BTNFACE));
  int bottom = first.top;
  for (int64_t row = top; row <= last; ++row) {
    RECT bounds = ItemRect(row, 0, LVIR_BOUNDS);
    if (bounds.top >= client.bottom) break;
    MoveToEx(dc, bounds.left, bounds.bottom - 1, nullptr);
    LineTo(dc, client.right, bounds.bottom - 1);
    bottom = bounds.bottom;
  }
  int x = first.left;
  for (int64_t column = 0; column < rows_.ColumnCount(); ++column) {
    x += static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    MoveToEx(dc, x - 1, first.top, nullptr);
    LineTo(dc, x - 1, bottom);
  }
  SetDCPenColor(dc, oldColour);
}

}  // namespace

int64_t PlatformListCreate(int64_t parent, int64_t number, int64_t window, const Text& title,
                           int64_t width, int64_t flags, PlatformListModel& rows,
                           const PlatformFilter& filter, const PlatformGone& gone) {
  HWND container = ControlOf(parent);
  if (!container) return 0;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
  if (!(flags & kListMultiSelect)) style |= LVS_SINGLESEL;
  HWND control = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, container,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(number)),
                                 ProgramInstance(), nullptr);
  if (!control) return 0;
  auto owned = std::make_unique<ReportList>(control, number, flags, rows, filter);
  ReportList* list = owned.get();
  Lists()[control] = std::move(owned);
  ControlTag tag;
  tag.gadget = number;
  tag.window = window;
  tag.notify = [list](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    return message == WM_NOTIFY && list->Notify(*reinterpret_cast<const NMHDR*>(lParam), result);
  };
  tag.own = [list](HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    return list->Input(message, wParam, lParam);
  };
  RegisterControl(control, std::move(tag), [gone, control](int64_t handle) {
    if (gone) gone(handle);
    Lists().erase(control);
  });
  list->Start(title, width);
  return HandleOf(control);
}

int64_t PlatformListInsertRow(int64_t handle, int64_t position, TextView text) {
  ReportList* list = ListOf(handle);
  return list ? list->InsertRow(position, text) : -1;
}

void PlatformListClear(int64_t handle) {
  if (ReportList* list = ListOf(handle)) list->Clear();
}

void PlatformListInsertColumn(int64_t handle, int64_t position, const Text& title, int64_t width) {
  if (ReportList* list = ListOf(handle)) list->InsertColumn(position, title, width);
}

int64_t PlatformListColumnWidth(int64_t handle, int64_t column) {
  ReportList* list = ListOf(handle);
  if (!list || column < 0 || column >= list->Rows().ColumnCount()) return 0;
  return list->Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column));
}

void PlatformListSetColumnWidth(int64_t handle, int64_t column, int64_t width) {
  ReportList* list = ListOf(handle);
  if (!list || column < 0 || column >= list->Rows().ColumnCount()) return;
  const auto cx = static_cast<int>(std::clamp<int64_t>(width, 0, SHRT_MAX));
  list->Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(cx, 0));
}

// The text, its margins, and in the first column whatever stands before the text (the
// checkbox and the spacer image).
int64_t PlatformListCellWidth(int64_t handle, int64_t row, int64_t column) {
  ReportList* list = ListOf(handle);
  if (!list || !list->Rows().HasCell(row, column)) return 0;
  list->ShowCount();
  const Text text(list->Rows().Cell(row, column));  // the message wants it terminated
  const int64_t textWidth =
      list->Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(WideOf(text)));
  int64_t before = 0;
  if (column == 0) {
    RECT label = list->ItemRect(row, 0, LVIR_LABEL);
    RECT bounds = list->ItemRect(row, 0, LVIR_BOUNDS);
    before = std::max<int64_t>(label.left - bounds.left, 0);
  }
  return before + textWidth + kCellMargins;
}

int64_t PlatformListFocusedRow(int64_t handle) {
  ReportList* list = ListOf(handle);
  return list ? list->FocusedRow() : -1;
}

void PlatformListRowsChanged(int64_t handle, int64_t firstRow, int64_t lastRow) {
  if (ReportList* list = ListOf(handle)) list->RowsChanged(firstRow, lastRow);
}

bool PlatformListIsSelected(int64_t handle, int64_t row) {
  ReportList* list = ListOf(handle);
  return list && list->IsSelected(row);
}

bool PlatformListIsFocused(int64_t handle, int64_t row) {
  ReportList* list = ListOf(handle);
  return list && list->Rows().HasRow(row) && list->FocusedRow() == row;
}

void PlatformListSelect(int64_t handle, int64_t row, bool selected) {
  if (ReportList* list = ListOf(handle)) list->Select(row, selected);
}

void PlatformListSelectOnly(int64_t handle, int64_t row) {
  ReportList* list = ListOf(handle);
  if (!list) return;
  list->HandOver();
  ReportList::ProgramChange quiet(*list);
  list->DeselectAll();
  if (!list->Rows().HasRow(row)) return;
  const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
  list->SetState(row, marks, marks);
  list->Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int64_t PlatformListFirstSelected(int64_t handle) {
  ReportList* list = ListOf(handle);
  if (!list) return -1;
  list->HandOver();
  return list->NextItem(-1, LVNI_SELECTED);
}

void PlatformListSetRedraw(int64_t handle, bool on) {
  if (ReportList* list = ListOf(handle)) list->SetRedraw(on);
}

bool PlatformListThreeState(int64_t handle) {
  ReportList* list = ListOf(handle);
  return list && list->ThreeState();
}

PlatformRect PlatformListCheckboxRect(int64_t handle, int64_t row) {
  ReportList* list = ListOf(handle);
  return list ? list->CheckboxRect(row) : PlatformRect{};
}
