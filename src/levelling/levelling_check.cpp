// The consistency check of a levelling record: walks "水准表" row by row in the order the
// generator writes it and recomputes every reading, line of sight and elevation.
#include "levelling/levelling_check.hpp"

#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "host/engine_text.hpp"
#include "levelling/levelling_input.hpp"
#include "levelling/levelling_record.hpp"
#include "levelling/levelling_texts.hpp"
#include "levelling/record_cells.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

using host::CellRef;
using host::CellValue;
namespace texts = levelling_texts;

enum Column : int32_t { kA = 1, kB, kC, kD, kE, kF, kG, kH, kI };

using detail::IsBlank;
using detail::Near;
using detail::Num;
using detail::ValueText;

// A length in millimetres that is a whole number of millimetres, give or take rounding noise.
std::optional<double> WholeMillimetres(double millimetres) {
  const double whole = std::round(millimetres);
  if (std::fabs(millimetres - whole) <= 1e-3 + 1e-12 * std::fabs(millimetres)) return whole;
  return std::nullopt;
}

// A window bound as the generator draws it: whole millimetres, nearest, ties to even.
double BoundMm(double metres) { return RoundHalfEven(metres * 1000.0); }

// The whole millimetres a draw between two bounds can give. RandomInt with reversed bounds (a
// negative staff minimum makes 2.5 × Min fall below Min) gives hi + 1 to lo.
struct Window {
  double lo_mm;
  double hi_mm;
  bool Contains(double mm) const {
    return lo_mm <= hi_mm ? (mm >= lo_mm && mm <= hi_mm) : (mm > hi_mm && mm <= lo_mm);
  }
  std::string Text() const { return "[" + Num(lo_mm / 1000) + ", " + Num(hi_mm / 1000) + "]"; }
};

class Checker : detail::RecordCellCheck {
 public:
  Checker(const host::Worksheet& sheet, const LevellingInputSheet& input,
          const SurveySettings& settings)
      : RecordCellCheck(sheet),
        input_(input),
        settings_(settings),
        factor_(ReadingFactor(settings)),
        min_(settings.StaffMinReading),
        max_(settings.StaffMaxReading),
        low_band_{BoundMm(min_), BoundMm(min_ + settings.QuickTransferValue)},
        high_band_{BoundMm(max_ - settings.QuickTransferValue), BoundMm(max_)} {}

  std::vector<CheckFinding> Run() {
    last_row_ = LastUsedRow();
    const bool complete = CheckRecordRows();
    if (complete) CheckAllowableClosure();
    return std::move(findings_);
  }

 private:
  int32_t LastUsedRow() const {
    const auto used = sheet_.UsedRange();
    if (!used) return kLevellingFirstRow - 1;
    for (int32_t row = used->last.row; row >= kLevellingFirstRow; --row) {
      for (int32_t column = kA; column <= kI; ++column) {
        if (!IsBlank(At(row, column))) return row;
      }
    }
    return kLevellingFirstRow - 1;
  }

  // A staff reading in metres, whatever unit the sheet shows it in.
  std::optional<double> Reading(int32_t row, int32_t column, std::string_view what) {
    const auto value = Number(row, column, what);
    if (!value) return std::nullopt;
    return *value / factor_;
  }

  // Names were put as typed, so a name that reads as a number stands in the cell as that number.
  void ExpectName(int32_t row, const std::string& expected) {
    const CellValue value = At(row, kA);
    bool ok = false;
    if (expected.empty()) {
      ok = IsBlank(value);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
      ok = *text == expected;
    } else if (const auto* number = std::get_if<double>(&value)) {
      const auto parsed = ParseNumericText(expected);
      ok = parsed && *parsed == *number;
    }
    if (!ok) Report(row, kA, "名称应为“" + expected + "”，实为" + ValueText(value));
  }

  void ExpectNumber(int32_t row, int32_t column, double expected, std::string_view what) {
    const auto value = Number(row, column, what);
    if (value && !Near(*value, expected)) {
      Report(row, column, std::string(what) + "应为 " + Num(expected) + "，实为 " + Num(*value));
    }
  }

  // A reading of a turning point: whole millimetres inside its quick-transfer band.
  void ExpectInWindow(int32_t row, int32_t column, double reading, const Window& window,
                      std::string_view what) {
    const auto mm = WholeMillimetres(reading * 1000);
    if (!mm) {
      Report(row, column, std::string(what) + " " + Num(reading) + " 米不是整毫米");
    } else if (!window.Contains(*mm)) {
      Report(row, column,
             std::string(what) + " " + Num(reading) + " 米不在窗口 " + window.Text() + " 米内");
    }
  }

  // A simulated difference: whole millimetres within the rounded tolerance bounds.
  void ExpectSimulatedError(int32_t row, double measured, double known, double minus_mm,
                            double plus_mm, std::string_view what) {
    const double lo = RoundHalfEven(minus_mm);
    const double hi = RoundHalfEven(plus_mm);
    const auto mm = WholeMillimetres((measured - known) * 1000);
    if (!mm) {
      Report(row, kF, std::string(what) + " " + Num((measured - known) * 1000) + " 毫米不是整毫米");
    } else if (*mm < lo || *mm > hi) {
      Report(
          row, kF,
          std::string(what) + " " + Num(*mm) + " 毫米超出 [" + Num(lo) + ", " + Num(hi) + "] 毫米");
    }
  }

