// Pairing surveyed coordinates with the stake points and writing the plane tables from them.
#include "plane/measured_tables.hpp"

#include <algorithm>
#include <map>

#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "numeric/point_names.hpp"
#include "plane/input_cells.hpp"
#include "plane/plane_tables.hpp"
#include "plane/plane_texts.hpp"
#include "plane/record_layout.hpp"

namespace vardex {
namespace {

std::string Where(const FieldSource& source) {
  return "文件“" + source.File + "”第 " + std::to_string(source.Line) + " 行";
}

// A deviation in whole millimetres as the table shows it.
double ShownMillimetres(double measured, double design) {
  return ParseNumericText(DecimalText((measured - design) * 1000.0, 0)).value_or(0);
}

}  // namespace

PlaneInput ReadPlaneInputSheet(const host::Workbook& book) {
  const host::Worksheet* input = detail::FindSheet(book, plane_text::kInputSheet);
  if (input == nullptr) throw detail::MissingSheetError(book, plane_text::kInputSheet);
  return detail::ReadPlaneBlock(*input);
}

StakeoutMatch MatchStakeMeasurements(const PlaneInput& input,
                                     const std::vector<SurveyedPoint>& surveyed,
                                     const SurveySettings& settings) {
  StakeoutMatch match;
  match.Input = input;
  const std::size_t count = input.StakePoints.size();
  match.Measured.assign(count, false);
  match.OutOfTolerance.assign(count, false);
  PointNameIndex names;
  for (const StakePoint& point : input.StakePoints) names.Add(point.Name, point.SideText);
  const detail::ToleranceBounds bounds = detail::PlaneToleranceBounds(settings);
  const double lo = std::min(bounds.lo, bounds.hi);
  const double hi = std::max(bounds.lo, bounds.hi);

  std::map<std::string, FieldSource> seen;
  std::vector<std::optional<FieldSource>> measured_at(count);
  for (const SurveyedPoint& point : surveyed) {
    const auto [first, inserted] = seen.emplace(MatchKey(point.Name), point.Source);
    if (!inserted) {
      throw host::HostError(host::kErrTypeMismatch,
                            Where(point.Source) + "：点名“" + point.Name + "”" +
                                std::string(plane_text::kSurveyedTwice) + Where(first->second) +
                                std::string(plane_text::kSurveyedTwiceEnd));
    }
    const NameMatch found = names.Find(point.Name);
    if (!found.index) {
      const std::string key = MatchKey(point.Name);
      if (key == MatchKey(input.StationPoint.Name) || key == MatchKey(input.BackSightPoint.Name)) {
        match.ControlPoints.push_back(point.Name);
        continue;
      }
      match.NotInProject.push_back(
          {point.Name, Where(point.Source),
           found.ambiguous ? "项目中有同名点，请用名称加偏距区分" : std::string()});
      continue;
    }
    const std::size_t index = *found.index;
    if (measured_at[index]) {
      throw host::HostError(host::kErrTypeMismatch, Where(point.Source) + "：点名“" + point.Name +
                                                        "”" +
                                                        std::string(plane_text::kSurveyedTwice) +
                                                        Where(*measured_at[index]) +
                                                        std::string(plane_text::kSurveyedTwiceEnd));
    }
    measured_at[index] = point.Source;
    StakePoint& stake = match.Input.StakePoints[index];
    stake.MeasuredX = point.X;
    stake.MeasuredY = point.Y;
    match.Measured[index] = true;
    const double dx = ShownMillimetres(stake.MeasuredX, stake.DesignX);
    const double dy = ShownMillimetres(stake.MeasuredY, stake.DesignY);
    match.OutOfTolerance[index] = dx < lo || dx > hi || dy < lo || dy > hi;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (match.Measured[i]) continue;
    const StakePoint& stake = input.StakePoints[i];
    match.NotMeasured.push_back({RemoveSpaces(stake.Name + stake.SideText),
                                 std::string(plane_text::kInputSheet) + " A" +
                                     std::to_string(kFirstRecordRow + static_cast<int32_t>(i)),
                                 ""});
  }
  return match;
}

std::string MarkedSideText(const std::string& side_text, std::string_view mark) {
  if (mark.empty()) return side_text;
  if (side_text.empty()) return std::string(mark);
  return side_text + " " + std::string(mark);
}

void WriteMeasuredPlaneTables(host::Workbook& book, const StakeoutMatch& match) {
  WritePlaneTables(book, match.Input);
  host::Worksheet* stake_out = detail::FindSheet(book, plane_text::kStakeOutSheet);
  host::Worksheet* inspection = detail::FindSheet(book, plane_text::kInspectionSheet);
  for (std::size_t i = 0; i < match.Measured.size(); ++i) {
    const int32_t row = kFirstRecordRow + static_cast<int32_t>(i);
    const std::string& side = match.Input.StakePoints[i].SideText;
    if (!match.Measured[i]) {
      stake_out->ClearContents({{row, detail::kColK}, {row, detail::kColM}});
      inspection->ClearContents({{row, detail::kColG}, {row, detail::kColO}});
      inspection->SetValue({row, detail::kColP},
                           MarkedSideText(side, plane_text::kNotMeasuredMark));
    } else if (match.OutOfTolerance[i]) {
      inspection->SetValue({row, detail::kColP},
                           MarkedSideText(side, plane_text::kOutOfToleranceMark));
    }
  }
}

}  // namespace vardex
