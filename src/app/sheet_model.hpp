// Table model over one worksheet of the project workbook: what each cell shows (its text under
// the number format), how it looks (font, fill, alignment, border lines) and what an edit puts
// into it. The spreadsheet view draws and edits through this model only.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <optional>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/sheet_layout.hpp"

namespace vardex::host {
class Worksheet;
}

namespace vardex {

/// One border line as the view draws it: width 0 means none.
struct EdgeLine {
  int width = 0;  ///< pixels; a double line is 3 pixels with a gap in the middle
  Qt::PenStyle style = Qt::SolidLine;
  bool doubled = false;
  QColor color;
};

/// Everything the cell painter needs for one cell, looked up once per paint.
struct CellLook {
  QString text;
  QFont font;
  QColor textColor;
  QColor fill;  ///< invalid: no fill, the grid shows
  Qt::Alignment alignment;
  bool wrap = false;
  bool number = false;  ///< a number too wide for its cell shows "####"
  EdgeLine left;        ///< drawn only for the first column
  EdgeLine top;         ///< drawn only for the first row
  EdgeLine right;       ///< the stronger of this cell's right and its right neighbour's left line
  EdgeLine bottom;      ///< the stronger of this cell's bottom and the lower neighbour's top line
};

/// A QAbstractTableModel over a host::Worksheet. Row r, column c of the model is the cell
/// (r + 1, c + 1). The model shows at least the used range plus a margin, and grows on request
/// (ensureSize) as the user scrolls towards its end, up to the sheet's bounds.
///
/// Roles: DisplayRole is the cell's shown text, EditRole its value as typed (a number in its
/// shortest exact form), FontRole, BackgroundRole (only for filled cells), ForegroundRole and
/// TextAlignmentRole from the cell's style. setData does not write: it emits editRequested, so
/// that the caller can record the change for undo and then write through the sheet.
class SheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// Rows and columns shown at least, and beyond the used range.
  static constexpr int kMinimumRows = 1000;
  static constexpr int kMinimumColumns = 26;
  static constexpr int kRowMargin = 200;
  static constexpr int kColumnMargin = 10;

  explicit SheetModel(QObject* parent = nullptr);

  /// Shows `sheet` (null: nothing). The sheet must outlive the model or be replaced first.
  void setSheet(host::Worksheet* sheet);
  host::Worksheet* sheet() const { return mSheet; }

  /// Rereads the whole sheet after a change made behind the model's back.
  void reload();
  /// Tells the views that the cells of `range` changed, growing the model to hold them.
  void cellsChanged(const host::RangeRef& range);
  /// Grows the model to at least `rows` by `columns` (bounded by the sheet's limits).
  void ensureSize(int rows, int columns);

  static host::CellRef cellOf(const QModelIndex& index) {
    return host::CellRef{index.row() + 1, index.column() + 1};
  }

  /// The look of the cell at `index`, with `rowSpan` and `columnSpan` the size of its merged
  /// region (1 and 1 for a plain cell).
  CellLook look(const QModelIndex& index, int rowSpan, int columnSpan) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  /// The user typed `text` into `cell`.
  void editRequested(vardex::host::CellRef cell, const QString& text);

 private:
  struct StyleLook {
    QFont font;
    QColor textColor;
    QColor fill;
    host::HorizontalAlignment horizontal = host::HorizontalAlignment::kGeneral;
    Qt::Alignment vertical = Qt::AlignBottom;
    bool wrap = false;
    host::BorderSide left, right, top, bottom;
  };

  uint32_t styleOf(host::CellRef cell) const;
  const StyleLook& styleLook(uint32_t style) const;
  void resetExtent();

  host::Worksheet* mSheet = nullptr;
  int mRows = 0;
  int mColumns = 0;
  mutable std::vector<std::optional<StyleLook>> mStyleLooks;
};

/// Pixels of a column `width` given in characters of the default font (about 7 pixels each plus
/// 5 of padding), and of a row `height` given in points; both at 96 dpi.
int columnWidthPixels(double width);
int rowHeightPixels(double height);

}  // namespace vardex
