// Reading the plane block of "数据输入": cells, the end of the list, draws and failures.
#include "plane/plane_input.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "host/host_error.hpp"
#include "plane/plane_tables.hpp"
#include "support/expect_error.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

TEST(LoadPlaneInputTest, ReadsStationBackSightAndPointsWithScriptedDraws) {
  host::Workbook book =
      test::MakePlaneProject(std::string("T1"), 1000, 1000, 50.25, 512.125, 1100, 990, 49.5,
                             {{std::string("P1"), -2.5, 1010.0, 1010.0},
                              {0.0, std::string(" K1+200 "), std::string("20.5"), Typed{}},
                              {std::string("P3"), 0.0, 1.0, 2.0}});
  auto random = MakeScriptedRandomSource({3, -2, 5, -5, 0, 1});
  const PlaneInput input = LoadPlaneInput(book, SurveySettings{}, *random);

  EXPECT_EQ(input.StationPoint.Name, "T1");
  EXPECT_EQ(input.StationPoint.X, 1000);
  EXPECT_EQ(input.StationPoint.H, 50.25);
  EXPECT_EQ(input.BackSightPoint.Name, "512.125");  // a number's value as text
  EXPECT_EQ(input.BackSightPoint.Y, 990);
  EXPECT_EQ(input.BackSightPoint.H, 49.5);

  ASSERT_EQ(input.StakePoints.size(), 3u);
  const StakePoint& p1 = input.StakePoints[0];
  EXPECT_EQ(p1.Name, "P1");
  EXPECT_EQ(p1.SideText, "左2.5米");
  EXPECT_EQ(p1.MeasuredX, 1010 + 0.003);  // X draws first
  EXPECT_EQ(p1.MeasuredY, 1010 - 0.002);

  const StakePoint& p2 = input.StakePoints[1];
  EXPECT_EQ(p2.Name, "0");  // a point named 0 does not end the list
  EXPECT_EQ(p2.SideText, "K1+200");
  EXPECT_EQ(p2.DesignX, 20.5);  // a numeric text reads as its number
  EXPECT_EQ(p2.DesignY, 0);     // an empty number cell reads as 0
  EXPECT_EQ(p2.MeasuredX, 20.5 + 0.005);
  EXPECT_EQ(p2.MeasuredY, -0.005);

  EXPECT_EQ(input.StakePoints[2].SideText, "中");
  EXPECT_EQ(input.StakePoints[2].MeasuredX, 1.0);
  EXPECT_EQ(input.StakePoints[2].MeasuredY, 2.001);
}

// Rows below the first empty name are never read, not even for garbage; every point read draws
// X then Y, and an empty list draws nothing.
TEST(LoadPlaneInputTest, ListEndsAtFirstEmptyName) {
  for (const int count : {0, 13}) {
    SCOPED_TRACE(count);
    host::Workbook book = MakeProjectBook();
    std::vector<PlaneRow> rows;
    for (int i = 0; i < count; ++i) rows.push_back({"N" + std::to_string(i), Typed{}, 1.0, 2.0});
    rows.push_back({});
    rows.push_back({std::string("late"), Typed{}, std::string("not a number"), Typed{}});
    TypePlaneInput(book, Typed{}, 0, 0, 0, Typed{}, 0, 0, 0, rows);
    RecordingSource random;
    const PlaneInput input = LoadPlaneInput(book, SurveySettings{}, random);
    ASSERT_EQ(input.StakePoints.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(random.draws.size(), 2u * count);
    EXPECT_EQ(input.StationPoint.Name, "");
  }
}

// The tolerances round to whole millimetres, ties to even; reversed bounds are drawn as given.
TEST(LoadPlaneInputTest, DeviationsAreWholeMillimetresOverTheRoundedRange) {
  struct Case {
    double minus, plus;
    RecordingSource::Draw window;
  };
  const Case cases[] = {
      {-5, 5, {-5, 5}}, {-5.5, 4.5, {-6, 4}}, {-2.5, 3.5, {-2, 4}},
      {3, -3, {3, -3}}, {0, 0, {0, 0}},       {-0.4, 0.4, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.minus) + " .. " + std::to_string(c.plus));
    host::Workbook book = test::MakePlaneProject(
        Typed{}, 0, 0, 0, Typed{}, 0, 0, 0, {{std::string("P"), Typed{}, 3512345.678, 512345.678}});
    const SurveySettings settings{.PlaneTolMinus = c.minus, .PlaneTolPlus = c.plus};
    RecordingSource random;
    const PlaneInput input = LoadPlaneInput(book, settings, random);
    EXPECT_EQ(random.draws, (std::vector<RecordingSource::Draw>{c.window, c.window}));
    EXPECT_DOUBLE_EQ(input.StakePoints[0].MeasuredX, 3512345.678 + c.window.lo / 1000.0);
    EXPECT_DOUBLE_EQ(input.StakePoints[0].MeasuredY, 512345.678 + c.window.lo / 1000.0);
  }
}

struct BadCell {
  const char* cell;
  int row;
  int column;
};

TEST(LoadPlaneInputTest, NonNumericCellIsErrorNamingSheetAndCellAndNothingIsWritten) {
  const BadCell cases[] = {{"B4", 4, 2}, {"B6", 6, 2}, {"D4", 4, 4},
                           {"D6", 6, 4}, {"C8", 8, 3}, {"D9", 9, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cell);
    host::Workbook book = test::MakePlaneProject(
        std::string("S"), 1, 2, 3, std::string("B"), 4, 5, 6,
        {{std::string("P1"), Typed{}, 1.0, 2.0}, {std::string("P2"), Typed{}, 3.0, 4.0}});
    book.Sheet(kInput).SetText({c.row, c.column}, "12a");
    auto random = MakeSeededRandomSource(1);
    EXPECT_HOST_ERROR(GeneratePlaneTables(book, SurveySettings{}, *random), host::kErrTypeMismatch,
                      kInput, std::string(" ") + c.cell, "12a");
    for (const auto& name : {test::kStakeOut, test::kInspection}) {
      EXPECT_FALSE(book.Sheet(name).UsedRange().has_value()) << name;
    }
  }
}

TEST(LoadPlaneInputTest, MissingInputSheetAndToleranceBeyond32BitsAreErrors) {
  host::Workbook no_input;
  no_input.AddSheet(test::kStakeOut);
  host::Workbook project = MakeProjectBook();
  TypePlaneInput(project, Typed{}, 0, 0, 0, Typed{}, 0, 0, 0,
                 {{std::string("P"), Typed{}, 1.0, 1.0}});
  const std::tuple<host::Workbook*, SurveySettings, int, std::string> cases[] = {
      {&no_input, {}, host::kErrSubscript, kInput},
      {&project, {.PlaneTolPlus = 3e9}, host::kErrOverflow, ""}};
  for (const auto& [book, settings, number, named] : cases) {
    auto random = MakeSeededRandomSource(1);
    EXPECT_HOST_ERROR(LoadPlaneInput(*book, settings, *random), number, named);
  }
}

}  // namespace
}  // namespace vardex::test
