// The sample projects built from examples/*.tsv, and the synthetic projects for the benchmarks:
// each holds what it is meant to show when calculated.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/workbook.hpp"
#include "support/project_book.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;

struct PointRow {
  CellValue name, offset, x, y, design, measured;
};

// The point rows as the calculation reads them: from row 8 down to the first empty name.
std::vector<PointRow> Points(const Worksheet& input) {
  std::vector<PointRow> points;
  for (int32_t row = 8;; ++row) {
    const auto at = [&](int32_t column) { return input.Value(CellRef{row, column}); };
    if (IsEmpty(at(1))) return points;
    points.push_back({at(1), at(2), at(3), at(4), at(5), at(6)});
  }
}

double Number(const CellValue& value) {
  const auto* number = std::get_if<double>(&value);
  return number != nullptr ? *number : -1e300;
}

bool IsText(const CellValue& value) { return std::holds_alternative<std::string>(value); }

// The control block every calculation needs: station and back-sight with coordinates, both
// benchmarks with names and elevations.
void ExpectControlBlock(const Worksheet& input) {
  for (const char* cell : {"A6", "C6", "E5", "F5"}) {
    EXPECT_FALSE(IsEmpty(input.Value(*ParseCellRef(cell)))) << cell;
  }
  for (const char* cell : {"B4", "B5", "B6", "D4", "D5", "D6", "E6", "F6"}) {
    EXPECT_GT(Number(input.Value(*ParseCellRef(cell))), 0) << cell;
  }
}

// Every point with coordinates and a design elevation, all measured elevations left to the
// simulation.
TEST(Samples, RoadSectionIsReadyToCalculate) {
  const Workbook book = Workbook::Open(test::ExampleFile("road-k1"));
  const Worksheet& input = book.Sheet("数据输入");
  ExpectControlBlock(input);
  const auto points = Points(input);
  ASSERT_FALSE(points.empty());
  double lowest = 1e300;
  double highest = -1e300;
  for (const auto& p : points) {
    EXPECT_GT(Number(p.x), 0);
    EXPECT_GT(Number(p.y), 0);
    EXPECT_TRUE(IsEmpty(p.measured));
    lowest = std::min(lowest, Number(p.design));
    highest = std::max(highest, Number(p.design));
  }
  EXPECT_GT(lowest, 0);
  // More rise than one set-up can read on the default 0.2 m to 4.8 m staff, so the record needs
  // turning points; and the road falls again after its summit.
  EXPECT_GT(highest - lowest, 4.8 - 0.2);
  EXPECT_LT(Number(points.front().design), highest);
  EXPECT_LT(Number(points.back().design), highest);
}

TEST(Samples, BridgeSectionExercisesTheRest) {
  const Workbook book = Workbook::Open(test::ExampleFile("bridge-k3"));
  const Worksheet& input = book.Sheet("数据输入");
  ExpectControlBlock(input);
  const auto points = Points(input);
  EXPECT_GT(points.size(), 12u);  // the plane tables repeat their record row
  const auto count = [&](auto predicate) {
    return std::count_if(points.begin(), points.end(), predicate);
  };
  EXPECT_GE(count([](const PointRow& p) { return !IsEmpty(p.measured); }), 2);
  EXPECT_GE(count([](const PointRow& p) { return IsEmpty(p.design); }), 1);
  EXPECT_GE(count([](const PointRow& p) { return IsText(p.offset); }), 3);  // remarks
  EXPECT_GE(count([](const PointRow& p) { return Number(p.offset) < 0; }), 1);
  EXPECT_GE(count([](const PointRow& p) { return Number(p.offset) == 0; }), 1);
}

int MakeProject(const std::string& arguments) {
  // The system's own spelling of the program's path (a drive letter under Wine, where "/..." would
  // read as an option of the shell).
  const fs::path program = fs::absolute(VARDEX_MAKE_PROJECT).make_preferred();
  std::string command =
      "\"" + program.string() + "\" \"" + test::TemplateFile().string() + "\" " + arguments;
#ifdef _WIN32
  command = "\"" + command + "\"";  // cmd.exe takes off the outer pair of quotes
#endif
  return std::system(command.c_str());
}

TEST(Samples, SyntheticProjectHasTheAskedNumberOfPoints) {
  const fs::path out = fs::path(testing::TempDir()) / "synthetic-40.xlsx";
  fs::remove(out);
  ASSERT_EQ(MakeProject("--synthetic 40 \"" + out.string() + "\""), 0);
  const Workbook book = Workbook::Open(out);
  const Worksheet& input = book.Sheet("数据输入");
  ExpectControlBlock(input);
  const auto points = Points(input);
  ASSERT_EQ(points.size(), 40u);
  EXPECT_EQ(std::get<std::string>(points.front().name), "K0+000");
  EXPECT_EQ(std::get<std::string>(points.back().name), "K0+260");  // 13 stations of 3, then 1
}

TEST(Samples, SyntheticProjectRefusesMoreThanTheTablesHold) {
  const fs::path out = fs::path(testing::TempDir()) / "synthetic-too-big.xlsx";
  fs::remove(out);
  EXPECT_NE(MakeProject("--synthetic 65001 \"" + out.string() + "\" 2>/dev/null"), 0);
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace vardex::host
