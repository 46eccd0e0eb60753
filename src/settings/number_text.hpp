// Numbers as the user types and reads them in the settings and offset columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vardex {

/// Reads a numeric text: surrounding blanks, optional sign, digits with an optional decimal
/// point, optional exponent. Empty for the empty text, a lone sign, words, NaN, infinities and
/// anything else.
std::optional<double> ParseNumericText(std::string_view text) noexcept;

/// Plain decimal text with at most 15 significant digits and no trailing zeros
/// (512.125 -> "512.125", 500 -> "500", 0.2 -> "0.2", -3 -> "-3").
std::string GeneralNumberText(double value);

}  // namespace vardex
