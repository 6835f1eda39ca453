// The report list: a QTreeView over the toolkit's own rows (PlatformListModel), with
// checkboxes that the window filter may refuse, per-cell colours, grid lines and the
// list's events.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/pending_selection.h"
#include "platform/platform.h"
#include "qt_common.h"

namespace {

class ListView;

QColor QtColour(int64_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

uint32_t CheckImage(ListCheck check) {
  switch (check) {
    case ListCheck::kTicked:
      return kListStateChecked;
    case ListCheck::kThird:
      return 0x3000;
    case ListCheck::kClear:
      break;
  }
  return kListStateUnchecked;
}

class ListModel final : public QAbstractTableModel {
 public:
  ListModel(ListView* view, PlatformListModel& model, bool checkboxes)
      : QAbstractTableModel(nullptr), rows(model), view_(view), checkboxes_(checkboxes) {}

  PlatformListModel& rows;

  // The view knows the published rows only (see InsertRow).
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(published_);
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows.ColumnCount());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    int64_t row = index.row(), column = index.column();
    switch (role) {
      case Qt::DisplayRole:
        return ToQString(rows.Cell(row, column));
      case Qt::CheckStateRole:
        if (checkboxes_ && column == 0) return QtCheck(rows.Check(row));
        break;
      case Qt::ForegroundRole:
        return Colour(row, column, kListColourText);
      case Qt::BackgroundRole:
        return Colour(row, column, kListColourBackground);
      default:
        break;
    }
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
      return ToQString(rows.Title(section));
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkboxes_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
  }

  // Only the user's toggles (keyboard or mouse) come here.
  bool setData(const QModelIndex& index, const QVariant&, int role) override;

  // While the list is not redrawn, rows added at the end are told to the view in one
  // notice when it is next used (Publish): the view's work per notice was half the time
  // of filling a 100,000-row list.
  int64_t InsertRow(int64_t position, TextView text);

  void Publish() {
    const int64_t count = rows.RowCount();
    if (published_ >= count) return;
    beginInsertRows(QModelIndex(), static_cast<int>(published_), static_cast<int>(count - 1));
    published_ = count;
    endInsertRows();
  }

  void Clear() {
    beginResetModel();
    rows.Clear();
    published_ = 0;
    endResetModel();
  }

  int InsertColumn(int64_t position, const Text& title) {
    int at = static_cast<int>(position < 0 || position > rows.ColumnCount() ? rows.ColumnCount()
                                                                            : position);
    beginInsertColumns(QModelIndex(), at, at);
    rows.InsertColumn(at, title);
    endInsertColumns();
    return at;
  }

  void TellRowsChanged(int64_t first, int64_t last) {
    last = std::min(last, published_ - 1);
    if (first > last || rows.ColumnCount() == 0) return;
    emit dataChanged(index(static_cast<int>(first), 0),
                     index(static_cast<int>(last), static_cast<int>(rows.ColumnCount() - 1)));
  }

 private:
  static QVariant QtCheck(ListCheck check) {
    if (check == ListCheck::kTicked) return Qt::Checked;
    return check == ListCheck::kThird ? Qt::PartiallyChecked : Qt::Unchecked;
  }

  QVariant Colour(int64_t row, int64_t column, int64_t which) const {
    int64_t colour = rows.Colour(row, column, which);
    return colour < 0 ? QVariant() : QVariant(QtColour(colour));
  }

  ListView* view_;
  int64_t published_ = 0;  // rows the view has been told of
  const bool checkboxes_;
};

// Draws grid lines around cells and tells where a cell's checkbox is.
class ListDelegate final : public QStyledItemDelegate {
 public:
  ListDelegate(QObject* parent, bool gridLines)
      : QStyledItemDelegate(parent), gridLines_(gridLines) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (!gridLines_) return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight));
    const QRect& r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
  }

  // The grid line takes the cell's bottom pixel row; without room for it, it would hide
  // underscores and descenders.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (gridLines_) size.rheight() += 2;
    return size;
  }

  QRect CheckRect(const QStyleOptionViewItem& base, const QModelIndex& index) const {
    QStyleOptionViewItem option(base);
    initStyleOption(&option, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : nullptr;
    if (!style || !(option.features & QStyleOptionViewItem::HasCheckIndicator)) return {};
    return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, widget);
  }

 private:
  const bool gridLines_;
};

