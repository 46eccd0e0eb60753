// Project workbooks built in memory for the plane tests: the four sheets of a project and a
// plane block typed into "数据输入".
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "host/workbook.hpp"

namespace vardex::plane_test {

inline const std::string kInput = "数据输入";
inline const std::string kStakeOut = "放线记录表";
inline const std::string kInspection = "平面位置检测表";

/// What a test types into a cell: nothing, a number, or a text kept as text.
using Typed = std::variant<std::monostate, double, std::string>;

inline void Put(host::Worksheet& sheet, host::CellRef cell, const Typed& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    sheet.SetValue(cell, *number);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    sheet.SetText(cell, *text);
  }
}

/// A workbook with the project's sheets (after the default "Sheet1").
inline host::Workbook MakeProjectBook(bool with_stake_out = true, bool with_inspection = true) {
  host::Workbook book;
  book.AddSheet(kInput);
  book.AddSheet("水准表");
  if (with_stake_out) book.AddSheet(kStakeOut);
  if (with_inspection) book.AddSheet(kInspection);
  return book;
}

struct InputPoint {
  Typed name;
  Typed offset;
  Typed x;
  Typed y;
};

/// Types station (A6, B4:B6), back-sight (C6, D4:D6) and points from row 8 into "数据输入".
inline void TypeInput(host::Workbook& book, const Typed& station_name, double sx, double sy,
                      double sh, const Typed& back_name, double bx, double by, double bh,
                      const std::vector<InputPoint>& points) {
  host::Worksheet& input = book.Sheet(kInput);
  Put(input, {6, 1}, station_name);
  input.SetValue({4, 2}, sx);
  input.SetValue({5, 2}, sy);
  input.SetValue({6, 2}, sh);
  Put(input, {6, 3}, back_name);
  input.SetValue({4, 4}, bx);
  input.SetValue({5, 4}, by);
  input.SetValue({6, 4}, bh);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int32_t row = 8 + static_cast<int32_t>(i);
    Put(input, {row, 1}, points[i].name);
    Put(input, {row, 2}, points[i].offset);
    Put(input, {row, 3}, points[i].x);
    Put(input, {row, 4}, points[i].y);
  }
}

/// The cell's value as a number, or NaN when it holds none (fails any equality test).
inline double NumberAt(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = sheet.Value(cell);
  if (const auto* number = std::get_if<double>(&value)) return *number;
  return std::numeric_limits<double>::quiet_NaN();
}

inline std::string TextAt(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = sheet.Value(cell);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return "<not a text>";
}

}  // namespace vardex::plane_test
