// The levelling record of a line that was really observed: "水准表" in the layout of the generated
// record, its readings those the level or the field book recorded, its elevations worked from them
// and the start benchmark's known elevation, followed by closing rows that state the misclosure,
// the allowable value of the settings' class and whether the line is within it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "levelling/levelling_input.hpp"
#include "levelling/levelling_record.hpp"
#include "numeric/field_records.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// How the misclosure is shared out, if at all: equally per set-up, or in proportion to the
/// sight distances. The corrections stand in column J.
enum class MisclosureDistribution { None, BySetups, ByDistance };

/// "none", "n", "L": as the command line and the workbook's properties name them.
std::string_view MisclosureDistributionName(MisclosureDistribution distribution);
std::optional<MisclosureDistribution> ParseMisclosureDistribution(std::string_view name);

/// What the record says about the line, for the summary shown after writing it.
struct MeasuredLineSummary {
  int32_t Setups = 0;
  std::optional<double> LengthKm;  ///< when every set-up has both sight distances
  double MisclosureMm = 0;         ///< measured minus known elevation of the end benchmark
  double AllowableMm = 0;
  std::string AllowableText;  ///< as in I2, "±20√L=±14"
  bool WithinAllowable = true;
  std::size_t MatchedPoints = 0;  ///< observed points found in "数据输入"
  std::vector<UnmatchedPoint> NotInProject;
  std::vector<UnmatchedPoint> NotObserved;
  std::vector<std::string> HeightWarnings;  ///< instrument heights that disagree with the readings
};

struct MeasuredLevellingRecord {
  LevellingRecord Record;
  MeasuredLineSummary Summary;
};

/// Builds the record of `line` against the levelling block `input` of the project.
///
/// The line must start on the start benchmark (E5) and end on the end benchmark (F5), names
/// compared without spaces and ASCII case. Observed points are matched to the rows of
/// "数据输入" by name with its side text ("K1+240左12.5米") or by name alone when no other row
/// has that name; matched points show their design elevation and difference, the others a remark
/// in column I. Turning points keep the names they were observed under and show their elevation
/// as the settings say (always when they are project points). Elevations are worked from the start
/// benchmark's known elevation (E6) and the readings; the instrument's own heights only serve as a
/// cross-check. Readings are written in metres or millimetres as the settings say.
///
/// Throws host::HostError naming the file and line when the line does not start or end on the
/// project's benchmarks, when a project point was observed under two names, when the misclosure
/// is to be judged or shared out by length but a sight distance is missing, or when the record
/// would pass row 65536.
MeasuredLevellingRecord BuildMeasuredLevellingRecord(const LevellingInputSheet& input,
                                                     const MeasuredLevellingLine& line,
                                                     const SurveySettings& settings,
                                                     MisclosureDistribution distribution);

}  // namespace vardex
