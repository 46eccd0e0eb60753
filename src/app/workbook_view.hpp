// The spreadsheet view of the project workbook: the grid of one sheet, the sheet tabs, a cell
// bar, and the editing commands (undo, redo, copy, paste, clear) with their usual keys.
#pragma once

#include <QWidget>
#include <vector>

#include "host/cell_ref.hpp"

class QAction;
class QLabel;
class QLineEdit;
class QStackedLayout;
class QTabBar;
class QToolBar;
class QUndoStack;

namespace vardex::host {
class Workbook;
}

namespace vardex {

class MessageBoxes;
class SheetModel;
class SheetTable;
struct CellChange;

/// Shows a workbook that someone else owns, one sheet at a time, and edits its cells through
/// undoable commands. Edits are typed values only: styles, sizes and merges stay as the file
/// has them. Failures of an edit are told through the MessageBoxes given.
class WorkbookView : public QWidget {
  Q_OBJECT

 public:
  explicit WorkbookView(MessageBoxes& messages, QWidget* parent = nullptr);
  ~WorkbookView() override;

  /// Shows `book` (null: an empty view) at its active sheet and forgets the undo history. The
  /// workbook must outlive the view or be replaced first.
  void setWorkbook(host::Workbook* book);
  host::Workbook* workbook() const { return mBook; }

  /// What thaw() does with the workbook another thread worked on.
  enum class Thaw {
    Keep,    ///< it was only read (saved): the view goes on where it was
    Reload,  ///< its cells changed: shown again at its active sheet, the undo history forgotten
  };
  /// Stops reading the workbook while another thread works on it: the grid shows a picture of
  /// itself and the view takes no commands until thaw().
  void freeze();
  /// Shows the workbook again after freeze() and gives the grid the keyboard focus.
  void thaw(Thaw thaw);

  /// Index of the sheet shown, -1 when none.
  int currentSheet() const;
  /// Shows sheet `index` of the workbook and makes it the workbook's active sheet.
  void showSheet(int index);
  /// Goes to the cell or block `address` ("B7", "A8:D10", "水准表!A1", "'Sheet 1'!C3") as typed
  /// into the cell-address box, showing its sheet. Reports an address that names no cell.
  bool goToAddress(const QString& address);

  /// Copies the selected block to the clipboard as tab-separated text of the shown values.
  void copySelection();
  /// Pastes tab-separated clipboard text at the selection's top-left cell; a selection that is
  /// a whole multiple of the block in both directions gets the block repeated. Each field is
  /// read as if typed. One undo step.
  void paste();
  /// Empties the selected cells; their formats stay. One undo step.
  void clearSelection();

  SheetTable* table() const { return mTable; }
  /// The cell-address box left of the cell bar.
  QLineEdit* addressBox() const { return mCellName; }
  SheetModel* model() const { return mModel; }
  QTabBar* tabBar() const { return mTabs; }
  QUndoStack* undoStack() const { return mUndo; }
  /// The view's own tool bar; the window puts its workbook commands in front.
  QToolBar* toolBar() const { return mToolBar; }

 signals:
  /// The cells of the workbook changed through the view (an edit, an undo or a redo).
  void contentChanged();

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void editCell(host::CellRef cell, const QString& text);
  void applyChanges(std::vector<CellChange> changes, const QString& description,
                    const host::RangeRef& select);
  void cellsWritten(int sheet, const host::RangeRef& cells);
  void rebuildTabs();
  void showCurrentCell();
  host::RangeRef selectedBlock() const;

  MessageBoxes& mMessages;
  host::Workbook* mBook = nullptr;
  bool mFrozen = false;
  int mShownSheet = -1;
  SheetModel* mModel = nullptr;
  SheetTable* mTable = nullptr;
  QTabBar* mTabs = nullptr;
  QToolBar* mToolBar = nullptr;
  QLineEdit* mCellName = nullptr;
  QStackedLayout* mGridArea = nullptr;  ///< the grid, or its picture while frozen
  QLabel* mGridPicture = nullptr;
  QLineEdit* mCellContent = nullptr;
  QUndoStack* mUndo = nullptr;
};

}  // namespace vardex
