// The check of a levelling record made from field data.
#include "levelling/measured_check.hpp"

#include <cmath>
#include <optional>
#include <string>

#include "levelling/levelling_texts.hpp"
#include "levelling/measured_layout.hpp"
#include "levelling/record_cells.hpp"
#include "settings/levelling_class.hpp"

namespace vardex {
namespace {

using detail::IsBlank;
using detail::Near;
using detail::Num;
using detail::ValueText;
using host::CellValue;
namespace texts = levelling_texts;

enum Column : int32_t { kA = 1, kB, kC, kD, kE, kF, kG, kH, kI, kJ };

constexpr double kLongestStaff = 7.0;

class MeasuredChecker : detail::RecordCellCheck {
 public:
  MeasuredChecker(const host::Worksheet& sheet, const LevellingInputSheet& input,
                  const SurveySettings& settings, MisclosureDistribution distribution)
      : RecordCellCheck(sheet),
        input_(input),
        settings_(settings),
        distribution_(distribution),
        names_(detail::ProjectPointNames(input.Rows)),
        factor_(ReadingFactor(settings)) {}

  std::vector<CheckFinding> Run() {
    const int32_t closing = FindClosingRow();
    if (closing < 0) return std::move(findings_);
    const int32_t end = closing - 1;
    CheckStartRow();
    for (int32_t row = kLevellingFirstRow + 1; row < end; ++row) {
      if (!IsBlank(At(row, kB))) {
        CheckTurnPoint(row);
      } else {
        CheckPoint(row);
      }
    }
    CheckEndRow(end);
    CheckClosingRows(closing);
    CheckCorrections(end);
    return std::move(findings_);
  }

 private:
  std::optional<double> Reading(int32_t row, int32_t column, std::string_view what) {
    const auto value = Number(row, column, what);
    if (!value) return std::nullopt;
    const double metres = *value / factor_;
    if (!(std::fabs(metres) <= kLongestStaff)) {
      Report(row, column, std::string(what) + " " + Num(metres) + " 米超出任何水准尺的范围");
    }
    return metres;
  }

  void ExpectNumber(int32_t row, int32_t column, double expected, std::string_view what) {
    const auto value = Number(row, column, what);
    if (value && !Near(*value, expected)) {
      Report(row, column, std::string(what) + "应为 " + Num(expected) + "，实为 " + Num(*value));
    }
  }

  void ExpectText(int32_t row, int32_t column, const std::string& expected) {
    const CellValue value = At(row, column);
    const auto* text = std::get_if<std::string>(&value);
    const bool ok = expected.empty() ? IsBlank(value) : text != nullptr && *text == expected;
    if (!ok) {
      Report(row, column,
             (expected.empty() ? std::string("应为空") : "应为“" + expected + "”") + "，实为" +
                 ValueText(value));
    }
  }

  // Names were put as typed: a name that reads as a number stands as that number.
  std::string NameAt(int32_t row) const {
    const CellValue value = At(row, kA);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<double>(&value)) return Num(*number);
    return {};
  }

  int32_t FindClosingRow() {
    const auto used = sheet_.UsedRange();
    const int32_t last = used ? used->last.row : kLevellingFirstRow;
    for (int32_t row = kLevellingFirstRow + 1; row <= last; ++row) {
      if (NameAt(row) == texts::kMisclosureLabel) return row;
    }
    Report(last + 1, kA, "缺少闭合差行：观测数据生成的水准表在终点水准点之后写明闭合差");
    return -1;
  }

  void CheckStartRow() {
    constexpr int32_t row = kLevellingFirstRow;
    ExpectName(row, RemoveSpaces(input_.StartBenchmarkName));
    ExpectNumber(row, kG, input_.StartBenchmarkElevation, "已知高程");
    const auto back = Reading(row, kB, "后视");
    line_ = Number(row, kE, "视线高");
    if (back && line_ && !Near(*line_, input_.StartBenchmarkElevation + *back)) {
      Report(row, kE,
             "视线高应为 " + Num(input_.StartBenchmarkElevation + *back) +
                 "（已知高程 + 后视），实为 " + Num(*line_));
    }
    ExpectEmpty(row, {kC, kD, kF, kH, kI});
  }

  void ExpectName(int32_t row, const std::string& expected) {
    if (MatchKey(NameAt(row)) != MatchKey(expected)) {
      Report(row, kA, "名称应为“" + expected + "”，实为" + ValueText(At(row, kA)));
    }
  }

