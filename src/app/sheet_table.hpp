// The grid of the spreadsheet view: a table over one worksheet with the file's column widths,
// row heights, merged regions and frozen panes, and the keys of a spreadsheet program.
#pragma once

#include <QTableView>
#include <array>
#include <utility>
#include <vector>

#include "host/cell_ref.hpp"

namespace vardex {

class CellDelegate;
class SheetModel;

/// A QTableView over a SheetModel that behaves like a spreadsheet grid:
///  - typing over a cell replaces its content, F2 or a double click edits it;
///  - Enter moves down (Shift+Enter up), Tab right (Shift+Tab left), also when ending an edit;
///  - Delete asks for the selection's contents to be cleared (clearRequested);
///  - Ctrl+arrows go to the edge of the data region, Ctrl+Home to A1, Ctrl+End to the last
///    cell holding a value, Shift extending the selection as usual;
///  - frozen rows and columns stay in place while the rest scrolls;
///  - the model grows when the current cell moves past its last row or column, never by
///    scrolling alone.
class SheetTable : public QTableView {
  Q_OBJECT

 public:
  explicit SheetTable(QWidget* parent = nullptr);

  /// Shows `model` (owned by the caller) and applies its sheet's layout.
  void setSheetModel(SheetModel* model);
  SheetModel* sheetModel() const { return mModel; }

  /// Rereads column widths, row heights, merged regions and frozen panes from the sheet.
  void applyLayout();

  int frozenRows() const { return mFrozenRows; }
  int frozenColumns() const { return mFrozenColumns; }

  /// Makes the cell `rows` down and `columns` right of the current one current and selected.
  void moveCurrent(int rows, int columns);

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 signals:
  /// Delete was pressed outside an editor.
  void clearRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void updateGeometries() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Part { Main, Top, Left, Corner };
  SheetTable(SheetTable* main, Part part);

  void setUpCommon();
  void rebuildOverlays();
  void copyLayoutTo(SheetTable& overlay) const;
  void placeOverlays();
  int frozenHeight() const;
  int frozenWidth() const;
  bool inFrozenArea(const QModelIndex& index) const;
  SheetTable* overlayFor(const QModelIndex& index) const;
  void growTowards(int row, int column);
  void followSpans();
  bool holdsValue(int row, int column) const;
  QModelIndex edgeOfData(const QModelIndex& from, int rows, int columns) const;
  QModelIndex lastValueCell() const;

  Part mPart = Part::Main;
  SheetTable* mMain = nullptr;  ///< the scrolling table an overlay belongs to; itself for Main
  SheetModel* mModel = nullptr;
  CellDelegate* mDelegate = nullptr;
  int mFrozenRows = 0;
  int mFrozenColumns = 0;
  std::array<SheetTable*, 3> mOverlays{};  ///< top, left, corner; null when not frozen
  std::vector<host::RangeRef> mMerges;     ///< the sheet's merged regions by first row
  int mTallestMerge = 1;                   ///< rows of the tallest of them
  std::pair<int, int> mSpanRows{1, 0};     ///< sheet rows whose merges are spans now
};

}  // namespace vardex
