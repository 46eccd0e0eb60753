// Point names and the allowable statement of records made from field data.
#include "levelling/measured_layout.hpp"

#include "levelling/levelling_texts.hpp"
#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "settings/levelling_class.hpp"

namespace vardex::detail {

namespace texts = levelling_texts;

PointNameIndex ProjectPointNames(const std::vector<LevellingInputRow>& rows) {
  PointNameIndex names;
  for (const LevellingInputRow& row : rows) names.Add(row.Name, row.SideText);
  return names;
}

std::string AllowableStatement(const SurveySettings& settings, int32_t setups,
                               std::optional<double> length_km) {
  const ClosureBasis basis = settings.ClosureBy;
  std::string text = std::string(LevellingClassName(settings.LevelClass)) + " ±" +
                     DecimalText(ClosureCoefficient(settings.LevelClass, basis), 0) + "√" +
                     std::string(ClosureBasisName(basis)) + "，";
  if (basis == ClosureBasis::Length) {
    text += std::string(texts::kLengthPrefix) + DecimalText(length_km.value_or(0), 3) +
            std::string(texts::kLengthUnit);
  } else {
    text += std::string(texts::kSetupsPrefix) + std::to_string(setups);
  }
  return text;
}

std::optional<double> StatedLength(std::string_view statement) {
  const std::size_t at = statement.rfind(texts::kLengthPrefix);
  if (at == std::string_view::npos || !statement.ends_with(texts::kLengthUnit)) return std::nullopt;
  const std::size_t start = at + texts::kLengthPrefix.size();
  return ParseNumericText(
      statement.substr(start, statement.size() - texts::kLengthUnit.size() - start));
}

}  // namespace vardex::detail