  // G and H of a point by whether its name is one of the project's, and the remark of the others.
  void CheckDesign(int32_t row, std::optional<double> elevation, bool remark_absent) {
    const NameMatch match = names_.Find(NameAt(row));
    if (!match.index) {
      ExpectEmpty(row, {kG, kH});
      if (remark_absent) {
        ExpectText(row, kI,
                   std::string(match.ambiguous ? texts::kAmbiguousName : texts::kNotInProject));
      }
      return;
    }
    const double design = input_.Rows[*match.index].DesignElevation;
    ExpectEmpty(row, {kI});
    if (design == 0) {
      ExpectEmpty(row, {kG, kH});
      return;
    }
    ExpectNumber(row, kG, design, "设计高程");
    const auto difference = Number(row, kH, "高差（毫米）");
    if (difference && elevation && std::fabs(*difference - (*elevation - design) * 1000) > 1e-3) {
      Report(row, kH,
             "应为 " + Num((*elevation - design) * 1000) + " 毫米（实测 − 设计），实为 " +
                 Num(*difference));
    }
  }

  void CheckTurnPoint(int32_t row) {
    ++turn_points_;
    const auto back = Reading(row, kB, "后视");
    const auto fore = Reading(row, kD, "前视");
    const auto new_line = Number(row, kE, "视线高");
    std::optional<double> elevation;
    if (line_ && fore) elevation = *line_ - *fore;
    if (elevation && back && new_line && !Near(*new_line, *elevation + *back)) {
      Report(row, kE,
             "视线高应为 " + Num(*elevation + *back) + "（前一视线高 − 前视 + 后视），实为 " +
                 Num(*new_line));
    }
    const bool project_point = names_.Find(NameAt(row)).index.has_value();
    if (project_point || settings_.ShowTurnPointElevation) {
      const auto shown = Number(row, kF, "转点高程");
      if (shown && elevation && !Near(*shown, *elevation)) {
        Report(row, kF,
               "转点高程应为 " + Num(*elevation) + "（前一视线高 − 前视），实为 " + Num(*shown));
      }
    } else {
      ExpectEmpty(row, {kF});
    }
    CheckDesign(row, elevation, false);
    if (!project_point) ExpectEmpty(row, {kI});
    ExpectEmpty(row, {kC});
    line_ = new_line;
  }

  void CheckPoint(int32_t row) {
    const int32_t reading_column = settings_.ShowMidPoints ? kC : kD;
    const auto reading = Reading(row, reading_column, "中视");
    const auto elevation = Number(row, kF, "高程");
    if (reading && elevation && line_ && !Near(*elevation, *line_ - *reading)) {
      Report(row, kF,
             "高程应为 " + Num(*line_ - *reading) + "（视线高 − 读数），实为 " + Num(*elevation));
    }
    CheckDesign(row, elevation, true);
    ExpectEmpty(row, {kB, reading_column == kC ? kD : kC, kE});
  }

  void CheckEndRow(int32_t row) {
    ExpectName(row, RemoveSpaces(input_.EndBenchmarkName));
    const auto fore = Reading(row, kD, "前视");
    end_elevation_ = Number(row, kF, "高程");
    if (fore && end_elevation_ && line_ && !Near(*end_elevation_, *line_ - *fore)) {
      Report(row, kF,
             "高程应为 " + Num(*line_ - *fore) + "（视线高 − 前视），实为 " + Num(*end_elevation_));
    }
    const double known = input_.EndBenchmarkElevation;
    if (known != 0) {
      ExpectNumber(row, kG, known, "已知高程");
      if (end_elevation_) ExpectNumber(row, kH, (*end_elevation_ - known) * 1000, "闭合差（毫米）");
    } else {
      ExpectEmpty(row, {kG, kH});
    }
    ExpectEmpty(row, {kB, kC, kE, kI});
  }

  void CheckClosingRows(int32_t row) {
    const int32_t setups = turn_points_ + 1;
    std::optional<double> misclosure;
    if (end_elevation_) misclosure = (*end_elevation_ - input_.EndBenchmarkElevation) * 1000;
    ExpectText(row, kB, std::string(texts::kMisclosureText));
    if (misclosure) ExpectNumber(row, kH, *misclosure, "闭合差（毫米）");

    const int32_t allowable_row = row + 1;
    ExpectText(allowable_row, kA, std::string(texts::kAllowableLabel));
    const CellValue statement = At(allowable_row, kB);
    const auto* statement_text = std::get_if<std::string>(&statement);
    std::optional<double> length;
    if (statement_text != nullptr) length = detail::StatedLength(*statement_text);
    const ClosureBasis basis = settings_.ClosureBy;
    if (basis == ClosureBasis::Length && !length) {
      Report(allowable_row, kB, "应写明路线长度“L=…km”，实为" + ValueText(statement));
      return;
    }
    const double km = length.value_or(0);
    ExpectText(allowable_row, kB, detail::AllowableStatement(settings_, setups, length));
    const double allowable = AllowableClosureMm(settings_.LevelClass, basis, setups, km);
    ExpectNumber(allowable_row, kH, allowable, "允许闭合差（毫米）");
    ExpectText(2, kI, AllowableClosureText(settings_.LevelClass, basis, setups, km));

    const int32_t verdict_row = row + 2;
    ExpectText(verdict_row, kA, std::string(texts::kVerdictLabel));
    if (misclosure) {
      const bool within = std::fabs(*misclosure) <= allowable + 1e-9;
      ExpectText(verdict_row, kB, std::string(within ? texts::kWithin : texts::kBeyond));
    }
    int32_t last = verdict_row;
    if (distribution_ != MisclosureDistribution::None) {
      last = row + 3;
      ExpectText(last, kA, std::string(texts::kDistributionLabel));
      ExpectText(
          last, kB,
          std::string(distribution_ == MisclosureDistribution::BySetups ? texts::kBySetupsText
                                                                        : texts::kByDistanceText));
      if (misclosure) ExpectNumber(last, kH, -*misclosure, "改正数合计（毫米）");
    }
    misclosure_ = misclosure;
    setups_ = setups;
    CheckNothingAfter(last);
  }

