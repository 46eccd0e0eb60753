// The decimal digits of a double as the user reads it: rounded to 15 significant digits, the
// most a double shows without binary noise. Shared by the number texts and the rounding rules,
// so that 8.485 is treated as the 8.485 it was typed as, not as 8.48499999999999943...
#pragma once

#include <string>

namespace vardex::detail {

/// value = (negative ? -1 : 1) * 0.d1d2d3... * 10^(exponent + 1): `digits` holds the significant
/// digits ('0'..'9'), the first one nonzero, trailing zeros removed; d1 stands at 10^exponent.
/// Zero has empty `digits`.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

/// The finite `value` rounded (ties to even on its exact binary value) to `significant`
/// significant digits, 1 to 17. Non-finite values are not allowed.
DecimalDigits ToDecimalDigits(double value, int significant = 15);

/// The double nearest to the decimal number; ±0 for empty digits.
double FromDecimalDigits(const DecimalDigits& number);

/// How to settle the digit just beyond the last one kept.
enum class TieRule { kHalfAwayFromZero, kHalfToEven };

/// Rounds `number` in place to `decimals` places after the decimal point (negative: to tens,
/// hundreds, ...), judging ties on the decimal digits alone. A result of zero keeps the sign.
void RoundDecimalDigits(DecimalDigits& number, int decimals, TieRule rule);

/// Plain positional text of the magnitude with exactly `decimals` places ("0" before the point
/// when the magnitude is below one), without a sign; the point is left out when `decimals` <= 0.
std::string FixedMagnitudeText(const DecimalDigits& number, int decimals);

}  // namespace vardex::detail
