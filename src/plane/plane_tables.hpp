// The two plane record tables: the stake-out record "放线记录表" (azimuth and distance of every
// point from the station) and the plane position inspection table "平面位置检测表" (measured
// coordinates and deviations in millimetres), and the repetition of their record row.
#pragma once

#include <cstdint>

#include "host/workbook.hpp"
#include "numeric/numeric_helpers.hpp"
#include "plane/plane_input.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// First and last sheet rows of the point records; row 8 is the template row.
inline constexpr int32_t kFirstRecordRow = 8;
inline constexpr int32_t kLastRecordRow = 65535;
/// Most points the tables hold: rows 8 to 65535. Longer lists would leave rows uncleared.
inline constexpr int32_t kMaxStakePoints = kLastRecordRow - kFirstRecordRow + 1;

/// Writes "放线记录表" and then "平面位置检测表": the header block (station, back-sight point,
/// back-sight distance S and azimuth ɑ), clears A9:Q65535 (row 8 keeps its contents), lays out
/// the record rows with ExtendRecordRows, and writes one row per point from row 8 on.
/// Leaves "平面位置检测表" active. Everything that can fail is worked out before the first
/// cell is written: throws host::HostError 9 for a missing sheet, 1004 for more than
/// kMaxStakePoints points, 6 for coordinates so large that a distance or azimuth is not finite.
void WritePlaneTables(host::Workbook& book, const PlaneInput& input);

/// Repeats A8:Q8 of the active sheet (values, styles, borders, merges) into rows 9 to n + 8
/// through the clipboard, then switches the copy marker off and selects A8. `n` is the last
/// index of the point list; nothing at all happens for n <= 11 (rows 8 to 19 already exist in
/// the template). Throws host::HostError 1004 when row n + 8 lies beyond the sheet.
void ExtendRecordRows(host::Workbook& book, int32_t n);

/// LoadPlaneInput followed by WritePlaneTables: nothing is written when reading fails.
void GeneratePlaneTables(host::Workbook& book, const SurveySettings& settings,
                         RandomSource& random);

}  // namespace vardex
