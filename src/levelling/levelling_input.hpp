// Reads the levelling block of the input sheet "数据输入": the two benchmarks and the points to
// level, with simulated measured elevations where none were typed and a simulated closing error on
// the end benchmark.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/host_error.hpp"
#include "host/workbook.hpp"
#include "numeric/numeric_helpers.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// One point of the levelling line, as the record is to show it.
struct LevellingPoint {
  std::string Name;              ///< displayed text of column A, untrimmed
  std::string SideText;          ///< OffsetSideText of column B; empty for the end benchmark
  double MeasuredElevation = 0;  ///< metres; the elevation the record shows
  double DesignElevation = 0;    ///< metres; 0 when the design cell is empty
};

/// The levelling block after a complete read. `Points` ends with the end benchmark, so it holds
/// at least one element.
struct LevellingInput {
  std::string StartBenchmarkName;
  double StartBenchmarkElevation = 0;  ///< metres
  std::string EndBenchmarkName;
  double EndBenchmarkElevation = 0;  ///< metres
  std::vector<LevellingPoint> Points;
};

/// One point row of "数据输入" as typed, without any simulation.
struct LevellingInputRow {
  int32_t Row = 0;  ///< sheet row, 8 and down
  std::string Name;
  std::string SideText;
  double DesignElevation = 0;               ///< column E rounded to 3 decimals (ties to even)
  std::optional<double> MeasuredElevation;  ///< column F; empty when the cell is empty
};

/// The levelling block as typed: the benchmarks and the point rows down to the first empty A.
struct LevellingInputSheet {
  std::string StartBenchmarkName;
  double StartBenchmarkElevation = 0;
  std::string EndBenchmarkName;
  double EndBenchmarkElevation = 0;
  std::vector<LevellingInputRow> Rows;
};

/// A levelling input that cannot be read. Number() is the host's error number (9: no sheet
/// "数据输入"; 13: a value that is not a number where one is required; 6: a tolerance too large
/// for a random draw). what() is the message box text: the number on the first line, then a line
/// naming the file (when the workbook has one), the sheet, the cell and what was expected there.
class LevellingInputError : public host::HostError {
 public:
  /// Title of the message box that shows the error.
  static constexpr std::string_view kTitle = "Error";

  LevellingInputError(int number, const std::string& detail,
                      std::optional<host::CellRef> cell = std::nullopt);

  /// The second line of what(): where and what, without the number.
  const std::string& Detail() const noexcept { return detail_; }
  /// The offending cell of "数据输入", when the error has one.
  const std::optional<host::CellRef>& Cell() const noexcept { return cell_; }

 private:
  std::string detail_;
  std::optional<host::CellRef> cell_;
};

/// Reads the benchmarks (E5, E6, F5, F6) and the point rows (A, B, E, F from row 8 down to the
/// first row whose A is empty or the empty text) of "数据输入", drawing nothing.
///
/// Names E5 and F5 are the value as text (numbers as GeneralNumberText), trimmed of spaces; E6 and
/// F6 are numbers, an empty cell reading as 0; a point's name is the displayed text of A (spaces
/// kept), its side text OffsetSideText of the displayed text of B. A text that reads as a number
/// counts as that number. Throws LevellingInputError (9 or 13) at the first cell that cannot be
/// read.
LevellingInputSheet ReadLevellingInputSheet(const host::Workbook& book);

/// The levelling input of `book` for the record generator. Each point without a measured
/// elevation gets its design elevation plus t / 1000, t = RandomInt over MidTolMinus and
/// MidTolPlus rounded to whole millimetres (ties to even), rounded to 3 decimals; the end benchmark
/// is appended with F6 + t / 1000, t over ClosureTolMinus and ClosureTolPlus. Draws happen in row
/// order, then the one for the end benchmark.
///
/// Throws LevellingInputError for every failure, the draws' own included; nothing is returned in
/// part, so a caller never works on a partial list.
LevellingInput ReadLevellingInput(const host::Workbook& book, const SurveySettings& settings,
                                  RandomSource& random);

}  // namespace vardex
