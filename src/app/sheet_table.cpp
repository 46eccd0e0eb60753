// Spreadsheet grid.
#include "app/sheet_table.hpp"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/cell_delegate.hpp"
#include "app/sheet_model.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"

namespace vardex {
namespace {

// How far the model grows ahead of the user when moving reaches its end.
constexpr int kRowGrowth = 100;
constexpr int kColumnGrowth = 10;

const QColor kFreezeLine(120, 120, 120);

// Merged regions are spans of the view, and Qt's spans are slow to set by the hundred thousand
// (the plane record tables merge eight regions a row). A sheet with more than kAllSpans of them
// gets spans only within kSpanMargin rows of the rows in sight, moved along as the view scrolls.
constexpr std::size_t kAllSpans = 4000;
constexpr int kSpanMargin = 300;

// Applies sizes for many sections at once. Header updates are off meanwhile: a resize with
// updates on looks up the section's position, which is linear in the section count, and would
// make a sheet of 65,000 rows quadratic to lay out.
template <typename Apply>
void resizeSectionsQuietly(QHeaderView* header, Apply apply) {
  const bool updates = header->updatesEnabled();
  header->setUpdatesEnabled(false);
  apply();
  header->setUpdatesEnabled(updates);
}

}  // namespace

SheetTable::SheetTable(QWidget* parent) : QTableView(parent), mMain(this) {
  setUpCommon();
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &SheetTable::followSpans);
}

SheetTable::SheetTable(SheetTable* main, Part part)
    : QTableView(main), mPart(part), mMain(main), mModel(main->mModel) {
  setUpCommon();
  setModel(main->model());
  setSelectionModel(main->selectionModel());
  // Keys always go to the scrolling table, which hands edits of frozen cells over to us.
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::NoFrame);
  setAutoScroll(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  horizontalHeader()->setVisible(part == Part::Left);
  verticalHeader()->setVisible(part == Part::Top);
  if (part == Part::Top) {
    connect(main->horizontalScrollBar(), &QScrollBar::valueChanged, horizontalScrollBar(),
            &QScrollBar::setValue);
  }
  if (part == Part::Left) {
    connect(main->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
            &QScrollBar::setValue);
  }
}

void SheetTable::setUpCommon() {
  mDelegate = new CellDelegate(this);
  setItemDelegate(mDelegate);
  connect(mDelegate, &CellDelegate::editEndedWithMove, this,
          [this](int rows, int columns) { mMain->moveCurrent(rows, columns); });
  setShowGrid(false);
  setWordWrap(false);
  setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
  setSelectionMode(ExtendedSelection);
  setSelectionBehavior(SelectItems);
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerPixel);
  setTabKeyNavigation(true);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(true);
  verticalHeader()->setHighlightSections(true);
}

void SheetTable::setSheetModel(SheetModel* model) {
  mModel = model;
  setModel(model);
  connect(model, &QAbstractItemModel::modelReset, this, &SheetTable::applyLayout);
  applyLayout();
}