class ListView final : public QTreeView {
 public:
  ListView(QWidget* parent, int64_t number, int64_t flags, PlatformListModel& rows,
           const PlatformFilter& filter)
      : QTreeView(parent),
        number_(number),
        filter_(filter),
        checkboxes_((flags & kListCheckboxes) != 0),
        threeState_(checkboxes_ && (flags & kListThreeState)),
        model_(std::make_unique<ListModel>(this, rows, checkboxes_)),
        delegate_(new ListDelegate(this, (flags & kListGridLines) != 0)) {
    setModel(model_.get());
    setItemDelegate(delegate_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode((flags & kListMultiSelect) ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              SelectionChanged(selected, deselected);
            });
  }
  ~ListView() override { setModel(nullptr); }

  ListModel& Model() { return *model_; }
  bool ThreeState() const { return threeState_; }

  QRect CheckboxRect(int row) {
    QModelIndex cell = model_->index(row, 0);
    if (!checkboxes_ || !cell.isValid()) return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(cell);
    return delegate_->CheckRect(option, cell);
  }

  // Program changes reach Qt in one pass. Selecting rows one call at a time costs Qt a
  // copy of its whole selection per call, since it keeps a range per call, and a change
  // notice per row costs the view a pass each: a select-all of 100,000 rows took
  // minutes. So changed rows and selections are gathered here and handed to Qt, the
  // selections as merged ranges, before the view next handles an event (paint and input
  // included) or once the program's turn ends; while the list is not redrawn, when it is
  // redrawn again. Reads of the selection see the gathered changes.
  void RowsChanged(int64_t first, int64_t last) {
    changedFirst_ = std::min(changedFirst_, first);
    changedLast_ = std::max(changedLast_, last);
    PostApplying();
  }

  void Select(int64_t row, bool selected) {
    pendingSelection_.Record(row, selected, model_->rows.RowCount(), FocusedRow());
    PostApplying();
  }

  void ApplyPending() {
    applyingPosted_ = false;
    model_->Publish();
    HandOverSelection();
    if (changedLast_ >= 0) model_->TellRowsChanged(changedFirst_, changedLast_);
    changedFirst_ = INT64_MAX;
    changedLast_ = -1;
  }

  // Rows about to go: what was gathered for them goes too.
  void DropPending() {
    pendingSelection_.Clear();
    changedFirst_ = INT64_MAX;
    changedLast_ = -1;
  }

  int64_t FocusedRow() const {
    if (const auto focus = pendingSelection_.Focus()) return *focus;
    return currentIndex().isValid() ? currentIndex().row() : -1;
  }

  // The user toggles a row's checkbox: the window filter may refuse it.
  bool UserToggle(int row) {
    ListCheck before = model_->rows.Check(row);
    ListCheck after = before == ListCheck::kClear ? ListCheck::kTicked : ListCheck::kClear;
    uint32_t marks =
        (IsSelected(row) ? kListStateSelected : 0) |
        (currentIndex().isValid() && currentIndex().row() == row ? kListStateFocused : 0);
    ListChangeNotice notice{HandleOf(this),
                            number_,
                            kListNotifyItemChanging,
                            row,
                            kListFieldState,
                            CheckImage(after) | marks,
                            CheckImage(before) | marks};
    int64_t answer =
        filter_ ? filter_(HandleOf(window()), kMessageNotify, static_cast<uint64_t>(number_),
                          reinterpret_cast<intptr_t>(&notice))
                : kFilterDefault;
    if (answer != kFilterDefault) return false;
    model_->rows.SetCheck(row, after);
    RowsChanged(row, row);
    RaiseGadgetEvent(this, kGadgetChange);
    return true;
  }

  bool IsSelected(int64_t row) const {
    if (const auto selected = pendingSelection_.Selected(row)) return *selected;
    return selectionModel()->isRowSelected(static_cast<int>(row), QModelIndex());
  }

 protected:
  // Whatever Qt does next sees the program's changes.
  bool event(QEvent* event) override {
    if (updatesEnabled()) ApplyPending();
    return QTreeView::event(event);
  }
  bool viewportEvent(QEvent* event) override {
    if (updatesEnabled()) ApplyPending();
    return QTreeView::viewportEvent(event);
  }

