// The rounding rules and number texts shared by the record generators.
#include <algorithm>
#include <cmath>

#include "numeric/decimal_digits.hpp"
#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"

namespace vardex {

double RoundHalfEven(double value) noexcept {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;  // exact: both lie within one binade of each other
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

double RoundHalfEven(double value, int decimals) noexcept {
  if (!std::isfinite(value)) return value;
  try {
    detail::DecimalDigits number = detail::ToDecimalDigits(value, 15);
    detail::RoundDecimalDigits(number, decimals, detail::TieRule::kHalfToEven);
    return detail::FromDecimalDigits(number);
  } catch (...) {  // only lack of memory for a 15-digit string; nearest effort instead
    const double scale = std::pow(10.0, decimals);
    return RoundHalfEven(value * scale) / scale;
  }
}

std::string DecimalPatternText(double value, int decimals) {
  if (!std::isfinite(value)) return GeneralNumberText(value);
  decimals = std::max(decimals, 0);
  detail::DecimalDigits number = detail::ToDecimalDigits(value, 15);
  detail::RoundDecimalDigits(number, decimals, detail::TieRule::kHalfAwayFromZero);
  const std::string magnitude = detail::FixedMagnitudeText(number, decimals);
  // Trailing zeros go, the point stays: "12.500" -> "12.5", "12.000" -> "12.".
  const std::string text =
      decimals > 0 ? magnitude.substr(0, magnitude.find_last_not_of('0') + 1) : magnitude;
  return number.negative && !number.digits.empty() ? "-" + text : text;
}

std::string DecimalText(double value, int decimals) {
  if (std::isfinite(value) && value == std::trunc(value)) return GeneralNumberText(value);
  return DecimalPatternText(value, decimals);
}

std::string RemoveSpaces(std::string_view text) {
  std::string result(text);
  std::erase(result, ' ');
  return result;
}

std::string OffsetSideText(std::string_view text) {
  try {
    if (text.empty()) return "";
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    const std::string_view trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (!IsNumericText(trimmed)) return std::string(trimmed);  // a remark passes through
    const auto offset = ParseNumericText(trimmed);
    if (!offset) return "-1";
    if (*offset < 0) return "左" + DecimalPatternText(-*offset, 3) + "米";
    if (*offset > 0) return "右" + DecimalPatternText(*offset, 3) + "米";
    return "中";
  } catch (...) {
    return "-1";
  }
}

}  // namespace vardex
