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
  /// reversed bounds, count <= 0 as RandomInt computes it.
  virtual int32_t Next(int32_t lo, int32_t count) = 0;
};

/// Re-seeds from the system clock before every draw, mixed with the generator's state.
std::unique_ptr<RandomSource> MakeClockRandomSource();
/// Deterministic: the same seed gives the same sequence of draws.
std::unique_ptr<RandomSource> MakeSeededRandomSource(uint64_t seed);
/// Returns the given values in order (tests reproduce worked examples with it). Throws
/// host::HostError when exhausted.
std::unique_ptr<RandomSource> MakeScriptedRandomSource(std::vector<int32_t> values);

/// A uniform whole number from lo to hi inclusive: floor(r * (hi - lo + 1) + lo). Throws
/// host::HostError(kErrOverflow) when hi - lo + 1 does not fit into 32 bits.
int32_t RandomInt(int32_t lo, int32_t hi, RandomSource& source);

/// Nearest whole number, ties to even (bounds of random draws): 2.5 -> 2, 3.5 -> 4.
double RoundHalfEven(double value) noexcept;
/// Rounds to `decimals` places, ties to even on the decimal value (input cells: 3 places).
double RoundHalfEven(double value, int decimals) noexcept;

/// "左3.2米", "右5.米", "中", a remark unchanged (trimmed), "" for blank, "-1" on failure.
std::string OffsetSideText(std::string_view text);
/// Removes every U+0020; other white space stays.
std::string RemoveSpaces(std::string_view text);
/// Whole numbers plainly; else "0.###..." with `decimals` places (point always written) or "0".
/// Halves away from zero.
std::string DecimalText(double value, int decimals);

}  // namespace vardex