  Window FirstWindow(double delta) const {
    const double qt = settings_.QuickTransferValue;
    if (std::fabs(delta) > max_) {
      return delta > 0 ? Window{BoundMm(max_ - qt), BoundMm(max_)}
                       : Window{BoundMm(min_), BoundMm(min_ + qt)};
    }
    if (delta > 0) {
      return 0.9 * max_ >= min_ ? Window{BoundMm(0.9 * max_), BoundMm(max_)}
                                : Window{BoundMm(min_), BoundMm(max_)};
    }
    return 2.5 * min_ <= max_ ? Window{BoundMm(min_), BoundMm(2.5 * min_)}
                              : Window{BoundMm(min_), BoundMm(max_)};
  }

  // Walks the record; false when it ends before the end benchmark.
  bool CheckRecordRows() {
    constexpr int32_t start = kLevellingFirstRow;
    if (last_row_ < start) {
      Report(start, kA, "水准表没有记录");
      return false;
    }
    ExpectName(start, RemoveSpaces(input_.StartBenchmarkName));
    ExpectNumber(start, kG, input_.StartBenchmarkElevation, "已知高程");
    const auto first_back = Reading(start, kB, "后视");
    std::optional<double> line = Number(start, kE, "视线高");
    if (first_back && line && !Near(*line, input_.StartBenchmarkElevation + *first_back)) {
      Report(start, kE,
             "视线高应为 " + Num(input_.StartBenchmarkElevation + *first_back) +
                 "（已知高程 + 后视），实为 " + Num(*line));
    }
    ExpectEmpty(start, {kC, kD, kF, kH, kI});

    int32_t row = start + 1;
    int32_t setups = 1;
    const std::size_t points = input_.Rows.size();
    for (std::size_t k = 0; k <= points; ++k) {
      const bool is_end = k == points;
      const std::string name = is_end ? RemoveSpaces(input_.EndBenchmarkName)
                                      : RemoveSpaces(input_.Rows[k].Name + input_.Rows[k].SideText);
      // Turning points carry a back-sight; a point row never does.
      const int32_t first_turn = row;
      while (row <= last_row_ && !IsBlank(At(row, kB))) ++row;
      if (row > last_row_) {
        Report(row, kA,
               "缺少" + std::string(is_end ? "终点水准点" : "点") + "“" + name + "”的记录行");
        return false;
      }
      const std::optional<double> target = Number(row, kF, "高程");
      if (k == 0 && first_back && target) {
        ExpectInWindow(start, kB, *first_back,
                       FirstWindow(*target - input_.StartBenchmarkElevation), "第一站后视");
      }
      for (int32_t turn = first_turn; turn < row; ++turn) {
        line = CheckTurnPoint(turn, line, target, setups);
        ++setups;
      }
      CheckPointRow(row, k, name, line, target);
      ++row;
    }
    for (; row <= last_row_; ++row) {
      for (int32_t column = kA; column <= kI; ++column) {
        const CellValue value = At(row, column);
        if (!IsBlank(value)) {
          Report(row, column, "终点水准点之后应为空，实为" + ValueText(value));
          break;
        }
      }
    }
    setups_ = setups;
    return true;
  }

  // Checks one turning point row and returns the line of sight of its new set-up.
  std::optional<double> CheckTurnPoint(int32_t row, std::optional<double> line,
                                       std::optional<double> target, int32_t setup) {
    ExpectName(row, settings_.TurnPointPrefix + std::to_string(setup));
    const auto back = Reading(row, kB, "后视");
    const auto fore = Reading(row, kD, "前视");
    const auto new_line = Number(row, kE, "视线高");
    std::optional<bool> descending;
    if (line && target) {
      const double d = *line - *target;
      if (d > min_ && d < max_) {
        Report(row, kA, "此处不需要转点：下一点的读数 " + Num(d) + " 米已在水准尺读数范围内");
      } else {
        descending = d > max_;
      }
    }
    if (back) {
      if (descending) {
        ExpectInWindow(row, kB, *back, *descending ? low_band_ : high_band_, "后视");
      } else {
        // Direction unknown: the back-sight must lie in one of the two bands.
        const auto mm = WholeMillimetres(*back * 1000);
        if (!mm || !(low_band_.Contains(*mm) || high_band_.Contains(*mm))) {
          Report(row, kB, "后视 " + Num(*back) + " 米不在快速转站窗口内");
        }
      }
    }
    if (fore) {
      if (descending) {
        ExpectInWindow(row, kD, *fore, *descending ? high_band_ : low_band_, "前视");
      } else {
        const auto mm = WholeMillimetres(*fore * 1000);
        if (!mm || !(low_band_.Contains(*mm) || high_band_.Contains(*mm))) {
          Report(row, kD, "前视 " + Num(*fore) + " 米不在快速转站窗口内");
        }
      }
    }
    if (line && back && fore && new_line) {
      const double expected = (*back + *line) - *fore;
      if (!Near(*new_line, expected)) {
        Report(
            row, kE,
            "视线高应为 " + Num(expected) + "（前一视线高 − 前视 + 后视），实为 " + Num(*new_line));
      }
    }
    if (settings_.ShowTurnPointElevation) {
      const auto elevation = Number(row, kF, "转点高程");
      if (elevation && line && fore && !Near(*elevation, *line - *fore)) {
        Report(row, kF,
               "转点高程应为 " + Num(*line - *fore) + "（前一视线高 − 前视），实为 " +
                   Num(*elevation));
      }
    } else {
      ExpectEmpty(row, {kF});
    }
    ExpectEmpty(row, {kC, kG, kH, kI});
    if (new_line) return new_line;
    if (line && back && fore) return (*back + *line) - *fore;
    return std::nullopt;
  }

