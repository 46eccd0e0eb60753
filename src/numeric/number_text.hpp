// Numbers as the user types and reads them in the settings and offset columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vardex {

// The grammar, the same on every machine:
//
//   blanks* [+|-] (digits [. digits*] | . digits) [(e|E) [+|-] digits] blanks*
//
// where blanks are spaces and tabs. The decimal separator is the point only, whatever the user's
// locale: a comma is neither a decimal separator nor digit grouping, so "0,6" and "1,000" are
// refused as not numeric rather than silently read as 0.6, 1 or 1000. A settings box and a cell of
// the offset column thus mean the same number on every machine, and the numbers written back by
// GeneralNumberText read again unchanged. No sign between blanks and digits ("- 3"), no
// hexadecimal, currency or percent forms, no "inf" or "nan".

/// Whether the text has the form of a number (see the grammar above). Says nothing about range:
/// "1e999" has the form but no double value.
bool IsNumericText(std::string_view text) noexcept;

/// Reads a numeric text: surrounding blanks, optional sign, digits with an optional decimal
/// point, optional exponent. Empty for the empty text, a lone sign, words, NaN, infinities and
/// anything else, and for a text of numeric form beyond the range of a double (overflow);
/// a value below the smallest double reads as zero of its sign. The result is the double nearest
/// to the decimal value ("-0" gives -0.0).
std::optional<double> ParseNumericText(std::string_view text) noexcept;

/// Plain decimal text with at most 15 significant digits and no trailing zeros
/// (512.125 -> "512.125", 500 -> "500", 0.2 -> "0.2", -3 -> "-3").
///
/// No digit grouping; the separator is the point; zero of either sign gives "0". Magnitudes that
/// plain text would spell with more than 15 digits, 1e15 and above or nonzero below 1e-15 (after
/// rounding to 15 digits), take the exponent form of the spreadsheet host: "1E+15", "1.5E-20".
/// Non-finite values give "NaN", "INF" and "-INF". Read back by ParseNumericText, the text gives
/// the value rounded to 15 significant digits.
std::string GeneralNumberText(double value);

}  // namespace vardex
