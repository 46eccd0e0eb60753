// Painter and editor of the spreadsheet view's cells: fill, grid, text under the cell's font and
// alignment, border lines where the file has them, and a line editor for typing.
#pragma once

#include <QStyledItemDelegate>

namespace vardex {

/// Draws cells of a SheetModel shown in a QTableView, and edits them with a frameless line
/// editor in the cell's font. The grid is drawn here (the view's own grid is off), so that
/// border lines and fills can cover it as in a spreadsheet program.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  /// The next editor starts empty instead of with the cell's value: typing over a cell
  /// replaces its content, while F2 or a double click edits it.
  void setReplaceOnNextEdit(bool replace) { mReplaceOnNextEdit = replace; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;

 signals:
  /// An edit was ended by Enter (down, Shift+Enter up), Tab (right, Shift+Tab left) or, in an
  /// entry started by typing, an arrow key; the value is committed and the editor closed
  /// already.
  void editEndedWithMove(int rows, int columns);

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  mutable bool mReplaceOnNextEdit = false;
};

}  // namespace vardex
