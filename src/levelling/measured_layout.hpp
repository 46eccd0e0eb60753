// What the record of an observed line and its check agree on: how observed point ids find the
// rows of "数据输入", and how the closing row states the allowable misclosure. Internal to
// src/levelling.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "levelling/levelling_input.hpp"
#include "numeric/point_names.hpp"
#include "settings/survey_settings.hpp"

namespace vardex::detail {

/// The project's point names, indexed in the order of the rows of "数据输入".
PointNameIndex ProjectPointNames(const std::vector<LevellingInputRow>& rows);

/// B of the allowable row: the class, the formula and what went under the root,
/// "四等 ±6√n，n=12" or "四等 ±20√L，L=0.512km".
std::string AllowableStatement(const SurveySettings& settings, int32_t setups,
                               std::optional<double> length_km);

/// The length back from a statement, when it names one.
std::optional<double> StatedLength(std::string_view statement);

}  // namespace vardex::detail
