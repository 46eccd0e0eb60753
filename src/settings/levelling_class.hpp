// The class of a line of levelling and the allowable misclosure that follows from it, after the
// national standard for engineering survey: ±k√L millimetres by the line's length L in kilometres
// (flat ground) or ±k√n by its number of set-ups n (hilly ground).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vardex {

enum class LevellingClass { Third, Fourth, Mapping, Ordinary };
enum class ClosureBasis { Setups, Length };

/// "三等", "四等", "图根" (mapping control), "等外" (below the classes).
std::string_view LevellingClassName(LevellingClass levelling_class);
/// The class of that name, or nothing.
std::optional<LevellingClass> ParseLevellingClass(std::string_view name);
/// "n" (set-ups) or "L" (length in km), the letter under the root.
std::string_view ClosureBasisName(ClosureBasis basis);
/// The basis of that letter ("n" or "L", either case), or nothing.
std::optional<ClosureBasis> ParseClosureBasis(std::string_view name);

/// The coefficient k of ±k√n or ±k√L in millimetres: 三等 4 and 12, 四等 6 and 20, 图根 and 等外
/// 12 and 40.
double ClosureCoefficient(LevellingClass levelling_class, ClosureBasis basis);

/// The allowable misclosure in millimetres, k√n for `setups` or k√L for `length_km`.
double AllowableClosureMm(LevellingClass levelling_class, ClosureBasis basis, int32_t setups,
                          double length_km);

/// The text of the record's allowable closing error: "±6√n=±8", "±20√L=±14": the coefficient,
/// the root, and the allowable value in whole millimetres (halves away from zero).
std::string AllowableClosureText(LevellingClass levelling_class, ClosureBasis basis, int32_t setups,
                                 double length_km);

}  // namespace vardex
