// The levelling record generator: works the staff readings of one line of levelling backwards
// from the elevations the record is to show, inserting turning points wherever a reading would
// leave the staff, and writes the record to "水准表".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "host/workbook.hpp"
#include "levelling/levelling_input.hpp"
#include "numeric/numeric_helpers.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// The readings of one set-up, all in metres.
struct StationReadings {
  double ForeSight = 0;           ///< on the turning point that ends the previous set-up
  double BackSight = 0;           ///< of the new set-up
  double LineOfSight = 0;         ///< elevation of the new set-up's line of sight
  double TurnPointElevation = 0;  ///< elevation of the turning point
};

/// 1 when readings are shown in metres, else 1000 (millimetres).
double ReadingFactor(const SurveySettings& settings) noexcept;

/// The set-up on the start benchmark (elevation `h0`, metres) looking ahead to the first point
/// (elevation `h1`). Draws the back-sight, a whole number of millimetres, from the window that
/// Δ = h1 − h0 selects: [Max − QT, Max] when Δ > Max, [Min, Min + QT] when Δ < −Max, else
/// [0.9 Max, Max] going up or [Min, 2.5 Min] going down, widened to [Min, Max] when that window
/// would leave the staff. Returns BackSight and LineOfSight = h0 + BackSight; the rest 0.
/// Throws host::HostError(kErrOverflow) when a bound in millimetres exceeds 32 bits.
StationReadings FirstBackSight(double h0, double h1, const SurveySettings& settings,
                               RandomSource& random);

/// A turning point between the set-up with `lineOfSight` and a target of elevation `target` whose
/// reading d = lineOfSight − target is off the staff. d > Max descends (back-sight from
/// [Min, Min + QT], then fore-sight from [Max − QT, Max]); otherwise it ascends (back-sight from
/// [Max − QT, Max], then fore-sight from [Min, Min + QT]). All four fields set. Throws like
/// FirstBackSight.
StationReadings TurnStation(double lineOfSight, double target, const SurveySettings& settings,
                            RandomSource& random);

/// One cell of the record: left empty, a number, or a text. A text is put as typed (a name that
/// reads as a number becomes a number); the empty text empties the cell.
using RecordValue = std::variant<std::monostate, double, std::string>;

/// Closing rows follow the end benchmark in a record made from field data only.
enum class LevellingRowKind { StartBenchmark, TurnPoint, Point, EndBenchmark, Closing };

/// One row of "水准表", columns A to J. A generated record writes A to H only; a record made
/// from field data puts remarks into I and the misclosure's corrections into J.
struct LevellingRow {
  LevellingRowKind Kind = LevellingRowKind::Point;
  std::array<RecordValue, 10> Cells;
};

inline constexpr int32_t kLevellingFirstRow = 5;            ///< the start benchmark's row
inline constexpr int32_t kLevellingLastClearedRow = 65536;  ///< last row cleared before writing

/// A complete record, ready to write. Rows[0] goes to row 5.
struct LevellingRecord {
  std::vector<LevellingRow> Rows;
  int32_t SetupCount = 1;            ///< 1 plus the number of turning points
  std::string AllowableClosureText;  ///< for I2: "±6√n=±" and 6√n in whole millimetres
  std::string CorrectionHeading;     ///< for J3 when column J holds corrections, else empty
};

/// Builds the record of `input` in memory. Draws one back-sight, then two readings per turning
/// point, in record order. Throws host::HostError, before anything is written anywhere, when
/// `input.Points` is empty, when turning points stop bringing a reading back onto the staff (the
/// message names the point), when the record would not fit rows 5 to 65536, or when a number is
/// not finite.
LevellingRecord BuildLevellingRecord(const LevellingInput& input, const SurveySettings& settings,
                                     RandomSource& random);

/// Writes `record` to "水准表": activates it, clears A5:J65536 (values only), writes each cell of
/// the record and the text of I2, and the correction heading into J3 (with H3:H4's frame) or,
/// when there is none, takes an earlier one away. Closing rows' texts in B get B2's left-aligned
/// style so that they read across the row. Throws host::HostError(kErrSubscript) without
/// changing anything when the sheet is missing.
void WriteLevellingRecord(host::Workbook& book, const LevellingRecord& record);

/// Reads the input, builds the record and writes it. A failed read throws LevellingInputError and
/// a failed build host::HostError; in both cases the workbook is left as it was.
void GenerateLevellingRecord(host::Workbook& book, const SurveySettings& settings,
                             RandomSource& random);

}  // namespace vardex
