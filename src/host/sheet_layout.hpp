// Read access to what a sheet looks like: resolved cell styles (font, fill, borders, alignment),
// column widths, row heights, frozen panes and fast iteration over the cells that exist. The
// desktop spreadsheet view draws from this; the engine itself never changes a style's content.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_ref.hpp"

namespace vardex::host {

class Workbook;
class Worksheet;

/// A colour resolved to ARGB (theme and indexed colours included, tint applied).
struct Color {
  bool set = false;  ///< false: the program's default (automatic) colour
  uint32_t argb = 0xFF000000;
  friend bool operator==(const Color&, const Color&) = default;
};

struct FontStyle {
  std::string name = "Calibri";
  double size = 11;  ///< points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  Color color;
};

enum class BorderLine : uint8_t {
  kNone,
  kThin,
  kMedium,
  kThick,
  kDashed,
  kDotted,
  kDouble,
  kHair,
  kOther
};

struct BorderSide {
  BorderLine line = BorderLine::kNone;
  Color color;
};

enum class HorizontalAlignment : uint8_t {
  kGeneral,
  kLeft,
  kCenter,
  kRight,
  kFill,
  kJustify,
  kCenterContinuous,
  kDistributed
};
enum class VerticalAlignment : uint8_t { kBottom, kTop, kCenter, kJustify, kDistributed };

/// One cell format (an entry of the workbook's cellXfs), fully resolved.
struct CellStyle {
  uint32_t number_format_id = 0;
  std::string number_format = "General";
  FontStyle font;
  Color fill;  ///< solid fill colour; unset for no fill
  BorderSide left, right, top, bottom;
  HorizontalAlignment horizontal = HorizontalAlignment::kGeneral;
  VerticalAlignment vertical = VerticalAlignment::kBottom;
  bool wrap = false;
  uint32_t indent = 0;
};

/// A run of columns sharing a width (widths in characters of the default font's digit).
struct ColumnInfo {
  int32_t first = 1;
  int32_t last = 1;
  double width = 0;  ///< 0: default width
  bool hidden = false;
  uint32_t style = 0;
};

struct SheetLayout {
  double default_column_width = 8.43;  ///< characters
  double default_row_height = 15;      ///< points
  std::vector<ColumnInfo> columns;     ///< sorted, not overlapping
  int32_t frozen_rows = 0;             ///< rows frozen above the scrolling area
  int32_t frozen_columns = 0;          ///< columns frozen left of it
};

/// The style of cellXfs entry `style_index`; an index outside the table gives entry 0.
const CellStyle& ResolvedStyle(const Workbook& book, uint32_t style_index);
/// Number of cellXfs entries (valid style indices are below it).
std::size_t StyleCount(const Workbook& book);

const SheetLayout& Layout(const Worksheet& sheet);
/// Width of a column in characters (hidden columns give 0).
double ColumnWidth(const Worksheet& sheet, int32_t column);
/// Height of a row in points (hidden rows give 0).
double RowHeight(const Worksheet& sheet, int32_t row);
/// The style a cell shows: its own when the cell exists, else its row's when the row has one of
/// its own, else its column's, else 0.
uint32_t ShownStyle(const Worksheet& sheet, CellRef cell);

enum class CellKind : uint8_t { kEmpty, kNumber, kText, kBool, kError };

/// One existing cell as seen by ForEachCell; `text` stays valid until the sheet changes.
struct CellView {
  CellRef ref;
  uint32_t style = 0;
  CellKind kind = CellKind::kEmpty;  ///< kEmpty: a cell that only carries a style
  double number = 0;                 ///< kNumber; kBool gives 0 or 1
  std::string_view text;             ///< kText, kError
  bool has_formula = false;
};

/// Calls `visit` for every existing cell in `range`, row by row, columns ascending. Cost follows
/// the cells that exist, not the range's area.
void ForEachCell(const Worksheet& sheet, const RangeRef& range,
                 const std::function<void(const CellView&)>& visit);

/// Adds a cell format that is `base_style` with number format `code`, and returns its index.
/// Reuses an existing format code; the styles part is rewritten on save.
/// Throws HostError(kErrCannotOpen) for a base style that does not exist.
uint32_t AddNumberFormatStyle(Workbook& book, std::string_view code, uint32_t base_style = 0);

}  // namespace vardex::host
