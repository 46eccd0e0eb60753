// How the levelling checks read and describe cells of "水准表". Internal to src/levelling:
// shared by the check of generated records and that of records made from field data.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/engine_text.hpp"
#include "host/workbook.hpp"
#include "levelling/levelling_texts.hpp"
#include "numeric/number_text.hpp"
#include "numeric/record_check.hpp"

namespace vardex::detail {

/// Empty, or the empty text.
inline bool IsBlank(const host::CellValue& value) {
  if (host::IsEmpty(value)) return true;
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr && text->empty();
}

/// A value for a message: “abc” (a long text clipped), 12.5, TRUE, 错误值“#N/A”, 空.
inline std::string ValueText(const host::CellValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return host::text::Quoted(*text);
  if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
  if (const auto* error = std::get_if<host::ErrorValue>(&value))
    return "错误值" + host::text::Quoted(error->code);
  return "空";
}

inline std::string Num(double value) { return GeneralNumberText(value); }

/// Elevations and readings agree when they differ by less than a micrometre; the generator's own
/// arithmetic leaves differences of a few units in the last place.
inline bool Near(double a, double b) {
  return std::fabs(a - b) <= 1e-6 + 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

/// What both checks do with the cells of "水准表": read them, and note a finding at a cell.
class RecordCellCheck {
 protected:
  explicit RecordCellCheck(const host::Worksheet& sheet) : sheet_(sheet) {}

  void Report(int32_t row, int32_t column, std::string message) {
    findings_.push_back(CheckFinding{std::string(levelling_texts::kRecordSheet),
                                     host::CellRef{row, column}, std::move(message)});
  }

  host::CellValue At(int32_t row, int32_t column) const { return sheet_.Value({row, column}); }

  std::optional<double> Number(int32_t row, int32_t column, std::string_view what) {
    const host::CellValue value = At(row, column);
    if (const auto* number = std::get_if<double>(&value)) return *number;
    Report(row, column, "应为数字（" + std::string(what) + "），实为" + ValueText(value));
    return std::nullopt;
  }

  void ExpectEmpty(int32_t row, std::initializer_list<int32_t> columns) {
    for (const int32_t column : columns) {
      const host::CellValue value = At(row, column);
      if (!IsBlank(value)) Report(row, column, "应为空，实为" + ValueText(value));
    }
  }

  const host::Worksheet& sheet_;
  std::vector<CheckFinding> findings_;
};

}  // namespace vardex::detail
