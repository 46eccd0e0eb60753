// Reading and writing the tables of "线路数据".
#include "alignment/alignment_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_texts.hpp"
#include "host/cell_ref.hpp"
#include "host/path_text.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

namespace t = alignment_text;
using host::CellRef;
using host::CellValue;

constexpr int32_t kFirstRow = 5;
// Columns of the four tables.
enum Column : int32_t {
  kName = 1,
  kX,
  kY,
  kStation,
  kRadius,
  kSpiralIn,
  kSpiralOut,
  kGradeStation = 9,
  kGradeElevation,
  kGradeRadius,
  kSlopeStation = 13,
  kSlopeLeft,
  kSlopeRight,
  kBack = 17,
  kAhead,
};

std::string FileName(const host::Workbook& book) { return host::PathText(book.Path().filename()); }

bool IsBlank(const CellValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return host::IsEmpty(value) ||
         (text != nullptr && text->find_first_not_of(' ') == std::string::npos);
}

std::string Describe(const CellValue& value) {
  if (host::IsEmpty(value)) return std::string(t::kEmptyCell);
  if (const auto* number = std::get_if<double>(&value))
    return t::Quoted(GeneralNumberText(*number));
  if (const auto* text = std::get_if<std::string>(&value)) return t::Quoted(*text);
  if (const auto* flag = std::get_if<bool>(&value)) {
    return std::string(t::kBooleanValue) + t::Quoted(*flag ? "TRUE" : "FALSE");
  }
  return std::string(t::kErrorValue) + t::Quoted(std::get<host::ErrorValue>(value).code);
}

class SheetReader {
 public:
  SheetReader(const host::Worksheet& sheet, std::string file)
      : sheet_(sheet), file_(std::move(file)) {}

  std::string Place(int32_t row, int32_t column) const {
    return t::CellPlace(file_, t::kSheet, host::FormatCellRef({row, column}));
  }
  bool Blank(int32_t row, int32_t column) const { return IsBlank(sheet_.Value({row, column})); }
  std::string Name(int32_t row, int32_t column) const {
    std::string text = sheet_.Text({row, column});
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  }
  // A number; empty for an empty cell.
  std::optional<double> Number(int32_t row, int32_t column) const {
    const CellValue value = sheet_.Value({row, column});
    if (IsBlank(value)) return std::nullopt;
    if (const auto* number = std::get_if<double>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) {
      if (const auto parsed = ParseNumericText(*text); parsed && std::isfinite(*parsed)) {
        return parsed;
      }
    }
    throw AlignmentError(t::At(Place(row, column), std::string(t::kNotANumber) + Describe(value)));
  }
  double Required(int32_t row, int32_t column) const {
    if (const auto number = Number(row, column)) return *number;
    throw AlignmentError(
        t::At(Place(row, column), std::string(t::kNotANumber) + std::string(t::kEmptyCell)));
  }
  std::optional<double> Station(int32_t row, int32_t column) const {
    const CellValue value = sheet_.Value({row, column});
    if (IsBlank(value)) return std::nullopt;
    if (const auto* number = std::get_if<double>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) {
      if (const auto parsed = ParseStation(*text)) return parsed;
    }
    throw AlignmentError(t::At(Place(row, column), std::string(t::kNotAStation) + Describe(value)));
  }
  // Calls `read_row` for each row from the first down to the first empty cell in `column`.
  template <typename ReadRow>
  void EachRow(int32_t column, ReadRow read_row) const {
    for (int32_t row = kFirstRow; row <= host::kMaxRows && !Blank(row, column); ++row) {
      read_row(row);
    }
  }
  double RequiredStation(int32_t row, int32_t column) const {
    if (const auto station = Station(row, column)) return *station;
    throw AlignmentError(
        t::At(Place(row, column), std::string(t::kNotAStation) + std::string(t::kEmptyCell)));
  }

 private:
  const host::Worksheet& sheet_;
  std::string file_;
};

// Stations written back: at least to the millimetre, more places only where the value has them.
std::string StationCellText(double station) {
  constexpr double kScales[] = {1e3, 1e4, 1e5};  // exact, unlike some systems' pow(10, n)
  for (int decimals = 3; decimals < 6; ++decimals) {
    const double scale = kScales[decimals - 3];
    if (std::fabs(std::round(station * scale) / scale - station) < 1e-9) {
      return StationText(station, decimals);
    }
  }
  return StationText(station, 6);
}

}  // namespace

