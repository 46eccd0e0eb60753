// Checks a levelling record made from field data: its arithmetic row by row, its points against
// "数据输入", and its closing rows against the class in the settings.
#pragma once

#include <vector>

#include "host/workbook.hpp"
#include "levelling/measured_record.hpp"
#include "numeric/record_check.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// Reads "数据输入" and "水准表" of `book` and returns one finding per broken rule, in sheet order.
/// Checked, with a micrometre's tolerance on elevations: the start row (name, known elevation E6,
/// line of sight); every turning point row (new line of sight = previous − fore + back, its
/// elevation when shown); every point row (elevation = line of sight − reading, in C or D as the
/// switches say, design elevation and difference of project points, the remark on the others);
/// the end benchmark (its name, known elevation F6, misclosure in H); the closing rows (misclosure,
/// the allowable value of the settings' class by set-ups or by the stated length, I2, the verdict,
/// the distribution); the corrections in column J as `distribution` shares them; nothing after the
/// closing rows. Readings are not held to the staff range of the settings (those bound only the
/// generator), only to what any staff can show. Never throws on cell contents.
std::vector<CheckFinding> CheckMeasuredLevellingRecord(const host::Workbook& book,
                                                       const SurveySettings& settings,
                                                       MisclosureDistribution distribution);

}  // namespace vardex
