// Reads the plane block of "数据输入" and simulates the measured positions.
#include "plane/plane_input.hpp"

#include <limits>
#include <string>

#include "numeric/number_text.hpp"
#include "plane/input_cells.hpp"
#include "plane/plane_texts.hpp"

namespace vardex {
namespace {

constexpr int32_t kFirstPointRow = 8;
constexpr int32_t kNameColumn = 1;     // A
constexpr int32_t kOffsetColumn = 2;   // B
constexpr int32_t kDesignXColumn = 3;  // C
constexpr int32_t kDesignYColumn = 4;  // D

int32_t WholeMillimetres(double tolerance) {
  const double rounded = RoundHalfEven(tolerance);
  // The negated comparison also refuses NaN.
  if (!(rounded >= std::numeric_limits<int32_t>::min() &&
        rounded <= std::numeric_limits<int32_t>::max())) {
    throw host::HostError(host::kErrOverflow, std::string(plane_text::kToleranceOutOfRange) +
                                                  GeneralNumberText(tolerance) +
                                                  std::string(plane_text::kToleranceUnit));
  }
  return static_cast<int32_t>(rounded);
}

}  // namespace

namespace detail {

ToleranceBounds PlaneToleranceBounds(const SurveySettings& settings) {
  return {WholeMillimetres(settings.PlaneTolMinus), WholeMillimetres(settings.PlaneTolPlus)};
}

PlaneInput ReadPlaneBlock(const host::Worksheet& input) {
  PlaneInput block;
  PlanePoint& station = block.StationPoint;
  PlanePoint& back_sight = block.BackSightPoint;
  station.Name = ReadValueText(input, {6, 1});     // A6
  station.X = ReadNumber(input, {4, 2});           // B4
  station.Y = ReadNumber(input, {5, 2});           // B5
  station.H = ReadNumber(input, {6, 2});           // B6
  back_sight.Name = ReadValueText(input, {6, 3});  // C6
  back_sight.X = ReadNumber(input, {4, 4});        // D4
  back_sight.Y = ReadNumber(input, {5, 4});        // D5
  back_sight.H = ReadNumber(input, {6, 4});        // D6

  for (int32_t row = kFirstPointRow; row <= host::kMaxRows; ++row) {
    // The end test looks at the value, the name itself is what the cell displays: a number 1
    // under a two-decimal format is the point "1.00", and a number 0 is a point, not the end.
    if (ReadValueText(input, {row, kNameColumn}).empty()) break;
    StakePoint point;
    point.Name = input.Text({row, kNameColumn});
    point.SideText = OffsetSideText(input.Text({row, kOffsetColumn}));
    point.DesignX = ReadNumber(input, {row, kDesignXColumn});
    point.DesignY = ReadNumber(input, {row, kDesignYColumn});
    point.MeasuredX = point.DesignX;
    point.MeasuredY = point.DesignY;
    block.StakePoints.push_back(std::move(point));
  }
  return block;
}

}  // namespace detail

PlaneInput LoadPlaneInput(const host::Workbook& book, const SurveySettings& settings,
                          RandomSource& random) {
  const host::Worksheet* input = detail::FindSheet(book, plane_text::kInputSheet);
  if (input == nullptr) throw detail::MissingSheetError(book, plane_text::kInputSheet);
  PlaneInput result = detail::ReadPlaneBlock(*input);
  const detail::ToleranceBounds bounds = detail::PlaneToleranceBounds(settings);
  // X before Y for each point, points in row order: a scripted source replays a worked example.
  for (StakePoint& point : result.StakePoints) {
    const int32_t dx = RandomInt(bounds.lo, bounds.hi, random);
    point.MeasuredX = point.DesignX + static_cast<double>(dx) / 1000.0;
    const int32_t dy = RandomInt(bounds.lo, bounds.hi, random);
    point.MeasuredY = point.DesignY + static_cast<double>(dy) / 1000.0;
  }
  return result;
}

}  // namespace vardex
