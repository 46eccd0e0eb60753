// Writes project workbooks for the samples and the benchmarks: a copy of the project template
// whose input sheet "数据输入" is filled from a sample file (examples/*.tsv), or with a synthetic
// road of any length up to the largest that the record tables hold.
//
//   vardex-make-project TEMPLATE SAMPLE.tsv OUTPUT.xlsx
//   vardex-make-project TEMPLATE --synthetic POINTS OUTPUT.xlsx

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/workbook.hpp"

namespace {

namespace fs = std::filesystem;
using vardex::host::CellRef;
using vardex::host::Workbook;
using vardex::host::Worksheet;

constexpr std::string_view kInputSheet = "数据输入";

// Where the input sheet keeps the control data (row, column).
constexpr CellRef kStationName{6, 1};     // A6
constexpr CellRef kStationX{4, 2};        // B4, B5, B6 below it
constexpr CellRef kBackSightName{6, 3};   // C6
constexpr CellRef kBackSightX{4, 4};      // D4, D5, D6 below it
constexpr CellRef kStartBenchmark{5, 5};  // E5, elevation in E6
constexpr CellRef kEndBenchmark{5, 6};    // F5, elevation in F6
constexpr int32_t kFirstPointRow = 8;     // columns A to F
constexpr int32_t kPointColumns = 6;
// "线路数据": its four tables start in row 5, in columns A, I, M and Q.
constexpr std::string_view kAlignmentSheet = "线路数据";
constexpr int32_t kAlignmentFirstRow = 5;
struct AlignmentTable {
  std::string_view keyword;
  int32_t column;
  std::size_t columns;
};
constexpr AlignmentTable kAlignmentTables[] = {
    {"alignment", 1, 7}, {"grade", 9, 3}, {"slope", 13, 3}, {"equation", 17, 2}};

// The stake-out tables hold points in rows 8 to 65535; the levelling record also needs a row for
// each benchmark and each turning point within rows 5 to 65536, so a round figure below both.
constexpr long kMaxSyntheticPoints = 65000;

CellRef Below(CellRef cell, int32_t rows) { return CellRef{cell.row + rows, cell.column}; }

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

// Types the fields of one sample line into consecutive cells, as a surveyor would type them:
// numbers become numbers, everything else text, empty fields stay empty.
void TypeAcross(Worksheet& sheet, CellRef first, const std::vector<std::string_view>& fields,
                std::size_t from) {
  for (std::size_t i = from; i < fields.size(); ++i) {
    const auto column = first.column + static_cast<int32_t>(i - from);
    if (!fields[i].empty()) sheet.SetValue(CellRef{first.row, column}, fields[i]);
  }
}

// Name in `name_cell`, then X, Y, H down the column that starts at `x_cell`.
void TypePlanePoint(Worksheet& sheet, CellRef name_cell, CellRef x_cell,
                    const std::vector<std::string_view>& fields) {
  sheet.SetValue(name_cell, fields[1]);
  for (std::size_t i = 0; i < 3; ++i) {
    sheet.SetValue(Below(x_cell, static_cast<int32_t>(i)), fields[2 + i]);
  }
}

void FillFromSample(Workbook& book, const fs::path& sample) {
  Worksheet& sheet = book.Sheet(kInputSheet);
  int32_t alignment_rows[std::size(kAlignmentTables)] = {};
  std::ifstream in(sample, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + sample.string());
  std::string line;
  int line_number = 0;
  int32_t row = kFirstPointRow;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const auto fields = SplitTabs(line);
    const auto fail = [&](const std::string& what) {
      throw std::runtime_error(sample.string() + ":" + std::to_string(line_number) + ": " + what);
    };
    const auto& keyword = fields.front();
    if (keyword == "station" || keyword == "backsight") {
      if (fields.size() != 5) fail("expected name, X, Y and H");
      if (keyword == "station") {
        TypePlanePoint(sheet, kStationName, kStationX, fields);
      } else {
        TypePlanePoint(sheet, kBackSightName, kBackSightX, fields);
      }
    } else if (keyword == "benchmarks") {
      if (fields.size() != 5) fail("expected start name, start H, end name and end H");
      sheet.SetValue(kStartBenchmark, fields[1]);
      sheet.SetValue(Below(kStartBenchmark, 1), fields[2]);
      sheet.SetValue(kEndBenchmark, fields[3]);
      sheet.SetValue(Below(kEndBenchmark, 1), fields[4]);
    } else if (keyword == "point") {
      // An empty name would end the point list early when the project is calculated.
      if (fields.size() < 2 || fields[1].empty()) fail("a point needs a name");
      if (fields.size() > 1 + kPointColumns) fail("more fields than columns A to F");
      TypeAcross(sheet, CellRef{row, 1}, fields, 1);
      ++row;
    } else if (const auto* table =
                   std::find_if(std::begin(kAlignmentTables), std::end(kAlignmentTables),
                                [&](const AlignmentTable& t) { return t.keyword == keyword; });
               table != std::end(kAlignmentTables)) {
      if (fields.size() < 2 || fields.size() > 1 + table->columns) {
        fail("expected 1 to " + std::to_string(table->columns) + " fields");
      }
      int32_t& taken = alignment_rows[table - std::begin(kAlignmentTables)];
      TypeAcross(book.Sheet(kAlignmentSheet), CellRef{kAlignmentFirstRow + taken, table->column},
                 fields, 1);
      ++taken;
    } else {
      fail("unknown keyword '" + std::string(keyword) + "'");
    }
  }
}

