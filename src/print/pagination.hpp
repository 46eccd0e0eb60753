// How a sheet falls into pages: the scale (fixed, or the largest whole percent up to 100 that
// fits the pages asked for), the printed ranges and, for each, the bands of rows and columns
// that make its pages, with manual breaks and repeated titles taken into account. A plan holds
// sizes only, no cell, so planning a long record costs one pass over its row heights.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "host/cell_ref.hpp"
#include "print/print_settings.hpp"

namespace vardex::host {
class Worksheet;
}

namespace vardex::print {

struct AreaPages {
  host::RangeRef range;
  std::vector<Span> row_bands;
  std::vector<Span> column_bands;
};

/// One page of a plan: which printed range, and which of its rows and columns.
struct PagePlace {
  std::size_t area = 0;
  Span rows;
  Span columns;
  bool title_rows = false;     ///< the title rows are repeated above the rows
  bool title_columns = false;  ///< the title columns are repeated left of the columns
};

struct SheetPlan {
  const host::Worksheet* sheet = nullptr;
  PrintSettings settings;
  double zoom = 1;  ///< the scale as a fraction
  double unit = 7;  ///< points per unit of column width (the default font's widest digit)
  std::vector<AreaPages> areas;

  std::size_t PageCount() const noexcept;
  /// The page at `index` (0-based), in the setup's page order.
  PagePlace Page(std::size_t index) const;

  double ColumnWidth(int32_t column) const;  ///< points, unscaled
  double RowHeight(int32_t row) const;       ///< points, unscaled
  /// Size of the row and column headings when they are printed (else 0), unscaled.
  double HeadingWidth() const;
  double HeadingHeight() const;
};

/// The cells a sheet prints without a print area: from A1 to the last cell that has a value or
/// a visible format (fill or border), where formats below a column's last value count only
/// until a run of 84 rows of one format (a column formatted to the sheet's end, a template's
/// empty ruled rows). Nothing for a sheet without any.
std::optional<host::RangeRef> PrintedRange(const host::Worksheet& sheet);

/// Plans the pages of `sheet` under `settings`; `unit` is the width in points of one unit of
/// column width.
SheetPlan PlanSheet(const host::Worksheet& sheet, const PrintSettings& settings, double unit);

}  // namespace vardex::print