  void mousePressEvent(QMouseEvent* event) override {
    // A click on a checkbox toggles it without touching the selection.
    int row = CheckboxRowAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton) {
      checkboxRow_ = row;
      event->accept();
      return;
    }
    QTreeView::mousePressEvent(event);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (checkboxRow_ >= 0 && event->button() == Qt::LeftButton) {
      int row = checkboxRow_;
      checkboxRow_ = -1;
      if (CheckboxRowAt(event->position().toPoint()) == row) UserToggle(row);
      event->accept();
    } else {
      QTreeView::mouseReleaseEvent(event);
    }
    Clicked(event->button());
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (CheckboxRowAt(event->position().toPoint()) >= 0 && event->button() == Qt::LeftButton)
      mousePressEvent(event);  // a second toggle, like a second click
    else
      QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) RaiseGadgetEvent(this, kGadgetDoubleClick);
    if (event->button() == Qt::RightButton) RaiseGadgetEvent(this, kGadgetRightDoubleClick);
  }

 private:
  int CheckboxRowAt(QPoint point) {
    QModelIndex index = indexAt(point);
    if (!index.isValid() || !checkboxes_) return -1;
    return CheckboxRect(index.row()).contains(point) ? index.row() : -1;
  }

  bool AnySelected() const { return selectionModel()->hasSelection(); }

  // After a click: a selection that the click emptied is reported first.
  void Clicked(Qt::MouseButton button) {
    if (button != Qt::LeftButton && button != Qt::RightButton) return;
    if (!AnySelected() && lastSelected_ != -1) {
      lastSelected_ = -1;
      RaiseGadgetEvent(this, kGadgetChange);
    }
    if (button == Qt::RightButton)
      RaiseGadgetEvent(this, kGadgetRightClick);
    else if (AnySelected())
      RaiseGadgetEvent(this, kGadgetClicked);
  }

  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!selected.isEmpty()) lastSelected_ = selected.first().top();
    if (handingOver_) return;  // the program's change, made earlier
    if (!selected.isEmpty() || !deselected.isEmpty()) RaiseGadgetEvent(this, kGadgetChange);
  }

  void PostApplying() {
    if (applyingPosted_ || !updatesEnabled()) return;
    applyingPosted_ = true;
    QMetaObject::invokeMethod(this, [this] { ApplyPending(); }, Qt::QueuedConnection);
  }

  // The gathered selection in one call: Qt's whole new selection, a range per run.
  void HandOverSelection() {
    if (pendingSelection_.Empty()) return;
    const std::vector<PendingSelection::Run> before = SelectedRuns();
    const std::vector<PendingSelection::Run> after = pendingSelection_.Applied(before);
    const std::optional<int64_t> focus = pendingSelection_.Focus();
    pendingSelection_.Clear();
    handingOver_ = true;
    if (after != before) {
      QItemSelection selection;
      const int lastColumn = std::max(0, model_->columnCount(QModelIndex()) - 1);
      for (const auto& run : after)
        selection.append(QItemSelectionRange(model_->index(static_cast<int>(run.first), 0),
                                             model_->index(static_cast<int>(run.last), lastColumn)));
      selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    if (focus && *focus < 0) selectionModel()->clearCurrentIndex();
    if (focus && *focus >= 0)
      selectionModel()->setCurrentIndex(model_->index(static_cast<int>(*focus), 0),
                                        QItemSelectionModel::NoUpdate);
    handingOver_ = false;
  }

  // Qt's selected rows as runs in row order (its ranges may overlap or touch).
  std::vector<PendingSelection::Run> SelectedRuns() const {
    std::vector<PendingSelection::Run> ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection())
      ranges.push_back({range.top(), range.bottom()});
    std::sort(ranges.begin(), ranges.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PendingSelection::Run> runs;
    for (const auto& range : ranges) PendingSelection::AddRun(runs, range.first, range.last);
    return runs;
  }

  const int64_t number_;
  const PlatformFilter filter_;
  const bool checkboxes_;
  const bool threeState_;
  // Gathered program changes (see RowsChanged); made before the children, whose arrival
  // is an event.
  PendingSelection pendingSelection_;
  int64_t changedFirst_ = INT64_MAX, changedLast_ = -1;
  bool applyingPosted_ = false;
  bool handingOver_ = false;
  std::unique_ptr<ListModel> model_;
  ListDelegate* delegate_;
  int checkboxRow_ = -1;
  int lastSelected_ = -1;
};

bool ListModel::setData(const QModelIndex& index, const QVariant&, int role) {
  if (role != Qt::CheckStateRole || !checkboxes_ || !rows.HasRow(index.row())) return false;
  return view_->UserToggle(index.row());
}

int64_t ListModel::InsertRow(int64_t position, TextView text) {
  const int64_t at = rows.InsertPosition(position);
  if (!view_->updatesEnabled() && at == rows.RowCount()) return rows.InsertRow(at, text);
  view_->ApplyPending();  // gathered changes name rows by where they are now
  beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
  rows.InsertRow(at, text);
  published_ = rows.RowCount();
  endInsertRows();
  return at;
}

// Every use of a list but adding a row first tells its view of rows added meanwhile.
ListView* ViewOf(int64_t handle) {
  ListView* view = WidgetAs<ListView>(handle);
  if (view) view->Model().Publish();
  return view;
}

}  // namespace

