// Undoable changes of cell values: typing, pasting and clearing in the spreadsheet view.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/workbook.hpp"

namespace vardex {

/// One cell's change. `typed` is what the user put in, read as if typed (a number text becomes a
/// number, the empty text empties the cell); `after` is filled in when the change is first made.
struct CellChange {
  host::CellRef cell;
  host::CellValue before;
  std::optional<std::string> typed;
  host::CellValue after;
};

/// Puts `value` into `cell` with its type kept: empty, number or text. The engine offers no way
/// to put a truth value or an error value back, so those come back as their texts.
void WriteCellValue(host::Worksheet& sheet, host::CellRef cell, const host::CellValue& value);

/// Changes a group of cells of one sheet and puts their earlier values back on undo. Styles are
/// not touched either way.
class SetCellsCommand : public QUndoCommand {
 public:
  /// Tells the view which cells of which sheet (index in the workbook) were written.
  using Written = std::function<void(int sheet, const host::RangeRef& cells)>;

  SetCellsCommand(host::Workbook& book, int sheet, std::vector<CellChange> changes, Written written,
                  const QString& text);

  /// Makes the changes for the first time. On failure (a text the sheet cannot hold) puts back
  /// what was already changed, stores the engine's description in `error` and returns false;
  /// the command must then not be pushed. After success the first redo() does nothing.
  bool apply(QString& error);

  void undo() override;
  void redo() override;

  /// The smallest range holding every changed cell.
  host::RangeRef bounds() const { return mBounds; }

 private:
  void writeAll(bool after);

  host::Workbook& mBook;
  int mSheet;
  std::vector<CellChange> mChanges;
  Written mWritten;
  host::RangeRef mBounds;
  bool mApplied = false;
};

}  // namespace vardex