void SheetTable::applyLayout() {
  clearSpans();
  host::Worksheet* sheet = mModel != nullptr ? mModel->sheet() : nullptr;
  if (sheet == nullptr) {
    mFrozenRows = 0;
    mFrozenColumns = 0;
    mMerges.clear();
    rebuildOverlays();
    return;
  }
  const host::SheetLayout& layout = host::Layout(*sheet);
  const int columns = mModel->columnCount();
  const int rows = mModel->rowCount();
  const int defaultWidth = columnWidthPixels(layout.default_column_width);
  const int defaultHeight = rowHeightPixels(layout.default_row_height);

  resizeSectionsQuietly(horizontalHeader(), [&] {
    horizontalHeader()->setDefaultSectionSize(defaultWidth);
    for (int c = 0; c < columns; ++c) {
      const double width = host::ColumnWidth(*sheet, c + 1);
      setColumnHidden(c, width <= 0);
      if (width > 0) setColumnWidth(c, columnWidthPixels(width));
    }
  });
  resizeSectionsQuietly(verticalHeader(), [&] {
    verticalHeader()->setDefaultSectionSize(defaultHeight);
    const auto used = sheet->UsedRange();
    const int lastRow = used ? std::min(used->last.row, rows) : 0;
    for (int r = 0; r < lastRow; ++r) {
      const int height = rowHeightPixels(host::RowHeight(*sheet, r + 1));
      if (height == 0) {
        setRowHidden(r, true);
      } else if (height != defaultHeight) {
        setRowHeight(r, height);
      }
    }
  });
  mMerges.clear();
  mTallestMerge = 1;
  for (const host::RangeRef& merged : sheet->MergedRanges()) {
    if (merged.first.row > rows || merged.first.column > columns) continue;
    mMerges.push_back(merged);
    mTallestMerge = std::max(mTallestMerge, static_cast<int>(merged.RowCount()));
  }
  std::sort(mMerges.begin(), mMerges.end(), [](const host::RangeRef& a, const host::RangeRef& b) {
    return a.first.row < b.first.row;
  });
  mFrozenRows = std::min(layout.frozen_rows, rows);
  mFrozenColumns = std::min(layout.frozen_columns, columns);
  rebuildOverlays();
}

void SheetTable::rebuildOverlays() {
  // Later: an overlay may be the sender of what led here (an edit ending in a frozen cell).
  for (SheetTable*& overlay : mOverlays) {
    if (overlay == nullptr) continue;
    overlay->hide();
    overlay->deleteLater();
    overlay = nullptr;
  }
  if (mPart != Part::Main || mModel == nullptr) return;
  if (mFrozenRows > 0) mOverlays[0] = new SheetTable(this, Part::Top);
  if (mFrozenColumns > 0) mOverlays[1] = new SheetTable(this, Part::Left);
  if (mFrozenRows > 0 && mFrozenColumns > 0) mOverlays[2] = new SheetTable(this, Part::Corner);
  for (SheetTable* overlay : mOverlays) {
    if (overlay == nullptr) continue;
    copyLayoutTo(*overlay);
    // A section the user drags in one part is the same section in the others. Connected only
    // now: laying the overlay out resizes its sections too.
    connect(overlay->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) { setColumnWidth(column, size); });
    connect(overlay->verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { setRowHeight(row, size); });
    overlay->show();
    overlay->raise();
  }
  placeOverlays();
  mSpanRows = {1, 0};
  followSpans();
}

void SheetTable::followSpans() {
  if (mPart != Part::Main || mModel == nullptr) return;
  std::pair<int, int> wanted{1, host::kMaxRows};
  if (mMerges.size() > kAllSpans) {
    // Sheet rows, 1-based, of the first and last row in sight.
    const int top = std::max(rowAt(0), 0) + 1;
    const int bottom = std::max(rowAt(viewport()->height() - 1), top + 100) + 1;
    if (top >= mSpanRows.first && bottom <= mSpanRows.second) return;
    wanted = {std::max(1, top - kSpanMargin), bottom + kSpanMargin};
  } else if (mSpanRows == wanted) {
    return;
  }
  mSpanRows = wanted;
  clearSpans();
  for (SheetTable* overlay : mOverlays) {
    if (overlay != nullptr) overlay->clearSpans();
  }
  const auto setSpans = [this](const host::RangeRef& merged) {
    const int row = merged.first.row - 1;
    const int column = merged.first.column - 1;
    const auto rows = static_cast<int>(merged.RowCount());
    const auto columns = static_cast<int>(merged.ColumnCount());
    setSpan(row, column, rows, columns);
    const bool inTop = merged.first.row <= mFrozenRows;
    const bool inLeft = merged.first.column <= mFrozenColumns;
    if (mOverlays[0] != nullptr && inTop) mOverlays[0]->setSpan(row, column, rows, columns);
    if (mOverlays[1] != nullptr && inLeft) mOverlays[1]->setSpan(row, column, rows, columns);
    if (mOverlays[2] != nullptr && inTop && inLeft) {
      mOverlays[2]->setSpan(row, column, rows, columns);
    }
  };
  const auto byRow = [](const host::RangeRef& merged, int row) { return merged.first.row < row; };
  // The frozen rows are always in sight.
  const auto frozenEnd = std::lower_bound(mMerges.begin(), mMerges.end(), mFrozenRows + 1, byRow);
  std::for_each(mMerges.begin(), frozenEnd, setSpans);
  auto merged =
      std::lower_bound(frozenEnd, mMerges.end(), mSpanRows.first - mTallestMerge + 1, byRow);
  for (; merged != mMerges.end() && merged->first.row <= mSpanRows.second; ++merged) {
    if (merged->last.row >= mSpanRows.first) setSpans(*merged);
  }
}

