// Spreadsheet number formats: renders a value as a cell shows it under a format code, and the
// TEXT worksheet function. Format codes are accepted in every spelling the common spreadsheet
// programs write (literals bare, quoted or backslash-escaped).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vardex::host {

struct FormatOptions {
  bool date1904 = false;  ///< the workbook counts dates from 1904-01-01
};

/// The displayed text of a number in a cell under `code` (General when empty). Rounding of
/// halves goes away from zero, on the value as shown to 15 significant digits.
std::string FormatNumber(double value, std::string_view code, const FormatOptions& options = {});

/// The displayed text of a text cell under `code` (its text section or "@"; else unchanged).
std::string FormatTextValue(std::string_view text, std::string_view code);

/// TEXT(value, code) as the worksheet function computes it.
std::string WorksheetText(double value, std::string_view code, const FormatOptions& options = {});

/// The code of a built-in number format id (0 = "General", 14 = a short date, ...); empty for
/// ids without a built-in code.
std::string_view BuiltinNumberFormat(uint32_t id) noexcept;

}  // namespace vardex::host
