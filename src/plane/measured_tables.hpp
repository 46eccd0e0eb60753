// The plane tables of points that were really staked out and surveyed: "平面位置检测表" with the
// measured coordinates and deviations a total station recorded, points beyond the plane tolerance
// marked, and "放线记录表" with the distances to the surveyed positions.
#pragma once

#include <string>
#include <vector>

#include "host/workbook.hpp"
#include "numeric/field_records.hpp"
#include "plane/plane_input.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// The plane block of "数据输入" as typed, with no draws: measured coordinates equal the design
/// ones. Throws as LoadPlaneInput.
PlaneInput ReadPlaneInputSheet(const host::Workbook& book);

/// The project's points paired with the surveyed ones.
struct StakeoutMatch {
  PlaneInput Input;                          ///< measured coordinates put in where surveyed
  std::vector<bool> Measured;                ///< per stake point
  std::vector<bool> OutOfTolerance;          ///< a deviation in X or Y beyond the plane tolerance
  std::vector<UnmatchedPoint> NotInProject;  ///< surveyed points that are no stake point
  std::vector<UnmatchedPoint> NotMeasured;   ///< stake points the file lacks
  std::vector<std::string> ControlPoints;    ///< station and back-sight found in the file
};

/// Pairs `surveyed` with the stake points of `input` by name (see PointNameIndex). The station
/// and back-sight point are recognised and passed over. A point is out of tolerance when its
/// deviation in X or in Y, rounded to whole millimetres as the table shows it, lies outside
/// PlaneTolMinus to PlaneTolPlus (rounded half to even, in either order). Throws host::HostError
/// naming file and line for a point surveyed twice (two lines of the same name, or two names of
/// the same stake point).
StakeoutMatch MatchStakeMeasurements(const PlaneInput& input,
                                     const std::vector<SurveyedPoint>& surveyed,
                                     const SurveySettings& settings);

/// Writes both plane tables as WritePlaneTables does, from the measured coordinates. Rows of
/// points not surveyed keep their design data but no measured coordinates, distances or
/// deviations, and "未测" in P of the inspection table; points out of tolerance get "超限" there,
/// after their side text. Throws as WritePlaneTables, before anything is written.
void WriteMeasuredPlaneTables(host::Workbook& book, const StakeoutMatch& match);

/// P of the inspection table: the side text, followed by the mark when there is one.
std::string MarkedSideText(const std::string& side_text, std::string_view mark);

}  // namespace vardex
