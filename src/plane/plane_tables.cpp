// Writes the stake-out record and the plane position inspection table.
#include "plane/plane_tables.hpp"

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "numeric/number_text.hpp"
#include "plane/input_cells.hpp"
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

constexpr host::RangeRef kClearedRows{{kFirstRecordRow + 1, kColA}, {kLastRecordRow, kColQ}};

/// What one point puts into the two sheets, worked out before anything is written.
struct RowValues {
  double azimuth_day_fraction = 0;      // G of the stake-out record
  std::string design_distance_text;     // I
  std::string measured_distance_text;   // K
  std::string deviation_x_text;         // K of the inspection table
  std::string deviation_y_text;         // M
  std::string position_deviation_text;  // O
};

bool AllFinite(std::initializer_list<double> values) {
  for (const double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

host::HostError NotFiniteError(const host::Workbook& book, host::CellRef input_cell) {
  return host::HostError(host::kErrOverflow, detail::SheetLocation(book, plane_text::kInputSheet) +
                                                 std::string(plane_text::kCellLead) +
                                                 host::FormatCellRef(input_cell) +
                                                 std::string(plane_text::kWhatSeparator) +
                                                 std::string(plane_text::kNotFinite));
}

RowValues PlanRow(const host::Workbook& book, const PlaneInput& input, const StakePoint& point,
                  int32_t row) {
  const PlanePoint design{"", point.DesignX, point.DesignY, 0};
  const PlanePoint measured{"", point.MeasuredX, point.MeasuredY, 0};
  const double azimuth = PlaneAzimuth(input.StationPoint, design);
  const double design_distance = PlaneDistance(input.StationPoint, design);
  const double measured_distance = PlaneDistance(input.StationPoint, measured);
  const double dx_mm = (point.MeasuredX - point.DesignX) * 1000.0;
  const double dy_mm = (point.MeasuredY - point.DesignY) * 1000.0;
  const double position_mm = PlaneDistance(measured, design) * 1000.0;
  if (!AllFinite({point.DesignX, point.DesignY, point.MeasuredX, point.MeasuredY, azimuth,
                  design_distance, measured_distance, dx_mm, dy_mm, position_mm})) {
    throw NotFiniteError(book, {row, kColC});
  }
  RowValues values;
  values.azimuth_day_fraction = azimuth / 24.0;
  values.design_distance_text = DecimalText(design_distance, 3);
  values.measured_distance_text = DecimalText(measured_distance, 3);
  values.deviation_x_text = DecimalText(dx_mm, 0);
  values.deviation_y_text = DecimalText(dy_mm, 0);
  values.position_deviation_text = DecimalText(position_mm, 0);
  return values;
}

void WriteHeader(host::Worksheet& sheet, const std::array<detail::HeaderCell, 10>& header) {
  for (const auto& cell : header) sheet.SetValue(cell.cell, cell.text);
}

/// Name, side text and design coordinates, the columns both tables share.
void WriteRowStart(host::Worksheet& sheet, int32_t row, const StakePoint& point) {
  sheet.SetValue({row, kColA}, point.Name);
  sheet.SetValue({row, kColP}, point.SideText);
  sheet.SetValue({row, kColC}, point.DesignX);
  sheet.SetValue({row, kColE}, point.DesignY);
}

double WrittenNumber(const host::Worksheet& sheet, host::CellRef cell) {
  // Texts like "25." were put as typed and read back as numbers.
  return detail::ReadNumber(sheet, cell);
}

}  // namespace

void ExtendRecordRows(host::Workbook& book, int32_t n) {
  if (n <= 11) return;
  const int64_t last_row = int64_t{n} + kFirstRecordRow;
  host::Worksheet& sheet = book.ActiveSheet();
  if (last_row > host::kMaxRows) {
    throw host::HostError(host::kErrCannotOpen, detail::SheetLocation(book, sheet.Name()) +
                                                    std::string(plane_text::kWhatSeparator) +
                                                    std::string(plane_text::kRowRangeTooLong) +
                                                    "A9:Q" + std::to_string(last_row));
  }
  sheet.Copy({{kFirstRecordRow, kColA}, {kFirstRecordRow, kColQ}});
  sheet.Select({{kFirstRecordRow + 1, kColA}, {static_cast<int32_t>(last_row), kColQ}});
  // One copied row pasted into n rows repeats it n times: formats, borders, merges, values.
  sheet.Paste();
  book.SetCutCopyMode(false);
  sheet.Select({{kFirstRecordRow, kColA}, {kFirstRecordRow, kColA}});
}

void WritePlaneTables(host::Workbook& book, const PlaneInput& input) {
  host::Worksheet* stake_out = detail::FindSheet(book, plane_text::kStakeOutSheet);
  if (stake_out == nullptr) throw detail::MissingSheetError(book, plane_text::kStakeOutSheet);
  host::Worksheet* inspection = detail::FindSheet(book, plane_text::kInspectionSheet);
  if (inspection == nullptr) throw detail::MissingSheetError(book, plane_text::kInspectionSheet);

  const std::vector<StakePoint>& points = input.StakePoints;
  // A longer list would end below the cleared rows, and a later, shorter run would leave its
  // tail standing.
  if (points.size() > static_cast<std::size_t>(kMaxStakePoints)) {
    throw host::HostError(
        host::kErrCannotOpen,
        detail::SheetLocation(book, plane_text::kInputSheet) + std::string(plane_text::kCellLead) +
            host::FormatCellRef({kFirstRecordRow + kMaxStakePoints, kColA}) +
            std::string(plane_text::kWhatSeparator) + std::string(plane_text::kTooManyPoints) +
            std::to_string(points.size()) + std::string(plane_text::kTooManyPointsEnd) +
            std::to_string(kMaxStakePoints) + std::string(plane_text::kTooManyPointsUnit));
  }
  const int32_t last_index = static_cast<int32_t>(points.size()) - 1;

  const PlanePoint& station = input.StationPoint;
  const double back_sight_azimuth = PlaneAzimuth(station, input.BackSightPoint);
  const double back_sight_distance = PlaneDistance(station, input.BackSightPoint);
  if (!AllFinite({back_sight_azimuth, back_sight_distance})) {
    throw NotFiniteError(book, {4, 2});
  }
  const std::string azimuth_text = AngleToDmsText(back_sight_azimuth);

  std::vector<RowValues> rows;
  rows.reserve(points.size());
  for (std::size_t j = 0; j < points.size(); ++j) {
    rows.push_back(PlanRow(book, input, points[j], kFirstRecordRow + static_cast<int32_t>(j)));
  }

  // Stake-out record.
  stake_out->Activate();
  WriteHeader(*stake_out, detail::HeaderCells(station, input.BackSightPoint, back_sight_distance,
                                              azimuth_text, detail::kColN));
  stake_out->ClearContents(kClearedRows);
  ExtendRecordRows(book, last_index);
  for (int32_t j = 0; j <= last_index; ++j) {
    const int32_t row = kFirstRecordRow + j;
    const StakePoint& point = points[static_cast<std::size_t>(j)];
    const RowValues& values = rows[static_cast<std::size_t>(j)];
    WriteRowStart(*stake_out, row, point);
    stake_out->SetValue({row, kColG}, values.azimuth_day_fraction);
    stake_out->SetValue({row, kColI}, values.design_distance_text);
    stake_out->SetValue({row, kColK}, values.measured_distance_text);
    // From the distances as they now stand in the sheet, i.e. rounded to millimetres: M is the
    // difference of the two shown distances, never a hidden fraction of a millimetre.
    stake_out->SetValue({row, kColM},
                        detail::DistanceDifferenceText(WrittenNumber(*stake_out, {row, kColK}),
                                                       WrittenNumber(*stake_out, {row, kColI})));
  }

  // Plane position inspection table.
  inspection->Activate();
  WriteHeader(*inspection, detail::HeaderCells(station, input.BackSightPoint, back_sight_distance,
                                               azimuth_text, kColM));
  inspection->ClearContents(kClearedRows);
  ExtendRecordRows(book, last_index);
  for (int32_t j = 0; j <= last_index; ++j) {
    const int32_t row = kFirstRecordRow + j;
    const StakePoint& point = points[static_cast<std::size_t>(j)];
    const RowValues& values = rows[static_cast<std::size_t>(j)];
    WriteRowStart(*inspection, row, point);
    inspection->SetValue({row, kColG}, point.MeasuredX);
    inspection->SetValue({row, kColI}, point.MeasuredY);
    inspection->SetValue({row, kColK}, values.deviation_x_text);
    inspection->SetValue({row, kColM}, values.deviation_y_text);
    inspection->SetValue({row, kColO}, values.position_deviation_text);
  }
}

void GeneratePlaneTables(host::Workbook& book, const SurveySettings& settings,
                         RandomSource& random) {
  WritePlaneTables(book, LoadPlaneInput(book, settings, random));
}

}  // namespace vardex
