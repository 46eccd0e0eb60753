// A1 references and ranges within the bounds of the .xlsx format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vardex::host {

inline constexpr int32_t kMaxRows = 1048576;   ///< last row of an .xlsx sheet (1-based)
inline constexpr int32_t kMaxColumns = 16384;  ///< last column, XFD (1-based)

/// One cell: 1-based row and column.
struct CellRef {
  int32_t row = 1;
  int32_t column = 1;
  friend bool operator==(const CellRef&, const CellRef&) = default;
};

/// A rectangle of cells, first is the top-left and last the bottom-right corner (inclusive).
struct RangeRef {
  CellRef first;
  CellRef last;
  friend bool operator==(const RangeRef&, const RangeRef&) = default;
  bool Contains(CellRef c) const noexcept {
    return c.row >= first.row && c.row <= last.row && c.column >= first.column &&
           c.column <= last.column;
  }
  int64_t RowCount() const noexcept { return int64_t{last.row} - first.row + 1; }
  int64_t ColumnCount() const noexcept { return int64_t{last.column} - first.column + 1; }
};

/// Parses "A1", "xfd1048576", "$B$7" (case-insensitive, optional $). Empty on anything else,
/// including references outside the sheet bounds.
std::optional<CellRef> ParseCellRef(std::string_view text) noexcept;

/// Parses "A5", "A5:I65536", "B2:A1" (corners normalised), whole columns "A:C" and whole rows
/// "1:3". Empty on anything else.
std::optional<RangeRef> ParseRangeRef(std::string_view text) noexcept;

/// Column letters of a 1-based column: 1 -> "A", 27 -> "AA", 16384 -> "XFD".
std::string ColumnName(int32_t column);

/// "B7" for row 7, column 2.
std::string FormatCellRef(CellRef ref);

/// "A5:I65536"; a single cell gives "A5".
std::string FormatRangeRef(const RangeRef& range);

}  // namespace vardex::host
