// The check of the plane record tables: recomputes what every cell must hold from the input
// and the measured coordinates found in the inspection table.
#include "plane/plane_check.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <variant>

#include "numeric/number_text.hpp"
#include "plane/input_cells.hpp"
#include "plane/measured_tables.hpp"
#include "plane/plane_input.hpp"
#include "plane/plane_tables.hpp"
#include "plane/plane_texts.hpp"
#include "plane/record_layout.hpp"

namespace vardex {
namespace {

using detail::kColA;
using detail::kColC;
using detail::kColE;
using detail::kColG;
using detail::kColI;
using detail::kColK;
using detail::kColM;
using detail::kColO;
using detail::kColP;
using detail::kColQ;

/// Numbers that went through a file and back may lose the last bits; anything else is a change.
bool SameNumber(double a, double b) {
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

bool SameValue(const host::CellValue& expected, const host::CellValue& actual) {
  const auto* e = std::get_if<double>(&expected);
  const auto* a = std::get_if<double>(&actual);
  if (e != nullptr && a != nullptr) return SameNumber(*e, *a);
  return expected == actual;
}

/// Whole millimetres a random draw between the rounded bounds can give: lo..hi, or for
/// reversed bounds hi + 1..lo, the numbers RandomInt's formula yields for a count <= 0.
struct MillimetreRange {
  int64_t lo = 0;
  int64_t hi = 0;
};

MillimetreRange DrawRange(const detail::ToleranceBounds& bounds) {
  if (bounds.lo <= bounds.hi) return {bounds.lo, bounds.hi};
  return {int64_t{bounds.hi} + 1, bounds.lo};
}

class PlaneChecker {
 public:
  PlaneChecker(const host::Workbook& book, const SurveySettings& settings, PlaneRecordSource source)
      : book_(book), settings_(settings), surveyed_(source == PlaneRecordSource::Surveyed) {}

  std::vector<CheckFinding> Run() {
    const host::Worksheet* input = Require(plane_text::kInputSheet);
    const host::Worksheet* stake_out = Require(plane_text::kStakeOutSheet);
    const host::Worksheet* inspection = Require(plane_text::kInspectionSheet);
    if (input == nullptr) return std::move(findings_);

    PlaneInput block;
    try {
      block = detail::ReadPlaneBlock(*input);
    } catch (const detail::CellConversionError& e) {
      Add(e.SheetName(), e.Cell(), std::string(plane_text::kInputUnreadable) + e.What());
      return std::move(findings_);
    }
    if (block.StakePoints.size() > static_cast<std::size_t>(kMaxStakePoints)) {
      Add(input->Name(), {kFirstRecordRow + kMaxStakePoints, kColA},
          std::string(plane_text::kTooManyPoints) + std::to_string(block.StakePoints.size()) +
              std::string(plane_text::kTooManyPointsEnd) + std::to_string(kMaxStakePoints) +
              std::string(plane_text::kNotChecked));
      return std::move(findings_);
    }
    try {
      range_ = DrawRange(detail::PlaneToleranceBounds(settings_));
    } catch (const host::HostError&) {
      range_.reset();  // The calculation itself refuses such settings; nothing to hold against.
    }

    std::vector<std::optional<PlanePoint>> measured(block.StakePoints.size());
    if (inspection != nullptr) {
      CheckHeader(*inspection, block, detail::kColM);
      for (std::size_t j = 0; j < block.StakePoints.size(); ++j) {
        measured[j] = CheckInspectionRow(*inspection, RowOf(j), block.StakePoints[j]);
      }
      CheckStaleRows(*inspection, block.StakePoints.size());
    }
    if (stake_out != nullptr) {
      CheckHeader(*stake_out, block, detail::kColN);
      for (std::size_t j = 0; j < block.StakePoints.size(); ++j) {
        CheckStakeOutRow(*stake_out, RowOf(j), block, block.StakePoints[j], measured[j]);
      }
      CheckStaleRows(*stake_out, block.StakePoints.size());
    }
    return std::move(findings_);
  }

 private:
  static int32_t RowOf(std::size_t index) { return kFirstRecordRow + static_cast<int32_t>(index); }

  const host::Worksheet* Require(std::string_view name) {
    const host::Worksheet* sheet = detail::FindSheet(book_, name);
    if (sheet == nullptr) {
      Add(std::string(name), {1, 1},
          std::string(plane_text::kSheetNotFound) + std::string(plane_text::kNotChecked));
    }
    return sheet;
  }

  void Add(std::string sheet, host::CellRef cell, std::string message) {
    findings_.push_back({std::move(sheet), cell, std::move(message)});
  }

  void Mismatch(const host::Worksheet& sheet, host::CellRef cell, std::string_view label,
                const host::CellValue& expected, const host::CellValue& actual) {
    Add(sheet.Name(), cell,
        std::string(label) + std::string(plane_text::kWhatSeparator) +
            std::string(plane_text::kExpected) + detail::DescribeValue(expected) +
            std::string(plane_text::kFound) + detail::DescribeValue(actual));
  }

  /// The cell must hold what putting `text` as typed stores: a numeric text becomes a number.
  void ExpectTyped(const host::Worksheet& sheet, host::CellRef cell, std::string_view label,
                   const std::string& text) {
    // The engine's own rule decides which texts become numbers, so the check cannot drift from
    // what the put stored.
    const host::CellValue expected = host::TypedValue(text);
    const host::CellValue actual = sheet.Value(cell);
    if (!SameValue(expected, actual)) Mismatch(sheet, cell, label, expected, actual);
  }

  /// The cell's number, or a finding and nothing when it holds no number.
  std::optional<double> NumberIn(const host::Worksheet& sheet, host::CellRef cell,
                                 std::string_view label) {
    const host::CellValue value = sheet.Value(cell);
    if (const auto* number = std::get_if<double>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) {
      if (const auto parsed = ParseNumericText(*text)) return *parsed;
    }
    Add(sheet.Name(), cell,
        std::string(label) + std::string(plane_text::kWhatSeparator) +
            std::string(plane_text::kNotANumber) + detail::DescribeValue(value));
    return std::nullopt;
  }

  void ExpectNumber(const host::Worksheet& sheet, host::CellRef cell, std::string_view label,
                    double expected) {
    const auto actual = NumberIn(sheet, cell, label);
    if (actual && !SameNumber(expected, *actual)) {
      Mismatch(sheet, cell, label, expected, *actual);
    }
  }

  void CheckHeader(const host::Worksheet& sheet, const PlaneInput& block, int32_t distance_column) {
    const double distance = PlaneDistance(block.StationPoint, block.BackSightPoint);
    std::string azimuth_text;
    try {
      azimuth_text = AngleToDmsText(PlaneAzimuth(block.StationPoint, block.BackSightPoint));
    } catch (const host::HostError&) {
      azimuth_text.clear();  // Coordinates the calculation refuses; compared as written below.
    }
    for (const auto& header : detail::HeaderCells(block.StationPoint, block.BackSightPoint,
                                                  distance, azimuth_text, distance_column)) {
      ExpectTyped(sheet, header.cell, plane_text::kLabelHeader, header.text);
    }
  }

  void CheckCommonColumns(const host::Worksheet& sheet, int32_t row, const StakePoint& point,
                          std::string_view mark = {}) {
    ExpectTyped(sheet, {row, kColA}, plane_text::kLabelName, point.Name);
    ExpectTyped(sheet, {row, kColP}, plane_text::kLabelSide, MarkedSideText(point.SideText, mark));
    ExpectNumber(sheet, {row, kColC}, plane_text::kLabelDesignX, point.DesignX);
    ExpectNumber(sheet, {row, kColE}, plane_text::kLabelDesignY, point.DesignY);
  }

  /// A measured coordinate must lie whole millimetres from the design one, inside the range.
  void CheckDeviation(const host::Worksheet& sheet, host::CellRef cell, std::string_view label,
                      double design, double measured) {
    const double deviation_mm = (measured - design) * 1000.0;
    const double whole = std::round(deviation_mm);
    // The sum design + draw / 1000 rounds to the double grid around the coordinate.
    const double magnitude = std::max(std::fabs(design), std::fabs(measured));
    const double grid = std::nextafter(magnitude, INFINITY) - magnitude;
    const double slack = 1e-6 + 4000.0 * grid;
    const std::string found =
        GeneralNumberText(deviation_mm) + std::string(plane_text::kMillimetres);
    if (!(std::fabs(deviation_mm - whole) <= slack)) {
      Add(sheet.Name(), cell,
          std::string(label) + std::string(plane_text::kWhatSeparator) +
              std::string(plane_text::kNotWholeMillimetres) + found);
      return;
    }
    if (range_ &&
        (whole < static_cast<double>(range_->lo) || whole > static_cast<double>(range_->hi))) {
      Add(sheet.Name(), cell,
          std::string(label) + std::string(plane_text::kWhatSeparator) +
              std::string(plane_text::kOutsideTolerance) + GeneralNumberText(whole) +
              std::string(plane_text::kMillimetreRange) + std::to_string(range_->lo) +
              std::string(plane_text::kRangeDash) + std::to_string(range_->hi) +
              std::string(plane_text::kMillimetres));
    }
  }

  // A deviation in whole millimetres as the table shows it, outside the tolerance range.
  bool Beyond(double measured, double design) const {
    const double shown = ParseNumericText(DecimalText((measured - design) * 1000.0, 0)).value_or(0);
    if (!range_) return false;
    // The bounds as typed, in either order (no draw is involved).
    const detail::ToleranceBounds bounds = detail::PlaneToleranceBounds(settings_);
    const double lo = std::min(bounds.lo, bounds.hi);
    const double hi = std::max(bounds.lo, bounds.hi);
    return shown < lo || shown > hi;
  }

  std::optional<PlanePoint> CheckInspectionRow(const host::Worksheet& sheet, int32_t row,
                                               const StakePoint& point) {
    if (surveyed_ && host::IsEmpty(sheet.Value({row, kColG})) &&
        host::IsEmpty(sheet.Value({row, kColI}))) {
      CheckCommonColumns(sheet, row, point, plane_text::kNotMeasuredMark);
      for (const int32_t column : {kColK, kColM, kColO}) {
        ExpectTyped(sheet, {row, column}, plane_text::kLabelPositionDeviation, "");
      }
      return std::nullopt;
    }
    const auto x = NumberIn(sheet, {row, kColG}, plane_text::kLabelMeasuredX);
    const auto y = NumberIn(sheet, {row, kColI}, plane_text::kLabelMeasuredY);
    std::string_view mark;
    if (surveyed_ && x && y && (Beyond(*x, point.DesignX) || Beyond(*y, point.DesignY))) {
      mark = plane_text::kOutOfToleranceMark;
    }
    CheckCommonColumns(sheet, row, point, mark);
    if (x) {
      if (!surveyed_) {
        CheckDeviation(sheet, {row, kColG}, plane_text::kLabelMeasuredX, point.DesignX, *x);
      }
      ExpectTyped(sheet, {row, kColK}, plane_text::kLabelDeviationX,
                  DecimalText((*x - point.DesignX) * 1000.0, 0));
    }
    if (y) {
      if (!surveyed_) {
        CheckDeviation(sheet, {row, kColI}, plane_text::kLabelMeasuredY, point.DesignY, *y);
      }
      ExpectTyped(sheet, {row, kColM}, plane_text::kLabelDeviationY,
                  DecimalText((*y - point.DesignY) * 1000.0, 0));
    }
    if (!x || !y) return std::nullopt;
    const PlanePoint measured{"", *x, *y, 0};
    const PlanePoint design{"", point.DesignX, point.DesignY, 0};
    ExpectTyped(sheet, {row, kColO}, plane_text::kLabelPositionDeviation,
                DecimalText(PlaneDistance(measured, design) * 1000.0, 0));
    return measured;
  }

  void CheckStakeOutRow(const host::Worksheet& sheet, int32_t row, const PlaneInput& block,
                        const StakePoint& point, const std::optional<PlanePoint>& measured) {
    CheckCommonColumns(sheet, row, point);
    const PlanePoint design{"", point.DesignX, point.DesignY, 0};
    ExpectNumber(sheet, {row, kColG}, plane_text::kLabelAzimuth,
                 PlaneAzimuth(block.StationPoint, design) / 24.0);
    ExpectTyped(sheet, {row, kColI}, plane_text::kLabelDesignDistance,
                DecimalText(PlaneDistance(block.StationPoint, design), 3));
    if (measured) {
      ExpectTyped(sheet, {row, kColK}, plane_text::kLabelMeasuredDistance,
                  DecimalText(PlaneDistance(block.StationPoint, *measured), 3));
    } else if (surveyed_) {
      // A point not surveyed has no measured distance and no difference.
      ExpectTyped(sheet, {row, kColK}, plane_text::kLabelMeasuredDistance, "");
      ExpectTyped(sheet, {row, kColM}, plane_text::kLabelDistanceDifference, "");
      return;
    }
    // M follows from the distances the sheet shows, whatever they are.
    const auto design_distance = NumberIn(sheet, {row, kColI}, plane_text::kLabelDesignDistance);
    const auto measured_distance =
        NumberIn(sheet, {row, kColK}, plane_text::kLabelMeasuredDistance);
    if (design_distance && measured_distance) {
      ExpectTyped(sheet, {row, kColM}, plane_text::kLabelDistanceDifference,
                  detail::DistanceDifferenceText(*measured_distance, *design_distance));
    }
  }

  /// Rows after the last point must be empty in A:Q; with no points row 8 keeps what it held.
  void CheckStaleRows(const host::Worksheet& sheet, std::size_t point_count) {
    const auto used = sheet.UsedRange();
    if (!used) return;
    const int32_t first = kFirstRecordRow + std::max<int32_t>(1, static_cast<int32_t>(point_count));
    const int32_t last = std::min(used->last.row, kLastRecordRow);
    const int32_t last_column = std::min(used->last.column, kColQ);
    for (int32_t row = std::max(first, used->first.row); row <= last; ++row) {
      for (int32_t column = std::max(kColA, used->first.column); column <= last_column; ++column) {
        const host::CellValue value = sheet.Value({row, column});
        if (host::IsEmpty(value)) continue;
        Add(sheet.Name(), {row, column},
            std::string(plane_text::kStaleRow) + detail::DescribeValue(value));
        break;  // One finding per row is enough to point at it.
      }
    }
  }

  const host::Workbook& book_;
  const SurveySettings& settings_;
  const bool surveyed_;
  std::optional<MillimetreRange> range_;
  std::vector<CheckFinding> findings_;
};

}  // namespace

std::vector<CheckFinding> CheckPlaneTables(const host::Workbook& book,
                                           const SurveySettings& settings,
                                           PlaneRecordSource source) {
  return PlaneChecker(book, settings, source).Run();
}

}  // namespace vardex
