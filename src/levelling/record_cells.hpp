// How the levelling checks read and describe cells of "水准表". Internal to src/levelling:
// shared by the check of generated records and that of records made from field data.
#pragma once

#include <cmath>
#include <string>

#include "host/workbook.hpp"
#include "numeric/number_text.hpp"

namespace vardex::detail {

/// Empty, or the empty text.
inline bool IsBlank(const host::CellValue& value) {
  if (host::IsEmpty(value)) return true;
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr && text->empty();
}

/// A value for a message: “abc”, 12.5, TRUE, 错误值“#N/A”, 空.
inline std::string ValueText(const host::CellValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return "“" + *text + "”";
  if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
  if (const auto* error = std::get_if<host::ErrorValue>(&value))
    return "错误值“" + error->code + "”";
  return "空";
}

inline std::string Num(double value) { return GeneralNumberText(value); }

/// Elevations and readings agree when they differ by less than a micrometre; the generator's own
/// arithmetic leaves differences of a few units in the last place.
inline bool Near(double a, double b) {
  return std::fabs(a - b) <= 1e-6 + 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

}  // namespace vardex::detail