  void CheckPointRow(int32_t row, std::size_t k, const std::string& name,
                     std::optional<double> line, std::optional<double> target) {
    const bool is_end = k == input_.Rows.size();
    ExpectName(row, name);
    const int32_t reading_column = (!is_end && settings_.ShowMidPoints) ? kC : kD;
    const int32_t other_column = reading_column == kC ? kD : kC;
    const auto reading = Reading(row, reading_column, is_end ? "前视" : "中视");
    if (line && target) {
      const double d = *line - *target;
      if (!(d > min_ && d < max_)) {
        Report(
            row, reading_column,
            "读数 " + Num(d) + " 米不在水准尺读数范围 (" + Num(min_) + ", " + Num(max_) + ") 米内");
      }
      if (reading && !Near(*reading, d)) {
        Report(row, reading_column,
               "读数应为 " + Num(d * factor_) + "（视线高 − 高程 F" + std::to_string(row) +
                   "），实为 " + Num(*reading * factor_));
      }
    }

    const double known = is_end ? input_.EndBenchmarkElevation : input_.Rows[k].DesignElevation;
    if (target) {
      if (is_end) {
        ExpectSimulatedError(row, *target, known, settings_.ClosureTolMinus,
                             settings_.ClosureTolPlus, "闭合差");
      } else if (const auto& measured = input_.Rows[k].MeasuredElevation) {
        if (!Near(*target, *measured)) {
          Report(row, kF, "实测高程应为输入值 " + Num(*measured) + "，实为 " + Num(*target));
        }
      } else {
        ExpectSimulatedError(row, *target, known, settings_.MidTolMinus, settings_.MidTolPlus,
                             "模拟误差");
      }
    }
    if (known != 0) {
      ExpectNumber(row, kG, known, is_end ? "已知高程" : "设计高程");
      const auto deviation = Number(row, kH, "高差（毫米）");
      if (deviation && target && std::fabs(*deviation - (*target - known) * 1000) > 1e-3) {
        Report(row, kH,
               "应为 " + Num((*target - known) * 1000) + " 毫米（实测 − 设计），实为 " +
                   Num(*deviation));
      }
    } else {
      ExpectEmpty(row, {kG, kH});
    }
    ExpectEmpty(row, {kB, other_column, kE, kI});
  }

  void CheckAllowableClosure() {
    const std::string expected =
        AllowableClosureText(settings_.LevelClass, ClosureBasis::Setups, setups_, 0);
    const CellValue value = sheet_.Value({2, kI});
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr || *text != expected) {
      Report(2, kI,
             "允许闭合差应为“" + expected + "”（n = " + std::to_string(setups_) + "），实为" +
                 ValueText(value));
    }
  }

  const LevellingInputSheet& input_;
  const SurveySettings& settings_;
  const double factor_;
  const double min_;
  const double max_;
  const Window low_band_;
  const Window high_band_;
  int32_t last_row_ = 0;
  int32_t setups_ = 1;
};

}  // namespace

std::vector<CheckFinding> CheckLevellingRecord(const host::Workbook& book,
                                               const SurveySettings& settings) {
  LevellingInputSheet input;
  try {
    input = ReadLevellingInputSheet(book);
  } catch (const LevellingInputError& e) {
    return {CheckFinding{std::string(texts::kInputSheet), e.Cell().value_or(CellRef{1, 1}),
                         e.Detail()}};
  }
  const host::Worksheet* sheet = nullptr;
  try {
    sheet = &book.Sheet(texts::kRecordSheet);
  } catch (const host::HostError&) {
    return {CheckFinding{std::string(texts::kRecordSheet), CellRef{1, 1},
                         "工作簿中没有工作表“" + std::string(texts::kRecordSheet) + "”"}};
  }
  try {
    return Checker(*sheet, input, settings).Run();
  } catch (const host::HostError& e) {
    return {CheckFinding{std::string(texts::kRecordSheet), CellRef{1, 1}, e.what()}};
  }
}

}  // namespace vardex
