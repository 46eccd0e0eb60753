// Checks a levelling record on "水准表" against its input on "数据输入": every rule by which the
// generator builds a record, so that a generated record passes and a hand-edited one shows where
// it no longer holds.
#pragma once

#include <vector>

#include "host/workbook.hpp"
#include "numeric/record_check.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// Reads "数据输入" and "水准表" of `book` and returns one finding per broken rule, in sheet order;
/// an empty list means the record is consistent. Checked, with a tolerance of a micrometre on
/// elevations:
///  - names in column A: benchmarks and points as on the input (spaces removed), turning points
///    the prefix and the set-up number;
///  - the start row: G5 = E6 of the input, E5 = G5 + back-sight, the back-sight in the window
///    that the first point selects;
///  - turning points: only where the reading on the next point is off the staff, back-sight and
///    fore-sight whole millimetres within their quick-transfer bands, E = previous line of sight −
///    fore-sight + back-sight, F = previous line of sight − fore-sight when shown, else empty;
///  - points and end benchmark: F = line of sight − reading, the reading strictly inside the
///    staff range and in column C or D as the switches say, a measured value from the input kept,
///    a simulated one whole millimetres from the design within the rounded tolerance, G and H;
///  - the end benchmark: closing error whole millimetres within the rounded closure tolerance;
///  - I2 = the allowable closing error of the settings' class by set-ups ("±6√n=±…" by default),
///    n = 1 + the number of turning points; column I empty; nothing in A to I
///    after the end benchmark row.
/// Never throws on odd cell contents: a text where a number belongs is a finding. A missing sheet
/// or an unreadable input is one finding.
std::vector<CheckFinding> CheckLevellingRecord(const host::Workbook& book,
                                               const SurveySettings& settings);

}  // namespace vardex