int64_t PlatformListCreate(int64_t parent, int64_t number, int64_t window, const Text& title,
                           int64_t width, int64_t flags, PlatformListModel& rows,
                           const PlatformFilter& filter, const PlatformGone& gone) {
  auto* view = new ListView(WidgetOf(parent), number, flags, rows, filter);
  view->Model().InsertColumn(0, title);
  view->header()->resizeSection(0, static_cast<int>(width));
  int64_t handle = HandleOf(view);
  RegisterWidget(view, {number, window, false}, gone);
  view->show();
  return handle;
}

int64_t PlatformListInsertRow(int64_t handle, int64_t position, TextView text) {
  auto* view = WidgetAs<ListView>(handle);
  return view ? view->Model().InsertRow(position, text) : -1;
}

void PlatformListClear(int64_t handle) {
  if (ListView* view = ViewOf(handle)) {
    view->DropPending();
    view->Model().Clear();
  }
}

void PlatformListInsertColumn(int64_t handle, int64_t position, const Text& title, int64_t width) {
  ListView* view = ViewOf(handle);
  if (!view) return;
  view->ApplyPending();
  int at = view->Model().InsertColumn(position, title);
  view->header()->resizeSection(at, static_cast<int>(std::max<int64_t>(width, 0)));
}

int64_t PlatformListColumnWidth(int64_t handle, int64_t column) {
  ListView* view = ViewOf(handle);
  return view ? view->header()->sectionSize(static_cast<int>(column)) : 0;
}

void PlatformListSetColumnWidth(int64_t handle, int64_t column, int64_t width) {
  ListView* view = ViewOf(handle);
  if (!view || column < 0 || column >= view->Model().rows.ColumnCount()) return;
  view->header()->resizeSection(static_cast<int>(column), static_cast<int>(std::clamp<int64_t>(width, 0, INT16_MAX)));
}

int64_t PlatformListCellWidth(int64_t handle, int64_t row, int64_t column) {
  ListView* view = ViewOf(handle);
  if (!view || !view->Model().rows.HasCell(row, column)) return 0;
  QModelIndex index = view->Model().index(static_cast<int>(row), static_cast<int>(column));
  // The first column also holds the tree's indentation, which the delegate does not count.
  int indentation = column == 0 && view->rootIsDecorated() ? view->indentation() : 0;
  return view->sizeHintForIndex(index).width() + indentation;
}

int64_t PlatformListFocusedRow(int64_t handle) {
  ListView* view = ViewOf(handle);
  return view ? view->FocusedRow() : -1;
}

void PlatformListRowsChanged(int64_t handle, int64_t firstRow, int64_t lastRow) {
  if (ListView* view = ViewOf(handle)) view->RowsChanged(firstRow, lastRow);
}

bool PlatformListIsSelected(int64_t handle, int64_t row) {
  ListView* view = ViewOf(handle);
  return view && view->IsSelected(row);
}

bool PlatformListIsFocused(int64_t handle, int64_t row) {
  return row >= 0 && PlatformListFocusedRow(handle) == row;
}

void PlatformListSelect(int64_t handle, int64_t row, bool selected) {
  if (ListView* view = ViewOf(handle)) view->Select(row, selected);
}

void PlatformListSelectOnly(int64_t handle, int64_t row) {
  ListView* view = ViewOf(handle);
  if (!view) return;
  view->ApplyPending();
  view->selectionModel()->clearSelection();
  QModelIndex index = view->Model().index(static_cast<int>(row), 0);
  if (!index.isValid()) return;
  view->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(index);
}

int64_t PlatformListFirstSelected(int64_t handle) {
  ListView* view = ViewOf(handle);
  if (!view) return -1;
  view->ApplyPending();
  int first = -1;
  for (const QItemSelectionRange& range : view->selectionModel()->selection())
    if (first < 0 || range.top() < first) first = range.top();
  return first;
}

void PlatformListSetRedraw(int64_t handle, bool on) {
  ListView* view = ViewOf(handle);
  if (!view || view->updatesEnabled() == on) return;
  if (on) {
    view->setUpdatesEnabled(true);
    view->ApplyPending();
    view->viewport()->update();
    return;
  }
  view->setUpdatesEnabled(false);
}

bool PlatformListThreeState(int64_t handle) {
  ListView* view = ViewOf(handle);
  return view && view->ThreeState();
}

PlatformRect PlatformListCheckboxRect(int64_t handle, int64_t row) {
  ListView* view = ViewOf(handle);
  QRect r = view ? view->CheckboxRect(static_cast<int>(row)) : QRect();
  return {r.x(), r.y(), r.width(), r.height()};
}