void SheetTable::copyLayoutTo(SheetTable& overlay) const {
  overlay.mFrozenRows = mFrozenRows;
  overlay.mFrozenColumns = mFrozenColumns;
  resizeSectionsQuietly(overlay.horizontalHeader(), [&] {
    overlay.horizontalHeader()->setDefaultSectionSize(horizontalHeader()->defaultSectionSize());
    for (int c = 0; c < mModel->columnCount(); ++c) {
      overlay.setColumnHidden(c, isColumnHidden(c));
      overlay.setColumnWidth(c, columnWidth(c));
    }
  });
  // The top part shows only the frozen rows; the others scroll down the whole sheet.
  const int rows = overlay.mPart == Part::Left ? mModel->rowCount() : mFrozenRows;
  const int defaultHeight = verticalHeader()->defaultSectionSize();
  resizeSectionsQuietly(overlay.verticalHeader(), [&] {
    overlay.verticalHeader()->setDefaultSectionSize(defaultHeight);
    for (int r = 0; r < rows; ++r) {
      if (isRowHidden(r)) overlay.setRowHidden(r, true);
      const int height = rowHeight(r);
      if (height != defaultHeight) overlay.setRowHeight(r, height);
    }
  });
  overlay.horizontalScrollBar()->setValue(
      overlay.mPart == Part::Top ? horizontalScrollBar()->value() : 0);
  overlay.verticalScrollBar()->setValue(overlay.mPart == Part::Left ? verticalScrollBar()->value()
                                                                    : 0);
}

int SheetTable::frozenHeight() const {
  int height = 0;
  for (int r = 0; r < mFrozenRows; ++r) height += rowHeight(r);
  return height;
}

int SheetTable::frozenWidth() const {
  int width = 0;
  for (int c = 0; c < mFrozenColumns; ++c) width += columnWidth(c);
  return width;
}

void SheetTable::placeOverlays() {
  if (mPart != Part::Main) return;
  const QRect port = viewport()->geometry();
  const QRect rowHeader = verticalHeader()->geometry();
  const QRect columnHeader = horizontalHeader()->geometry();
  const int height = std::min(frozenHeight(), port.height());
  const int width = std::min(frozenWidth(), port.width());
  if (SheetTable* top = mOverlays[0]) {
    top->verticalHeader()->setFixedWidth(rowHeader.width());
    top->setGeometry(rowHeader.left(), port.top(), rowHeader.width() + port.width(), height);
  }
  if (SheetTable* left = mOverlays[1]) {
    left->horizontalHeader()->setFixedHeight(columnHeader.height());
    left->setGeometry(port.left(), columnHeader.top(), width,
                      columnHeader.height() + port.height());
  }
  if (SheetTable* corner = mOverlays[2]) {
    corner->setGeometry(port.left(), port.top(), width, height);
  }
}

void SheetTable::updateGeometries() {
  QTableView::updateGeometries();
  placeOverlays();
  followSpans();
}

