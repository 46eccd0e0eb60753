// Decimal digit strings for the number-format renderer: a double reduced to the 15 significant
// digits a spreadsheet keeps, and rounding of those digits with halves away from zero.
#pragma once

#include <string>

namespace vardex::host::detail {

/// A non-negative decimal number: value = 0.digits × 10^point. `digits` has no leading or
/// trailing zeros; it is empty for zero (and `point` is then 0).
struct DecimalDigits {
  std::string digits;
  int point = 0;

  bool IsZero() const noexcept { return digits.empty(); }
};

/// The 15 significant digits of `magnitude` (finite, >= 0), correctly rounded from the binary
/// value. This is the value "as shown": every later rounding starts from it.
DecimalDigits ToDecimal15(double magnitude);

/// Rounds to `decimals` places after the point (may be negative: tens, hundreds...), halves away
/// from zero. A carry may add a digit in front (9.995 -> 10.00).
void RoundToDecimals(DecimalDigits& number, int decimals);

/// Rounds to `significant` digits (>= 1), halves away from zero.
void RoundToSignificant(DecimalDigits& number, int significant);

/// The digits before the point, without leading zeros: "" when the integer part is zero.
std::string IntegerDigits(const DecimalDigits& number);

/// Exactly `count` digits after the point (zero-padded, not rounded).
std::string FractionDigits(const DecimalDigits& number, int count);

}  // namespace vardex::host::detail
