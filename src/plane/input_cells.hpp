// How the plane records read cells: as a number, as the value's text, and the location and
// value descriptions that every message of the plane records uses. Internal to src/plane.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host_error.hpp"
#include "host/workbook.hpp"

namespace vardex::detail {

/// "<file>：工作表“<sheet>”单元格 <cell>" (without the file part for an untitled workbook).
std::string CellLocation(const host::Worksheet& sheet, host::CellRef cell);
/// "<file>：工作表“<sheet>”" (without the file part for an untitled workbook).
std::string SheetLocation(const host::Workbook& book, std::string_view sheet);

/// The sheet of that exact name, or null.
const host::Worksheet* FindSheet(const host::Workbook& book, std::string_view name) noexcept;
host::Worksheet* FindSheet(host::Workbook& book, std::string_view name) noexcept;
/// HostError 9: "<file>：找不到工作表“<sheet>”，平面记录表未写入".
host::HostError MissingSheetError(const host::Workbook& book, std::string_view sheet);

/// A cell value for a message: “abc”, “12.5”, （空）, 逻辑值“TRUE”, 错误值“#N/A”.
std::string DescribeValue(const host::CellValue& value);

/// A failed conversion of one cell: HostError 13 whose description names file, sheet and cell,
/// and which keeps the sheet name and cell for callers that report findings.
class CellConversionError : public host::HostError {
 public:
  CellConversionError(const host::Worksheet& sheet, host::CellRef cell, std::string what);
  const std::string& SheetName() const noexcept { return sheet_name_; }
  host::CellRef Cell() const noexcept { return cell_; }
  /// The problem alone, without the location.
  const std::string& What() const noexcept { return what_; }

 private:
  std::string sheet_name_;
  host::CellRef cell_;
  std::string what_;
};

/// A value as a number: empty -> 0, a number, or a text that reads as a number. Empty for
/// anything else (other texts, booleans, error values).
std::optional<double> NumberOf(const host::CellValue& value);

/// The cell read as a number (see NumberOf). Throws CellConversionError otherwise.
double ReadNumber(const host::Worksheet& sheet, host::CellRef cell);

/// The value's text form: "" when empty, a number's general text, a text as it stands, TRUE or
/// FALSE. Throws CellConversionError for an error value, which has no text form.
std::string ReadValueText(const host::Worksheet& sheet, host::CellRef cell);

}  // namespace vardex::detail
