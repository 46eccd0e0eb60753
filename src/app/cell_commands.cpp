// Undoable cell changes.
#include "app/cell_commands.hpp"

#include <algorithm>
#include <variant>

#include "host/host_error.hpp"

namespace vardex {

void WriteCellValue(host::Worksheet& sheet, host::CellRef cell, const host::CellValue& value) {
  if (const double* number = std::get_if<double>(&value)) {
    sheet.SetValue(cell, *number);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    sheet.SetText(cell, *text);
  } else if (const bool* truth = std::get_if<bool>(&value)) {
    sheet.SetText(cell, *truth ? std::string_view("TRUE") : std::string_view("FALSE"));
  } else if (const auto* error = std::get_if<host::ErrorValue>(&value)) {
    sheet.SetText(cell, error->code);
  } else {
    sheet.ClearContents(host::RangeRef{cell, cell});
  }
}

SetCellsCommand::SetCellsCommand(host::Workbook& book, int sheet, std::vector<CellChange> changes,
                                 Written written, const QString& text)
    : QUndoCommand(text),
      mBook(book),
      mSheet(sheet),
      mChanges(std::move(changes)),
      mWritten(std::move(written)) {
  if (mChanges.empty()) return;
  mBounds = {mChanges.front().cell, mChanges.front().cell};
  for (const CellChange& change : mChanges) {
    mBounds.first.row = std::min(mBounds.first.row, change.cell.row);
    mBounds.first.column = std::min(mBounds.first.column, change.cell.column);
    mBounds.last.row = std::max(mBounds.last.row, change.cell.row);
    mBounds.last.column = std::max(mBounds.last.column, change.cell.column);
  }
}

bool SetCellsCommand::apply(QString& error) {
  host::Worksheet& sheet = mBook.SheetAt(static_cast<std::size_t>(mSheet));
  std::size_t done = 0;
  try {
    for (; done < mChanges.size(); ++done) {
      CellChange& change = mChanges[done];
      if (change.typed) {
        sheet.SetValue(change.cell, *change.typed);
      } else {
        WriteCellValue(sheet, change.cell, change.after);
      }
      change.after = sheet.Value(change.cell);
    }
  } catch (const host::HostError& failure) {
    error = QString::fromUtf8(failure.what());
    for (std::size_t i = 0; i < done; ++i) {
      WriteCellValue(sheet, mChanges[i].cell, mChanges[i].before);
    }
    if (mWritten) mWritten(mSheet, mBounds);
    return false;
  }
  mApplied = true;
  if (mWritten) mWritten(mSheet, mBounds);
  return true;
}

void SetCellsCommand::writeAll(bool after) {
  host::Worksheet& sheet = mBook.SheetAt(static_cast<std::size_t>(mSheet));
  for (const CellChange& change : mChanges) {
    WriteCellValue(sheet, change.cell, after ? change.after : change.before);
  }
  if (mWritten) mWritten(mSheet, mBounds);
}

void SetCellsCommand::undo() { writeAll(false); }

void SetCellsCommand::redo() {
  // QUndoStack::push redoes at once; the changes were made by apply() already.
  if (mApplied) {
    mApplied = false;
    return;
  }
  writeAll(true);
}

}  // namespace vardex
