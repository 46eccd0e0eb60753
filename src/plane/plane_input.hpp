// The plane block of the input sheet "数据输入": instrument station, back-sight point and the
// points to set out, each with a simulated measured position inside the plane tolerances.
#pragma once

#include <vector>

#include "host/workbook.hpp"
#include "numeric/numeric_helpers.hpp"
#include "numeric/survey_functions.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// One point to set out. Coordinates in metres; the measured position differs from the design
/// position by whole millimetres.
struct StakePoint {
  std::string Name;      ///< as the input cell displays it
  std::string SideText;  ///< OffsetSideText of the displayed offset: "左2.5米", "中", a note
  double DesignX = 0;
  double DesignY = 0;
  double MeasuredX = 0;
  double MeasuredY = 0;
};

/// Everything the plane tables are written from. StakePoints[i] comes from input row 8 + i.
struct PlaneInput {
  PlanePoint StationPoint;
  PlanePoint BackSightPoint;
  std::vector<StakePoint> StakePoints;
};

/// Reads the plane block of "数据输入": the station (A6 name, B4:B6 X/Y/H), the back-sight point
/// (C6 name, D4:D6) and the points from row 8 down to the first row whose A value is empty
/// (names and offsets as displayed, design X/Y in C and D). Empty number cells read as 0.
/// Each point then draws its X and then its Y deviation with RandomInt between PlaneTolMinus
/// and PlaneTolPlus rounded half to even, in millimetres, in row order.
/// Throws host::HostError 9 when the sheet is missing and 13 when a number cell holds anything
/// but a number, a numeric text or nothing (or a name cell holds an error value); 6 when a
/// rounded tolerance does not fit into 32 bits. Writes nothing.
PlaneInput LoadPlaneInput(const host::Workbook& book, const SurveySettings& settings,
                          RandomSource& random);

namespace detail {

/// The plane block as read, before any draw: measured positions equal the design positions.
/// Throws as LoadPlaneInput, but CellConversionError for a failed conversion.
PlaneInput ReadPlaneBlock(const host::Worksheet& input);

/// The whole-millimetre range of the draws: PlaneTolMinus and PlaneTolPlus rounded half to
/// even. Throws host::HostError 6 for a bound outside 32 bits.
struct ToleranceBounds {
  int32_t lo = 0;
  int32_t hi = 0;
};
ToleranceBounds PlaneToleranceBounds(const SurveySettings& settings);

}  // namespace detail

}  // namespace vardex