  void CheckNothingAfter(int32_t last) {
    const auto used = sheet_.UsedRange();
    if (!used) return;
    for (int32_t row = last + 1; row <= used->last.row; ++row) {
      for (int32_t column = kA; column <= kJ; ++column) {
        const CellValue value = At(row, column);
        if (!IsBlank(value)) {
          Report(row, column, "闭合差行之后应为空，实为" + ValueText(value));
          break;
        }
      }
    }
  }

  // J holds the corrections: a turning point's share grows with the set-ups (or distances)
  // before it, points take the share of their set-up's back point, the end benchmark the whole.
  void CheckCorrections(int32_t end) {
    if (distribution_ == MisclosureDistribution::None) {
      ExpectEmpty(3, {kJ});
      for (int32_t row = kLevellingFirstRow; row <= end; ++row) ExpectEmpty(row, {kJ});
      return;
    }
    ExpectText(3, kJ, std::string(texts::kCorrectionHeading));
    if (!misclosure_) return;
    const double total = -*misclosure_;
    double previous = 0;
    int32_t turn = 0;
    for (int32_t row = kLevellingFirstRow + 1; row <= end; ++row) {
      const auto value = Number(row, kJ, "改正数（毫米）");
      if (!value) continue;
      const bool is_turn = row < end && !IsBlank(At(row, kB));
      if (row == end) {
        if (std::fabs(*value - total) > 1e-6) {
          Report(row, kJ, "终点的改正数应为闭合差反号 " + Num(total) + "，实为 " + Num(*value));
        }
      } else if (!is_turn) {
        if (std::fabs(*value - previous) > 1e-6) {
          Report(row, kJ,
                 "中间点的改正数应与本站后视点相同（" + Num(previous) + "），实为 " + Num(*value));
        }
      } else {
        ++turn;
        if (distribution_ == MisclosureDistribution::BySetups) {
          const double expected = total * turn / setups_;
          if (std::fabs(*value - expected) > 1e-6) {
            Report(row, kJ, "按测站数分配的改正数应为 " + Num(expected) + "，实为 " + Num(*value));
          }
        } else if ((*value - previous) * total < -1e-9 ||
                   std::fabs(*value) > std::fabs(total) + 1e-9) {
          Report(row, kJ, "按视距分配的改正数应在前一改正数与闭合差反号之间，实为 " + Num(*value));
        }
        previous = *value;
      }
    }
  }

  const LevellingInputSheet& input_;
  const SurveySettings& settings_;
  const MisclosureDistribution distribution_;
  const PointNameIndex names_;
  const double factor_;
  std::optional<double> line_;
  std::optional<double> end_elevation_;
  std::optional<double> misclosure_;
  int32_t turn_points_ = 0;
  int32_t setups_ = 1;
};

}  // namespace

std::vector<CheckFinding> CheckMeasuredLevellingRecord(const host::Workbook& book,
                                                       const SurveySettings& settings,
                                                       MisclosureDistribution distribution) {
  LevellingInputSheet input;
  try {
    input = ReadLevellingInputSheet(book);
  } catch (const LevellingInputError& e) {
    return {CheckFinding{std::string(texts::kInputSheet), e.Cell().value_or(host::CellRef{1, 1}),
                         e.Detail()}};
  }
  const host::Worksheet* sheet = book.FindSheet(texts::kRecordSheet);
  if (sheet == nullptr) {
    return {CheckFinding{std::string(texts::kRecordSheet), host::CellRef{1, 1},
                         "工作簿中没有工作表“" + std::string(texts::kRecordSheet) + "”"}};
  }
  return MeasuredChecker(*sheet, input, settings, distribution).Run();
}

}  // namespace vardex
