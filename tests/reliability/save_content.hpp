// The two workbooks of the kill test: every cell of a variant differs from the other variant,
// and A1 names the variant, so that a file on disk shows which save it came from and whether it
// is complete.
#pragma once

#include <cstdint>
#include <string>

#include "host/workbook.hpp"

namespace vardex::reliability {

inline constexpr int32_t kContentRows = 20000;
inline constexpr int32_t kContentColumns = 10;  // 200 000 cells

/// The value of a cell of `variant` ('A' or 'B'): column 1 texts, other columns numbers.
inline std::string ContentText(char variant, int32_t row) {
  return std::string(1, variant) + "-" + std::to_string(row);
}
inline double ContentNumber(char variant, int32_t row, int32_t column) {
  return (variant == 'A' ? 1.0 : -1.0) * (row * 16.0 + column) + 0.25;
}

inline host::Workbook BuildContent(char variant) {
  host::Workbook book;
  host::Worksheet& sheet = book.SheetAt(0);
  for (int32_t r = 1; r <= kContentRows; ++r) {
    sheet.SetText({r, 1}, ContentText(variant, r));
    for (int32_t c = 2; c <= kContentColumns; ++c)
      sheet.SetValue({r, c}, ContentNumber(variant, r, c));
  }
  return book;
}

}  // namespace vardex::reliability
