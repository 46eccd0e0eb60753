// The spreadsheet view of the project workbook: the grid of one sheet, the sheet tabs, a cell
// bar, and the editing commands (undo, redo, copy, paste, clear) with their usual keys.
#pragma once

#include <QWidget>
#include <vector>

#include "host/cell_ref.hpp"

class QAction;
class QLabel;
class QLineEdit;
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

  /// Lets go of the workbook while another thread changes it: the view shows nothing and takes
  /// no edits until resume().
  void suspend();
  /// Shows the workbook again, at its active sheet, after a change made outside the view. The
  /// undo history is forgotten: the earlier edits no longer fit what the cells hold.
  void resume();

  /// Index of the sheet shown, -1 when none.
  int currentSheet() const;
  /// Shows sheet `index` of the workbook and makes it the workbook's active sheet.
  void showSheet(int index);

  /// Copies the selected block to the clipboard as tab-separated text of the shown values.
  void copySelection();
  /// Pastes tab-separated clipboard text at the selection's top-left cell; a selection that is
  /// a whole multiple of the block in both directions gets the block repeated. Each field is
  /// read as if typed. One undo step.
  void paste();
  /// Empties the selected cells; their formats stay. One undo step.
  void clearSelection();

  SheetTable* table() const { return mTable; }
  SheetModel* model() const { return mModel; }
  QTabBar* tabBar() const { return mTabs; }
  QUndoStack* undoStack() const { return mUndo; }
  /// The view's own tool bar; the window puts its workbook commands in front.
  QToolBar* toolBar() const { return mToolBar; }

 signals:
  /// The cells of the workbook changed through the view (an edit, an undo or a redo).
  void contentChanged();

 private:
  void editCell(host::CellRef cell, const QString& text);
  void applyChanges(std::vector<CellChange> changes, const QString& description,
                    const host::RangeRef& select);
  void cellsWritten(int sheet, const host::RangeRef& cells);
  void rebuildTabs();
  void showCurrentCell();
  host::RangeRef selectedBlock() const;

  MessageBoxes& mMessages;
  host::Workbook* mBook = nullptr;
  bool mSuspended = false;
  int mShownSheet = -1;
  SheetModel* mModel = nullptr;
  SheetTable* mTable = nullptr;
  QTabBar* mTabs = nullptr;
  QToolBar* mToolBar = nullptr;
  QLabel* mCellName = nullptr;
  QLineEdit* mCellContent = nullptr;
  QUndoStack* mUndo = nullptr;
};

}  // namespace vardex