bool SheetTable::inFrozenArea(const QModelIndex& index) const {
  return index.row() < mFrozenRows || index.column() < mFrozenColumns;
}

SheetTable* SheetTable::overlayFor(const QModelIndex& index) const {
  const bool top = index.row() < mFrozenRows;
  const bool left = index.column() < mFrozenColumns;
  if (top && left) return mOverlays[2];
  if (top) return mOverlays[0];
  if (left) return mOverlays[1];
  return nullptr;
}

void SheetTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // The frozen parts never scroll on their own; the scrolling table moves them along.
  if (mPart != Part::Main || !index.isValid()) return;
  const QRect cell = visualRect(index);
  if (index.row() >= mFrozenRows) {
    const int top = frozenHeight();
    const int bottom = viewport()->height();
    int delta = 0;
    if (hint == PositionAtTop || cell.top() < top) {
      delta = cell.top() - top;
    } else if (hint == PositionAtBottom || cell.bottom() >= bottom) {
      delta = std::min(cell.bottom() - bottom + 1, cell.top() - top);
    } else if (hint == PositionAtCenter) {
      delta = cell.center().y() - (top + bottom) / 2;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() + delta);
  }
  if (index.column() >= mFrozenColumns) {
    const int left = frozenWidth();
    const int right = viewport()->width();
    int delta = 0;
    if (cell.left() < left) {
      delta = cell.left() - left;
    } else if (cell.right() >= right) {
      delta = std::min(cell.right() - right + 1, cell.left() - left);
    }
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta);
  }
}

void SheetTable::growTowards(int row, int column) {
  if (mModel == nullptr) return;
  const int rows = row >= mModel->rowCount() - 1 ? row + kRowGrowth : mModel->rowCount();
  const int columns =
      column >= mModel->columnCount() - 1 ? column + kColumnGrowth : mModel->columnCount();
  mModel->ensureSize(rows, columns);
}

void SheetTable::moveCurrent(int rows, int columns) {
  if (mMain != this) {
    mMain->moveCurrent(rows, columns);
    return;
  }
  if (mModel == nullptr || mModel->rowCount() == 0) return;
  QModelIndex current = currentIndex();
  if (!current.isValid()) current = mModel->index(0, 0);
  // Leaving a merged region downwards or rightwards starts below or right of all of it.
  int row = current.row() + rows;
  int column = current.column() + columns;
  if (rows > 0) row += std::max(rowSpan(current.row(), current.column()), 1) - 1;
  if (columns > 0) column += std::max(columnSpan(current.row(), current.column()), 1) - 1;
  row = std::max(row, 0);
  column = std::max(column, 0);
  growTowards(row, column);
  row = std::min(row, mModel->rowCount() - 1);
  column = std::min(column, mModel->columnCount() - 1);
  const QModelIndex target = mModel->index(row, column);
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  scrollTo(target);
}

bool SheetTable::holdsValue(int row, int column) const {
  return mModel->sheet()->Value({row + 1, column + 1}).index() != 0;
}

// The spreadsheet programs' Ctrl+arrow: from inside a run of filled cells to its last cell,
// otherwise to the next filled cell, or to the end of the grid when there is none.
QModelIndex SheetTable::edgeOfData(const QModelIndex& from, int rows, int columns) const {
  const auto inside = [this](int row, int column) {
    return row >= 0 && column >= 0 && row < mModel->rowCount() && column < mModel->columnCount();
  };
  int row = from.row();
  int column = from.column();
  if (!inside(row + rows, column + columns)) return from;
  if (holdsValue(row, column) && holdsValue(row + rows, column + columns)) {
    while (inside(row + rows, column + columns) && holdsValue(row + rows, column + columns)) {
      row += rows;
      column += columns;
    }
  } else {
    row += rows;
    column += columns;
    while (inside(row + rows, column + columns) && !holdsValue(row, column)) {
      row += rows;
      column += columns;
    }
  }
  return mModel->index(row, column);
}