double ToMillimetre(double metres) { return std::round(metres * 1000.0) / 1000.0; }

// Design elevation of the synthetic road's centre line at `chainage` metres: a long swell with a
// shorter ripple on it, so that the line needs a turning point now and then but few enough for
// the levelling record to stay within the sheet at the largest size.
double SyntheticElevation(double chainage) {
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  return 100.0 + 1.5 * std::sin(kTwoPi * chainage / 5000.0) +
         0.2 * std::sin(kTwoPi * chainage / 700.0);
}

// A straight road every 20 m with its left edge, centre line and right edge (7.5 m offsets, 2 %
// crossfall), on a grid like the samples'.
void FillSynthetic(Worksheet& sheet, long points) {
  constexpr double kAzimuth = 40.0 * std::numbers::pi / 180.0;
  constexpr double kNorth0 = 3400000.0;
  constexpr double kEast0 = 500000.0;
  constexpr double kOffsets[] = {-7.5, 0.0, 7.5};
  const auto place = [&](double chainage, double offset, double& x, double& y) {
    x = ToMillimetre(kNorth0 + chainage * std::cos(kAzimuth) - offset * std::sin(kAzimuth));
    y = ToMillimetre(kEast0 + chainage * std::sin(kAzimuth) + offset * std::cos(kAzimuth));
  };

  double x = 0;
  double y = 0;
  place(0.0, 30.0, x, y);
  sheet.SetText(kStationName, "D1");
  sheet.SetValue(kStationX, x);
  sheet.SetValue(Below(kStationX, 1), y);
  sheet.SetValue(Below(kStationX, 2), ToMillimetre(SyntheticElevation(0.0) + 1.2));
  place(-200.0, 25.0, x, y);
  sheet.SetText(kBackSightName, "D0");
  sheet.SetValue(kBackSightX, x);
  sheet.SetValue(Below(kBackSightX, 1), y);
  sheet.SetValue(Below(kBackSightX, 2), ToMillimetre(SyntheticElevation(-200.0)));

  const double last_chainage = static_cast<double>((points + 2) / 3) * 20.0;
  sheet.SetText(kStartBenchmark, "BM1");
  sheet.SetValue(Below(kStartBenchmark, 1), ToMillimetre(SyntheticElevation(-40.0) - 0.4));
  sheet.SetText(kEndBenchmark, "BM2");
  sheet.SetValue(Below(kEndBenchmark, 1), ToMillimetre(SyntheticElevation(last_chainage) - 0.3));

  for (long i = 0; i < points; ++i) {
    const long station = i / 3;
    const double offset = kOffsets[i % 3];
    const double chainage = static_cast<double>(station) * 20.0;
    const auto row = kFirstPointRow + static_cast<int32_t>(i);
    const long metres = station * 20;
    std::string name = "K" + std::to_string(metres / 1000) + "+";
    const auto rest = std::to_string(metres % 1000);
    name += std::string(3 - rest.size(), '0') + rest;
    place(chainage, offset, x, y);
    sheet.SetText(CellRef{row, 1}, name);
    sheet.SetValue(CellRef{row, 2}, offset);
    sheet.SetValue(CellRef{row, 3}, x);
    sheet.SetValue(CellRef{row, 4}, y);
    sheet.SetValue(CellRef{row, 5},
                   ToMillimetre(SyntheticElevation(chainage) - 0.02 * std::abs(offset)));
  }
}

long ParsePointCount(std::string_view text) {
  long count = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count < 0 ||
      count > kMaxSyntheticPoints) {
    throw std::runtime_error("the number of points must be a whole number from 0 to " +
                             std::to_string(kMaxSyntheticPoints) + ", not '" + std::string(text) +
                             "'");
  }
  return count;
}

int Usage() {
  std::cerr << "usage: vardex-make-project TEMPLATE SAMPLE.tsv OUTPUT.xlsx\n"
               "       vardex-make-project TEMPLATE --synthetic POINTS OUTPUT.xlsx\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const bool synthetic = args.size() == 4 && args[1] == "--synthetic";
  if (args.size() != 3 && !synthetic) return Usage();
  try {
    const fs::path output(args.back());
    const long points = synthetic ? ParsePointCount(args[2]) : 0;
    Workbook book = Workbook::Open(fs::path(args[0]));
    if (synthetic) {
      FillSynthetic(book.Sheet(kInputSheet), points);
    } else {
      FillFromSample(book, fs::path(args[1]));
    }
    if (output.has_parent_path()) fs::create_directories(output.parent_path());
    book.SaveAs(output);
  } catch (const std::exception& e) {
    std::cerr << "vardex-make-project: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
