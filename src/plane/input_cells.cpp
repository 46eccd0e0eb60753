// Cell reading and message locations of the plane records.
#include "plane/input_cells.hpp"

#include <utility>
#include <variant>

#include "host/engine_text.hpp"
#include "host/path_text.hpp"
#include "numeric/number_text.hpp"
#include "plane/plane_texts.hpp"

namespace vardex::detail {
namespace {

std::string FilePart(const host::Workbook& book) {
  const auto& path = book.Path();
  if (path.empty()) return {};
  std::string text = host::PathText(path.filename());
  text += plane_text::kFileSeparator;
  return text;
}

std::string Quoted(std::string_view text) {
  std::string out(plane_text::kQuoteOpen);
  out += host::text::Clip(text);  // a cell may hold a megabyte of text
  out += plane_text::kQuoteClose;
  return out;
}

}  // namespace

const host::Worksheet* FindSheet(const host::Workbook& book, std::string_view name) noexcept {
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    if (book.SheetAt(i).Name() == name) return &book.SheetAt(i);
  }
  return nullptr;
}

host::Worksheet* FindSheet(host::Workbook& book, std::string_view name) noexcept {
  return book.FindSheet(name);
}

host::HostError MissingSheetError(const host::Workbook& book, std::string_view sheet) {
  std::string message = FilePart(book);
  message += plane_text::kSheetMissing;
  message += sheet;
  message += plane_text::kSheetMissingEnd;
  return host::HostError(host::kErrSubscript, message);
}

std::string SheetLocation(const host::Workbook& book, std::string_view sheet) {
  std::string out = FilePart(book);
  out += plane_text::kSheetOpen;
  out += sheet;
  out += plane_text::kSheetClose;
  return out;
}

std::string CellLocation(const host::Worksheet& sheet, host::CellRef cell) {
  std::string out = SheetLocation(sheet.Book(), sheet.Name());
  out += plane_text::kCellLead;
  out += host::FormatCellRef(cell);
  return out;
}

std::string DescribeValue(const host::CellValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return std::string(plane_text::kEmptyCell);
  if (const auto* number = std::get_if<double>(&value)) return Quoted(GeneralNumberText(*number));
  if (const auto* text = std::get_if<std::string>(&value)) return Quoted(*text);
  if (const auto* flag = std::get_if<bool>(&value)) {
    return std::string(plane_text::kBooleanValue) + Quoted(*flag ? "TRUE" : "FALSE");
  }
  return std::string(plane_text::kErrorValue) + Quoted(std::get<host::ErrorValue>(value).code);
}

CellConversionError::CellConversionError(const host::Worksheet& sheet, host::CellRef cell,
                                         std::string what)
    : host::HostError(host::kErrTypeMismatch, CellLocation(sheet, cell) +
                                                  std::string(plane_text::kWhatSeparator) + what +
                                                  std::string(plane_text::kNotWritten)),
      sheet_name_(sheet.Name()),
      cell_(cell),
      what_(std::move(what)) {}

std::optional<double> NumberOf(const host::CellValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return 0.0;
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* text = std::get_if<std::string>(&value)) return ParseNumericText(*text);
  return std::nullopt;
}

// The cell's value; a formula that was never calculated has none, which must not read as empty
// (and so as 0).
host::CellValue Calculated(const host::Worksheet& sheet, host::CellRef cell) {
  if (sheet.HasUncalculatedFormula(cell))
    throw CellConversionError(sheet, cell, std::string(host::text::kUncalculatedFormula));
  return sheet.Value(cell);
}

double ReadNumber(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = Calculated(sheet, cell);
  if (const auto number = NumberOf(value)) return *number;
  throw CellConversionError(sheet, cell,
                            std::string(plane_text::kNotANumber) + DescribeValue(value));
}

std::string ReadValueText(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = Calculated(sheet, cell);
  if (std::holds_alternative<std::monostate>(value)) return {};
  if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
  throw CellConversionError(sheet, cell, std::string(plane_text::kNotAText) + DescribeValue(value));
}

}  // namespace vardex::detail
