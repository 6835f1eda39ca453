// The report list: a SysListView32 in report view over the toolkit's own rows
// (PlatformListModel). The control keeps one item per row with the checkbox state image
// and asks for every text (LPSTR_TEXTCALLBACK), so a large fill copies no text into it.
// Checkbox changes of the user pass the window filter; the list's notices become gadget
// events, and cell colours and grid lines are applied in custom draw.
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/pending_selection.h"
#include "win32_common.h"
#include "win32_resources.h"

namespace {

constexpr UINT kNoticeStateBits = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
// Space around a cell's text (the control's own label padding on both sides).
constexpr int kCellMargins = 12;

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

ListCheck CheckOfImage(UINT state) {
  switch ((state & LVIS_STATEIMAGEMASK) >> 12) {
    case 2:
      return ListCheck::kTicked;
    case 3:
      return ListCheck::kThird;
    default:
      return ListCheck::kClear;
  }
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
    return SendMessageW(control_, message, wParam, lParam);
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

  // Selections made while the list is not redrawn are gathered (pending_selection.h) and
  // handed over when it is redrawn, or when the control's own selection is needed.
  void Select(int64_t row, bool selected);
  bool IsSelected(int64_t row) const;
  int64_t FocusedRow() const;
  void HandOverSelection();

  void Start(const Text& title, int64_t width);
  int64_t InsertRow(int64_t position, TextView text);
  void Clear();
  int64_t InsertColumn(int64_t position, const Text& title, int64_t width);
  void RowsChanged(int64_t first, int64_t last);
  void SetRedraw(bool on);
  PlatformRect CheckboxRect(int64_t row) const;

  bool Notify(const NMHDR& header, LRESULT& result);

 private:
  void AddThirdStateImage();
  void MakeRoomForGridLines();
  void GiveText(NMLVDISPINFOW& info) const;
  bool Refuse(const NMLISTVIEW& change);
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
  bool redraw_ = true;
  int64_t reserved_ = 0;       // items the control was told to make room for
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
  if (!redraw_) {
    pendingSelection_.Record(row, selected, rows_.RowCount(), FocusedRow());
    return;
  }
  ProgramChange quiet(*this);
  const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
  const UINT wanted = selected ? marks : 0;
  if (State(row, marks) != wanted) SetState(row, wanted, marks);
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
  ProgramChange quiet(*this);
  const int64_t count = rows_.RowCount();
  if (multiSelect_ && pendingSelection_.EveryRow(true, count)) {
    SetState(-1, LVIS_SELECTED, LVIS_SELECTED);
  } else if (pendingSelection_.EveryRow(false, count)) {
    SetState(-1, 0, LVIS_SELECTED);
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

void ReportList::Start(const Text& title, int64_t width) {
  ProgramChange quiet(*this);
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  DWORD extended = LVS_EX_DOUBLEBUFFER;
  if (checkboxes_) extended |= LVS_EX_CHECKBOXES;
  if (fullRowSelect_) extended |= LVS_EX_FULLROWSELECT;
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
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
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"Ag");
  if (Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0) return;
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
  Send(LVM_DELETEALLITEMS);
}

int64_t ReportList::InsertRow(int64_t position, TextView text) {
  ProgramChange quiet(*this);
  const int64_t count = rows_.RowCount();
  // Gathered selections name rows by where they are now.
  if (rows_.InsertPosition(position) < count) HandOverSelection();
  const int64_t at = rows_.InsertRow(rows_.InsertPosition(position), text);
  // Room for a growing fill in doubling steps, so that the control reallocates rarely.
  if (!redraw_ && count >= reserved_) {
    reserved_ = std::max<int64_t>(1024, count * 2);
    Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(reserved_),
         LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  }
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(at);
  item.pszText = LPSTR_TEXTCALLBACKW;
  if (checkboxes_) {
    item.mask |= LVIF_STATE;
    item.state = ImageOf(rows_.Check(at));
    item.stateMask = LVIS_STATEIMAGEMASK;
  }
  Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return at;
}

void ReportList::Clear() {
  ProgramChange quiet(*this);
  pendingSelection_.Clear();
  Send(LVM_DELETEALLITEMS);
  rows_.Clear();
  reserved_ = 0;
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
  if (first > last) return;
  ProgramChange quiet(*this);
  if (checkboxes_) {
    for (int64_t row = first; row <= last; ++row) {
      const UINT image = ImageOf(rows_.Check(row));
      if (State(row, LVIS_STATEIMAGEMASK) != image) SetState(row, image, LVIS_STATEIMAGEMASK);
    }
  }
  // Switching the redraw on repaints everything anyway; rows out of sight need no repaint
  // (asking for one costs Wine a trip to its server per row).
  if (!redraw_) return;
  const auto top = static_cast<int64_t>(Send(LVM_GETTOPINDEX));
  first = std::max(first, top);
  last = std::min(last, top + static_cast<int64_t>(Send(LVM_GETCOUNTPERPAGE)) + 1);
  if (first <= last)
    Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

void ReportList::SetRedraw(bool on) {
  if (on == redraw_) return;
  if (on) HandOverSelection();
  redraw_ = on;
  Send(WM_SETREDRAW, on ? TRUE : FALSE);
  if (on)
    RedrawWindow(control_, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The state image sits left of the (here empty) icon of the row's first cell.
PlatformRect ReportList::CheckboxRect(int64_t row) const {
  if (!checkboxes_ || !rows_.HasRow(row)) return {};
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
      GiveText(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return true;
    case LVN_ITEMCHANGING:
      result = Refuse(reinterpret_cast<const NMLISTVIEW&>(header)) ? TRUE : FALSE;
      return true;
    case LVN_ITEMCHANGED:
      Changed(reinterpret_cast<const NMLISTVIEW&>(header));
      return true;
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

void ReportList::GiveText(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const TextView text = rows_.Cell(item.iItem, item.iSubItem);
  const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length * sizeof(wchar_t));
  item.pszText[length] = L'\0';
}

// True refuses the change. A user's change passes the window filter; a change into the
// third state is turned into clearing the box, so that the user cycles ticked and clear.
bool ReportList::Refuse(const NMLISTVIEW& change) {
  if (programDepth_ > 0) return false;
  const UINT image = change.uNewState & LVIS_STATEIMAGEMASK;
  if (threeState_ && (change.uChanged & LVIF_STATE) && image == ImageOf(ListCheck::kThird) &&
      (change.uOldState & LVIS_STATEIMAGEMASK) != image) {
    if (rows_.HasRow(change.iItem))
      SetState(change.iItem, ImageOf(ListCheck::kClear), LVIS_STATEIMAGEMASK);
    return true;
  }
  if (!filter_) return false;
  ListChangeNotice notice{HandleOf(control_),
                          number_,
                          kListNotifyItemChanging,
                          change.iItem,
                          change.uChanged,
                          change.uNewState & kNoticeStateBits,
                          change.uOldState & kNoticeStateBits};
  HWND window = ToolkitWindowOf(control_);
  return filter_(HandleOf(window), kMessageNotify, static_cast<uint64_t>(number_),
                 reinterpret_cast<intptr_t>(&notice)) != kFilterDefault;
}

void ReportList::Changed(const NMLISTVIEW& change) {
  if (!(change.uChanged & LVIF_STATE)) return;
  const UINT oldImage = change.uOldState & LVIS_STATEIMAGEMASK;
  const UINT newImage = change.uNewState & LVIS_STATEIMAGEMASK;
  const bool checkChanged = oldImage != 0 && oldImage != newImage;
  // The user's toggle, allowed by the filter: the rows follow the box.
  if (checkChanged && programDepth_ == 0 && checkboxes_ && rows_.HasRow(change.iItem))
    rows_.SetCheck(change.iItem, CheckOfImage(newImage));
  if (change.uNewState & LVIS_SELECTED) {
    lastSelected_ = change.iItem;
    Raise(kGadgetChange);
  } else if (checkChanged || (change.uOldState & LVIS_SELECTED)) {
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
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
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
  list->HandOverSelection();
  ReportList::ProgramChange quiet(*list);
  list->SetState(-1, 0, LVIS_SELECTED);
  if (!list->Rows().HasRow(row)) return;
  const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
  list->SetState(row, marks, marks);
  list->Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int64_t PlatformListFirstSelected(int64_t handle) {
  ReportList* list = ListOf(handle);
  if (!list) return -1;
  list->HandOverSelection();
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