QModelIndex SheetTable::lastValueCell() const {
  int lastRow = 0;
  int lastColumn = 0;
  if (const auto used = mModel->sheet()->UsedRange()) {
    host::ForEachCell(*mModel->sheet(), *used, [&](const host::CellView& cell) {
      if (cell.kind == host::CellKind::kEmpty) return;
      lastRow = std::max(lastRow, cell.ref.row - 1);
      lastColumn = std::max(lastColumn, cell.ref.column - 1);
    });
  }
  return mModel->index(lastRow, lastColumn);
}

QModelIndex SheetTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = currentIndex();
  if (mModel == nullptr || mModel->sheet() == nullptr || !current.isValid() ||
      !(modifiers & Qt::ControlModifier)) {
    return QTableView::moveCursor(action, modifiers);
  }
  switch (action) {
    case MoveHome:
      return mModel->index(0, 0);
    case MoveEnd:
      return lastValueCell();
    case MoveUp:
      return edgeOfData(current, -1, 0);
    case MoveDown:
      return edgeOfData(current, 1, 0);
    case MoveLeft:
      return edgeOfData(current, 0, -1);
    case MoveRight:
      return edgeOfData(current, 0, 1);
    default:
      return QTableView::moveCursor(action, modifiers);
  }
}

void SheetTable::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (event->key() == Qt::Key_Home && (event->modifiers() & Qt::ControlModifier)) {
    // A1 lies in the frozen panes when there are any, which never scroll by themselves.
    QTableView::keyPressEvent(event);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      moveCurrent(shift ? -1 : 1, 0);
      event->accept();
      return;
    case Qt::Key_Tab:
      moveCurrent(0, 1);
      event->accept();
      return;
    case Qt::Key_Backtab:
      moveCurrent(0, -1);
      event->accept();
      return;
    case Qt::Key_Delete:
      emit mMain->clearRequested();
      event->accept();
      return;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      if (currentIndex().isValid() && !(event->modifiers() & Qt::ControlModifier)) {
        growTowards(currentIndex().row() + 1, currentIndex().column());
      }
      break;
    case Qt::Key_Right:
      if (currentIndex().isValid() && !(event->modifiers() & Qt::ControlModifier)) {
        growTowards(currentIndex().row(), currentIndex().column() + 1);
      }
      break;
    default:
      break;
  }
  QTableView::keyPressEvent(event);
}

bool SheetTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // A frozen cell lies under its overlay, which must hold the editor to show it.
  if (mPart == Part::Main && trigger != NoEditTriggers && trigger != CurrentChanged) {
    if (SheetTable* overlay = overlayFor(index)) return overlay->edit(index, trigger, event);
  }
  if (trigger == AnyKeyPressed) mDelegate->setReplaceOnNextEdit(true);
  const bool started = QTableView::edit(index, trigger, event);
  if (trigger == AnyKeyPressed && !started) mDelegate->setReplaceOnNextEdit(false);
  return started;
}

void SheetTable::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Moves after an edit come from the delegate (editEndedWithMove); Qt's hints would move or
  // open the next editor on their own.
  const bool revert = hint == QAbstractItemDelegate::RevertModelCache;
  QTableView::closeEditor(editor, revert ? hint : QAbstractItemDelegate::NoHint);
  if (mPart != Part::Main) mMain->setFocus();
}

void SheetTable::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (mPart == Part::Main) return;
  // The line where the frozen panes end, as the spreadsheet programs draw it.
  QPainter painter(viewport());
  const QRect area = viewport()->rect();
  if (mPart != Part::Left) painter.fillRect(QRect(0, area.bottom(), area.width(), 1), kFreezeLine);
  if (mPart != Part::Top) painter.fillRect(QRect(area.right(), 0, 1, area.height()), kFreezeLine);
}

}  // namespace vardex
