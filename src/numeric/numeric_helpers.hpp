// Helpers shared by the levelling and plane generators: the random whole-number draw behind
// every simulated reading, side texts, space removal, decimal texts and the two rounding rules.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vardex {

/// Where RandomInt's draws come from. Replaceable so that runs can be reproduced.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  /// A whole number floor(r * count + lo) for a uniform r in [0, 1); count >= 1 or, for
  /// reversed bounds, count <= 0 as RandomInt computes it. The result lies in [lo, lo + count - 1]
  /// for count >= 1 and in [lo + count, lo] (that is [hi + 1, lo]) for count <= 0, lo itself only
  /// for r = 0 (always lo for count 0).
  virtual int32_t Next(int32_t lo, int32_t count) = 0;
};

/// Re-seeds from the system clock before every draw, mixed with the generator's state.
std::unique_ptr<RandomSource> MakeClockRandomSource();
/// Deterministic: the same seed gives the same sequence of draws.
std::unique_ptr<RandomSource> MakeSeededRandomSource(uint64_t seed);
/// Returns the given values in order (tests reproduce worked examples with it). Throws
/// host::HostError(kErrSubscript), naming the draw (0-based), when exhausted or when a value lies
/// outside the range of its draw, so that a script that no longer matches the code fails loudly.
std::unique_ptr<RandomSource> MakeScriptedRandomSource(std::vector<int32_t> values);

/// A uniform whole number from lo to hi inclusive: floor(r * (hi - lo + 1) + lo). Throws
/// host::HostError(kErrOverflow) when hi - lo or hi - lo + 1 does not fit into 32 bits. Bounds are
/// not checked: for hi < lo the formula gives a number from hi + 1 to lo (lo when hi = lo - 1).
/// Errors of the source (a scripted source out of values) pass through.
int32_t RandomInt(int32_t lo, int32_t hi, RandomSource& source);

/// Nearest whole number, ties to even (bounds of random draws): 2.5 -> 2, 3.5 -> 4.
double RoundHalfEven(double value) noexcept;
/// Rounds to `decimals` places, ties to even on the decimal value (input cells: 3 places). The
/// decimal value is the double read to 15 significant digits, so 1.2345 (stored as
/// 1.23449999...) is a tie and gives 1.234, and 1.2355 gives 1.236. Non-finite values come back
/// unchanged.
double RoundHalfEven(double value, int decimals) noexcept;

/// "左3.2米", "右5.米", "中", a remark unchanged (trimmed), "" for blank, "-1" on failure.
///
/// The text is trimmed of spaces; if it then has the form of a number (IsNumericText), the offset
/// in metres becomes "左" (left, negative) or "右" (right, positive), the magnitude as
/// DecimalPatternText(|x|, 3), and "米"; zero of either sign is "中". A text of numeric form
/// without a double value ("1e999") gives "-1". Never throws.
std::string OffsetSideText(std::string_view text);
/// Removes every U+0020; other white space stays.
std::string RemoveSpaces(std::string_view text);
/// Whole numbers plainly; else "0.###..." with `decimals` places (point always written) or "0".
/// Halves away from zero.
///
/// A whole number gives GeneralNumberText (12 -> "12", -3 -> "-3", -0 -> "0"). Any other value
/// gives DecimalPatternText(value, decimals); `decimals` below 0 counts as 0. Never throws
/// except for lack of memory.
std::string DecimalText(double value, int decimals);

/// The spreadsheet pattern "0." followed by `decimals` times "#", or "0" for `decimals` <= 0:
/// at least one digit before the point, at most `decimals` after it, trailing zeros dropped, the
/// point always written when `decimals` >= 1 (5 with 3 -> "5.", 12.0004 with 3 -> "12.",
/// 99.9999 with 3 -> "100.", 8.485 with 0 -> "8").
///
/// Rounding is to the nearest, halves away from zero, judged on the decimal value: the double is
/// first read to 15 significant digits, so binary noise cannot turn a typed 1.0005 into 1.000
/// or push 8.485 over a half. A result that rounds to zero carries no minus sign ("0.", "0").
/// Non-finite values give the texts of GeneralNumberText.
std::string DecimalPatternText(double value, int decimals);

}  // namespace vardex
