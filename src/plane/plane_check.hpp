// Reads the plane record tables back and reports every cell that breaks a rule of their making.
#pragma once

#include <vector>

#include "host/workbook.hpp"
#include "numeric/record_check.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// Checks "放线记录表" and "平面位置检测表" against the plane block of "数据输入" and against each
/// other, as a calculation leaves them:
/// - both header blocks show the station and back-sight point, S and ɑ;
/// - every point has its row (from row 8) with the input's name, side text and design X/Y;
/// - the measured coordinates differ from the design ones by whole millimetres inside the
///   rounded plane tolerance bounds (reversed bounds as RandomInt draws them);
/// - azimuth, distances, the difference in millimetres and the deviations agree with the
///   coordinates, the stake-out record's measured distance with the inspection table's
///   measured coordinates;
/// - no values stand in A:Q after the last point row (up to row 65535).
/// Returns an empty list for consistent tables. Never throws on cell contents: a text where a
/// number belongs is a finding. An unreadable input block or a missing sheet is one finding and
/// ends the check of what depends on it.
///
/// Tables of surveyed points (`PlaneRecordSource::Surveyed`, written from a stake-out file) hold
/// real deviations: they need not be whole millimetres nor lie within the tolerance, but P of the
/// inspection table must carry "超限" exactly where a shown deviation lies outside it, and rows
/// without measured coordinates must be empty but for the design data and "未测".
enum class PlaneRecordSource { Generated, Surveyed };
std::vector<CheckFinding> CheckPlaneTables(const host::Workbook& book,
                                           const SurveySettings& settings,
                                           PlaneRecordSource source = PlaneRecordSource::Generated);

}  // namespace vardex
