// The plane tables of surveyed points: pairing by name, the deviations a total station really
// measured, the marks of points out of tolerance and not surveyed, and their check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plane/measured_tables.hpp"
#include "plane/plane_check.hpp"
#include "support/project_book.hpp"

namespace vardex {
namespace {

using test::kInspection;
using test::kStakeOut;
using test::TextAt;
using test::Typed;

// Station T1 (1000, 1000), back-sight T2; P1 and P2 share a name and differ by side, P3 has a
// remark, P4 a plain name.
host::Workbook Project() {
  host::Workbook book = test::MakeProjectBook();
  test::TypePlaneInput(book, std::string("T1"), 1000, 1000, 50, std::string("T2"), 1100, 1000, 51,
                       {{std::string("K1"), -2.5, 1010.0, 1010.0},
                        {std::string("K1"), 2.5, 1012.0, 1008.0},
                        {std::string("P3"), std::string("涵洞进口"), 990.0, 1020.0},
                        {std::string("P4"), Typed{}, 1000.0, 950.0}});
  return book;
}

SurveyedPoint At(const char* name, double x, double y, int32_t line) {
  return {name, x, y, std::nullopt, {"s.csv", line}};
}

// K1 left by +3 and -2 mm (shown 3, -2, position 4); K1 right (named in ASCII as instruments
// write it) by +6 mm in X, beyond the default ±5; P3 not surveyed; P4 by -5 and +5 (inside, the
// bounds count); T1 the station; ZZ no point of the project.
TEST(MeasuredTables, PairsMarksAndChecks) {
  host::Workbook book = Project();
  const PlaneInput input = ReadPlaneInputSheet(book);
  const std::vector<SurveyedPoint> surveyed = {
      At("T1", 1000, 1000, 1), At("K1左2.5米", 1010.003, 1009.998, 2),
      At("k1r2.5", 1012.006, 1008, 3), At("P4", 999.995, 950.005, 4), At("ZZ", 1, 1, 5)};
  const StakeoutMatch match = MatchStakeMeasurements(input, surveyed, SurveySettings{});
  EXPECT_EQ(match.Measured, (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(match.OutOfTolerance, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(match.ControlPoints, std::vector<std::string>{"T1"});
  ASSERT_EQ(match.NotInProject.size(), 1u);
  EXPECT_EQ(match.NotInProject[0].Where, "文件“s.csv”第 5 行");
  ASSERT_EQ(match.NotMeasured.size(), 1u);
  EXPECT_EQ(match.NotMeasured[0].Where, "数据输入 A10");

  WriteMeasuredPlaneTables(book, match);
  const host::Worksheet& inspection = book.Sheet(kInspection);
  EXPECT_EQ(test::NumberAt(inspection, {8, 11}), 3);
  EXPECT_EQ(test::NumberAt(inspection, {8, 13}), -2);
  EXPECT_EQ(test::NumberAt(inspection, {8, 15}), 4);
  EXPECT_EQ(TextAt(inspection, {8, 16}), "左2.5米");
  EXPECT_EQ(TextAt(inspection, {9, 16}), "右2.5米 超限");
  EXPECT_TRUE(host::IsEmpty(inspection.Value({10, 7})));
  EXPECT_TRUE(host::IsEmpty(inspection.Value({10, 15})));
  EXPECT_EQ(TextAt(inspection, {10, 16}), "涵洞进口 未测");
  EXPECT_TRUE(host::IsEmpty(inspection.Value({11, 16})));
  EXPECT_TRUE(host::IsEmpty(book.Sheet(kStakeOut).Value({10, 11})));

  const auto findings = CheckPlaneTables(book, SurveySettings{}, PlaneRecordSource::Surveyed);
  EXPECT_TRUE(findings.empty()) << test::DumpFindings(findings);
  // The same tables judged as drawn ones break the generator's rules (6 mm beyond the draw).
  EXPECT_FALSE(CheckPlaneTables(book, SurveySettings{}).empty());

  // A mark that no longer follows the deviation is found.
  book.Sheet(kInspection).SetValue({9, 16}, std::string_view("右2.5米"));
  EXPECT_TRUE(test::HasFindingAt(
      CheckPlaneTables(book, SurveySettings{}, PlaneRecordSource::Surveyed), kInspection, "P9"));
}

TEST(MeasuredTables, APointSurveyedTwiceIsRefused) {
  const host::Workbook book = Project();
  const PlaneInput input = ReadPlaneInputSheet(book);
  struct Case {
    std::vector<SurveyedPoint> surveyed;
    const char* expected;
  };
  const Case cases[] = {
      {{At("P4", 1, 1, 2), At("p4", 1, 1, 7)},
       "文件“s.csv”第 7 行：点名“p4”重复：该放样点已在文件“s.csv”第 2 行测过"},
      {{At("K1左2.5米", 1, 1, 2), At("K1L2.5", 1, 1, 3)}, "第 3 行：点名“K1L2.5”重复"},
  };
  for (const Case& c : cases) {
    try {
      MatchStakeMeasurements(input, c.surveyed, SurveySettings{});
      ADD_FAILURE() << c.expected;
    } catch (const host::HostError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vardex
