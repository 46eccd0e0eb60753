// Spreadsheet number formats: renders a value as a cell shows it under a format code, and the
// TEXT worksheet function. Format codes are accepted in every spelling the common spreadsheet
// programs write (literals bare, quoted or backslash-escaped).
//
// Rules of the renderer, where spreadsheet programs differ or say nothing:
//  1. Rounding starts from the value as shown: the double is first reduced to 15 significant
//     digits, then rounded to the shown places with halves away from zero, also for negatives
//     (1.005 under "0.00" gives "1.01", -2.5 under "0" gives "-3", 2.4999999999999996 gives "3").
//     Digits beyond the 15th show as zeros ("0" with 1e15/3*10 gives "3333333333333330").
//  2. A decimal point stays when no decimals remain: "0.###" shows 5 as "5." and 0 as "0.";
//     "#.###" shows 0 as ".".
//  3. A minus sign is written only when the shown number is not zero: -0.4 under "#,##0" is "0",
//     -0.001 under "#,##0.00" is "0.00". Sections chosen for negatives write their own sign.
//  4. General is the 11-character General of a standard-width cell: up to eleven characters of
//     digits and point (the sign not counted); otherwise scientific with six significant digits
//     and a two-digit exponent at least (1/3 gives "0.333333333", 123456789012 "1.23457E+11",
//     1.234567e-5 "1.23457E-05"); a small number stays fixed when that shows as many
//     significant digits as the scientific form (0.000123457).
//  5. Sections: one for all numbers; two for >= 0 and < 0; three for > 0, < 0 and zero; a fourth
//     (or a last section with "@") for text. With conditions, the first section whose condition
//     holds is used and a section without a condition takes the rest. A section whose condition
//     admits only negative numbers ([<0], [<=-25]) shows the magnitude, like the implicit
//     negative section; any other section shows the sign. When no section applies, General.
//  6. Times are rounded to the shown fraction of a second (whole seconds by default) and carry
//     into minutes, hours and the date: 23:59:59.6 under "hh:mm:ss" is "00:00:00", 59.995
//     seconds under "ss.00" carry to the next minute, 359.999999999° under "[h]°mm′ss.00″"
//     is "360°00′00.00″". Formats without a time part show the serial's whole day.
//  7. Elapsed time ([h], [m], [s]) shows negative values with a minus sign; clock and date
//     formats cannot show a negative serial or one after 9999-12-31: a cell then shows
//     "########" and TEXT throws. In the 1900 date system serial 0 is 1900-01-00 and serial 60
//     the non-existent 1900-02-29, so that serials 1 to 59 keep their traditional dates.
//  8. m and mm are minutes right after an hour or right before a second, else months.
//     An elapsed unit after a smaller clock unit ("hh[m]") makes the code unreadable.
//  9. Fractions: the denominator is the last continued-fraction convergent within the
//     placeholder digits ("# ?/?" shows 12.3 as "12 1/3"), or the fixed one ("# ?/16"); a zero
//     fraction turns into spaces of the same width ("1    ").
// 10. "_x" is a space, "*x" (fill) is left out, "[$€-407]" is the text "€", a locale alone
//     ("[$-409]") shows nothing, "[$-F800]" and "[$-F400]" are the system long date
//     "dddd, mmmm d, yyyy" and long time "hh:mm:ss". Month and day names are English.
// 11. An unreadable code (unbalanced quote or bracket, a bad condition, five sections) shows
//     numbers as General and texts unchanged; TEXT throws for it.
// 12. TEXT gives the same text as a cell, General included: the width of a cell is not known
//     here, so neither function widens General beyond eleven characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vardex::host {

struct FormatOptions {
  bool date1904 = false;  ///< the workbook counts dates from 1904-01-01
};

/// The displayed text of a number in a cell under `code` (General when empty). Rounding of
/// halves goes away from zero, on the value as shown to 15 significant digits. Never throws:
/// an unreadable code shows General, a date out of range "########", a non-finite value
/// "#NUM!". Compiled codes are cached; safe to call from several threads.
std::string FormatNumber(double value, std::string_view code, const FormatOptions& options = {});

/// The displayed text of a text cell under `code` (its text section or "@"; else unchanged).
std::string FormatTextValue(std::string_view text, std::string_view code);

/// TEXT(value, code) as the worksheet function computes it. Throws HostError (kErrCannotOpen)
/// for an unreadable code, a non-finite value, or a value a date format cannot show.
std::string WorksheetText(double value, std::string_view code, const FormatOptions& options = {});

/// The colour (0xRRGGBB) the section of `code` that shows `value` asks for ("[Red]",
/// "[Color10]"), or nothing when it names none. The view paints the cell text with it.
std::optional<std::uint32_t> NumberFormatColor(double value, std::string_view code);

/// The code of a built-in number format id (0 = "General", 14 = a short date, ...); empty for
/// ids without a built-in code.
std::string_view BuiltinNumberFormat(uint32_t id) noexcept;

}  // namespace vardex::host
