// Names and coefficients of the levelling classes.
#include "settings/levelling_class.hpp"

#include <array>
#include <cmath>

#include "numeric/numeric_helpers.hpp"

namespace vardex {
namespace {

struct ClassRow {
  LevellingClass value;
  std::string_view name;
  double per_setup;  // k of ±k√n, hilly ground
  double per_km;     // k of ±k√L, flat ground
};

// Misclosure of a line between known points, in millimetres.
constexpr std::array<ClassRow, 4> kClasses{{
    {LevellingClass::Third, "三等", 4, 12},
    {LevellingClass::Fourth, "四等", 6, 20},
    {LevellingClass::Mapping, "图根", 12, 40},
    {LevellingClass::Ordinary, "等外", 12, 40},
}};

const ClassRow& Row(LevellingClass levelling_class) {
  for (const ClassRow& row : kClasses) {
    if (row.value == levelling_class) return row;
  }
  return kClasses[1];
}

}  // namespace

std::string_view LevellingClassName(LevellingClass levelling_class) {
  return Row(levelling_class).name;
}

std::optional<LevellingClass> ParseLevellingClass(std::string_view name) {
  for (const ClassRow& row : kClasses) {
    if (row.name == name) return row.value;
  }
  return std::nullopt;
}

std::string_view ClosureBasisName(ClosureBasis basis) {
  return basis == ClosureBasis::Setups ? "n" : "L";
}

std::optional<ClosureBasis> ParseClosureBasis(std::string_view name) {
  if (name == "n" || name == "N") return ClosureBasis::Setups;
  if (name == "L" || name == "l") return ClosureBasis::Length;
  return std::nullopt;
}

double ClosureCoefficient(LevellingClass levelling_class, ClosureBasis basis) {
  const ClassRow& row = Row(levelling_class);
  return basis == ClosureBasis::Setups ? row.per_setup : row.per_km;
}

double AllowableClosureMm(LevellingClass levelling_class, ClosureBasis basis, int32_t setups,
                          double length_km) {
  const double under_root = basis == ClosureBasis::Setups ? static_cast<double>(setups) : length_km;
  return ClosureCoefficient(levelling_class, basis) * std::sqrt(under_root);
}

std::string AllowableClosureText(LevellingClass levelling_class, ClosureBasis basis, int32_t setups,
                                 double length_km) {
  const std::string root = std::string(ClosureBasisName(basis));
  // Written as the coefficient times the root so that the default text keeps the exact
  // arithmetic of earlier records: 6 × √n, rounded as the pattern "0" rounds.
  return "±" + DecimalText(ClosureCoefficient(levelling_class, basis), 0) + "√" + root + "=±" +
         DecimalText(AllowableClosureMm(levelling_class, basis, setups, length_km), 0);
}

}  // namespace vardex