AlignmentInput ReadAlignmentSheet(const host::Workbook& book) {
  const std::string file = FileName(book);
  const host::Worksheet* sheet = book.FindSheet(t::kSheet);
  if (sheet == nullptr || sheet->Name() != t::kSheet) throw AlignmentError(t::NoSheet(file));
  const SheetReader read(*sheet, file);

  AlignmentInput input;
  input.Place = t::SheetPlace(file, t::kSheet);
  read.EachRow(kName, [&](int32_t row) {
    AlignmentPoint point;
    point.Name = read.Name(row, kName);
    point.X = read.Required(row, kX);
    point.Y = read.Required(row, kY);
    point.Station = read.Station(row, kStation);
    point.Radius = read.Number(row, kRadius).value_or(0.0);
    point.SpiralIn = read.Number(row, kSpiralIn).value_or(0.0);
    point.SpiralOut = read.Number(row, kSpiralOut).value_or(0.0);
    point.Where = {read.Place(row, kName),     read.Place(row, kX),      read.Place(row, kY),
                   read.Place(row, kStation),  read.Place(row, kRadius), read.Place(row, kSpiralIn),
                   read.Place(row, kSpiralOut)};
    input.Points.push_back(std::move(point));
  });
  read.EachRow(kGradeStation, [&](int32_t row) {
    input.Grades.push_back({read.RequiredStation(row, kGradeStation),
                            read.Required(row, kGradeElevation),
                            read.Number(row, kGradeRadius).value_or(0.0),
                            {read.Place(row, kGradeStation), read.Place(row, kGradeElevation),
                             read.Place(row, kGradeRadius)}});
  });
  read.EachRow(kSlopeStation, [&](int32_t row) {
    input.Slopes.push_back({read.RequiredStation(row, kSlopeStation),
                            read.Required(row, kSlopeLeft),
                            read.Required(row, kSlopeRight),
                            {read.Place(row, kSlopeStation), read.Place(row, kSlopeLeft),
                             read.Place(row, kSlopeRight)}});
  });
  read.EachRow(kBack, [&](int32_t row) {
    input.Equations.push_back(
        {{read.RequiredStation(row, kBack), read.RequiredStation(row, kAhead)},
         {read.Place(row, kBack), read.Place(row, kAhead)}});
  });
  return input;
}

void WriteAlignmentSheet(host::Workbook& book, const AlignmentInput& input) {
  host::Worksheet* sheet = book.FindSheet(t::kSheet);
  if (sheet == nullptr || sheet->Name() != t::kSheet) {
    throw AlignmentError(t::NoSheet(FileName(book)));
  }
  const int32_t last = std::max(kFirstRow, sheet->UsedRange() ? sheet->UsedRange()->last.row : 0);
  sheet->ClearContents({{kFirstRow, kName}, {last, kSpiralOut}});
  sheet->ClearContents({{kFirstRow, kGradeStation}, {last, kGradeRadius}});
  sheet->ClearContents({{kFirstRow, kBack}, {last, kAhead}});

  int32_t row = kFirstRow;
  for (std::size_t i = 0; i < input.Points.size(); ++i, ++row) {
    const AlignmentPoint& point = input.Points[i];
    sheet->SetText({row, kName}, point.Name);
    sheet->SetValue({row, kX}, point.X);
    sheet->SetValue({row, kY}, point.Y);
    if (point.Station) sheet->SetText({row, kStation}, StationCellText(*point.Station));
    if (i == 0 || i + 1 == input.Points.size()) continue;
    sheet->SetValue({row, kRadius}, point.Radius);
    if (point.SpiralIn > 0) sheet->SetValue({row, kSpiralIn}, point.SpiralIn);
    if (point.SpiralOut > 0) sheet->SetValue({row, kSpiralOut}, point.SpiralOut);
  }
  row = kFirstRow;
  for (const GradePoint& grade : input.Grades) {
    sheet->SetText({row, kGradeStation}, StationCellText(grade.Station));
    sheet->SetValue({row, kGradeElevation}, grade.Elevation);
    if (grade.Radius > 0) sheet->SetValue({row, kGradeRadius}, grade.Radius);
    ++row;
  }
  row = kFirstRow;
  for (const EquationRow& equation : input.Equations) {
    sheet->SetText({row, kBack}, StationCellText(equation.Value.Back));
    sheet->SetText({row, kAhead}, StationCellText(equation.Value.Ahead));
    ++row;
  }
}

}  // namespace vardex
