// Reading the levelling block of "数据输入": the cell rules, the simulated elevations and the
// message of a failed read.
#include "levelling/levelling_input.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/package.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

const Typed kNone{};

// Rows without a measured elevation draw its error in row order, the closure last.
TEST(ReadLevellingInput, TranscribesBenchmarksAndPointRowsDrawingInRowOrder) {
  LevellingBlock block;
  block.start_name = std::string("  BM 1  ");
  block.end_name = 12.5;                       // a number as a name reads as its text
  block.end_elevation = std::string("108.5");  // a numeric text as its number
  block.rows = {
      {std::string(" K0 + 000 "), -3.2, 100.5, 100.502},
      {std::string("K0+050"), std::string("边沟"), 108.0, kNone},
      {std::string("P3"), 5.0, 100.0005, 7.0},  // design to the millimetre, ties to even
      {std::string("P4"), 0.0, std::string("7.1234"), 7.0},
      {std::string("P5"), std::string(" 2.5 "), kNone, kNone},  // no design reads as 0
  };
  host::Workbook book = MakeLevellingProject(block);
  auto random = MakeScriptedRandomSource({3, -2, 1});

  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);

  EXPECT_EQ(input.StartBenchmarkName, "BM 1");
  EXPECT_EQ(input.StartBenchmarkElevation, 100.0);
  EXPECT_EQ(input.EndBenchmarkName, "12.5");
  EXPECT_EQ(input.EndBenchmarkElevation, 108.5);
  struct Expected {
    std::string name, side;
    double design, measured;
  };
  const std::vector<Expected> expected = {
      {" K0 + 000 ", "左3.2米", 100.5, 100.502},  // spaces go only when the record is written
      {"K0+050", "边沟", 108.0, 108.003},
      {"P3", "右5.米", 100.0, 7.0},
      {"P4", "中", 7.123, 7.0},
      {"P5", "右2.5米", 0.0, -0.002},
      {"12.5", "", 108.5, 108.5 + 0.001},  // the closure draw, not rounded again
  };
  ASSERT_EQ(input.Points.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(input.Points[i].Name, expected[i].name);
    EXPECT_EQ(input.Points[i].SideText, expected[i].side);
    EXPECT_EQ(input.Points[i].DesignElevation, expected[i].design);
    EXPECT_DOUBLE_EQ(input.Points[i].MeasuredElevation, expected[i].measured);
  }
}

TEST(ReadLevellingInput, ColumnAEndsTheListOnlyWhenEmpty) {
  struct Case {
    const char* label;
    std::vector<Typed> names;  // A8, A9, ...
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"A8 empty", {kNone, std::string("P2")}, {}},
      {"number 0 is a name", {0.0, kNone}, {"0"}},
      {"spaces are a name", {std::string("   "), std::string("P2"), kNone}, {"   ", "P2"}},
      {"stops at the first empty", {std::string("P1"), kNone, std::string("P3")}, {"P1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LevellingBlock block;
    for (const Typed& name : c.names) block.rows.push_back({name, kNone, 10.0, 10.0});
    host::Workbook book = MakeLevellingProject(block);
    auto random = MakeScriptedRandomSource({0});
    const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
    ASSERT_EQ(input.Points.size(), c.expected.size() + 1);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(input.Points[i].Name, c.expected[i]);
    }
    EXPECT_EQ(input.Points.back().Name, "BM2");
  }
}

TEST(ReadLevellingInput, ToleranceBoundsRoundToWholeMillimetresTiesToEven) {
  struct Case {
    double mid_minus, mid_plus, closure_minus, closure_plus;
    test::RecordingSource::Draw mid, closure;
  };
  const std::vector<Case> cases = {
      {-3, 3, -2, 2, {-3, 3}, {-2, 2}},
      {-2.5, 2.5, -3.5, 3.5, {-2, 2}, {-4, 4}},
      {0, 0, -0.5, 0.5, {0, 0}, {0, 0}},
      {1.5, 4.49, -7.6, -1.2, {2, 4}, {-8, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mid_minus);
    const SurveySettings settings{.MidTolMinus = c.mid_minus,
                                  .MidTolPlus = c.mid_plus,
                                  .ClosureTolMinus = c.closure_minus,
                                  .ClosureTolPlus = c.closure_plus};
    LevellingBlock block;
    block.end_elevation = 20.0;
    block.rows = {{std::string("P"), kNone, 10.0, kNone}};
    host::Workbook book = MakeLevellingProject(block);
    test::RecordingSource random;
    const LevellingInput input = ReadLevellingInput(book, settings, random);
    EXPECT_EQ(random.draws, (std::vector<test::RecordingSource::Draw>{c.mid, c.closure}));
    EXPECT_DOUBLE_EQ(input.Points[0].MeasuredElevation, 10.0 + c.mid.lo / 1000.0);
    EXPECT_DOUBLE_EQ(input.Points[1].MeasuredElevation, 20.0 + c.closure.lo / 1000.0);
  }
}

// The package's input sheet: benchmarks in E5:F6 (E5 and E6 replaceable) and point rows.
host::Workbook InputPackage(const std::string& e5, const std::string& e6,
                            const std::string& points = "") {
  return test::OpenPackage(
      {{test::kInput, "<row r=\"5\">" + e5 + test::TextCell("F5", "BM2") + "</row><row r=\"6\">" +
                          e6 + test::NumberCell("F6", "101") + "</row>" + points},
       {test::kLevelling, ""}});
}

// Every failure names the sheet, the cell and what was expected there. Booleans, error values
// and the empty text come only from files, hence the packages.
TEST(ReadLevellingInput, FailureNamesSheetCellAndWhatWasExpected) {
  const std::string e5 = test::TextCell("E5", "BM1");
  const std::string e6 = test::NumberCell("E6", "100");
  const auto project = [](Typed start, Typed end, std::vector<test::LevellingRow> rows) {
    LevellingBlock block;
    block.start_elevation = std::move(start);
    block.end_elevation = std::move(end);
    block.rows = std::move(rows);
    return [block] { return MakeLevellingProject(block); };
  };
  const test::LevellingRow good{std::string("P1"), kNone, 10.0, kNone};
  const SurveySettings wide{.MidTolPlus = 3e9};
  struct Case {
    const char* label;
    std::function<host::Workbook()> make;
    int number;
    std::string cell;  // empty: the error names none
    std::string what;
    SurveySettings settings = {};
  };
  const std::vector<Case> cases = {
      {"start elevation", project(std::string("abc"), 100.0, {}), 13, "E6",
       "13\n工作表“数据输入”单元格 E6：应为数字（起始水准点高程），实为“abc”"},
      {"end elevation", project(100.0, std::string("1,5"), {}), 13, "F6",
       "13\n工作表“数据输入”单元格 F6：应为数字（终点水准点高程），实为“1,5”"},
      {"measured",
       project(100.0, 100.0, {good, {std::string("P2"), kNone, 1.0, std::string("约 5 米")}}), 13,
       "F9", "13\n工作表“数据输入”单元格 F9：应为数字（实测高程），实为“约 5 米”"},
      {"saved workbook names its file",
       [&] {
         host::Workbook book =
             MakeLevellingProject({.rows = {{std::string("P1"), kNone, std::string("abc")}}});
         return test::SavedAndReopened(book, "水准输入.xlsx");
       },
       13, "E8",
       "13\n文件“水准输入.xlsx”中工作表“数据输入”单元格 E8：应为数字（设计高程），实为“abc”"},
      {"boolean elevation", [&] { return InputPackage(e5, test::BooleanCell("E6", true)); }, 13,
       "E6", "13\n工作表“数据输入”单元格 E6：应为数字（起始水准点高程），实为“TRUE”"},
      {"error value as a name", [&] { return InputPackage(test::ErrorCell("E5", "#N/A"), e6); }, 13,
       "E5", "13\n工作表“数据输入”单元格 E5：应为文本（起始水准点名称），实为错误值“#N/A”"},
      {"error value as design",
       [&] {
         return InputPackage(e5, e6,
                             "<row r=\"8\">" + test::TextCell("A8", "P1") +
                                 test::ErrorCell("E8", "#DIV/0!") + "</row>");
       },
       13, "E8", "13\n工作表“数据输入”单元格 E8：应为数字（设计高程），实为错误值“#DIV/0!”"},
      {"no input sheet",
       [] {
         host::Workbook book;
         book.AddSheet(test::kLevelling);
         return book;
       },
       host::kErrSubscript, "", "9\n工作簿中没有工作表“数据输入”"},
      {"tolerance beyond 32 bits", project(100.0, 100.0, {good}), host::kErrOverflow, "",
       "6\n设置“水准中间点误差”的界限 3000000000 毫米超出随机误差的范围", wide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book = c.make();
    auto random = MakeSeededRandomSource(1);
    try {
      ReadLevellingInput(book, c.settings, *random);
      ADD_FAILURE() << "no error";
    } catch (const LevellingInputError& e) {
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_EQ(e.Cell() ? host::FormatCellRef(*e.Cell()) : "", c.cell);
      EXPECT_EQ(std::string(e.what()), c.what);
    }
  }

  // The empty text in A8 ends the list like an empty cell, although A9 holds a name.
  host::Workbook book =
      InputPackage(e5, e6,
                   "<row r=\"8\">" + test::TextCell("A8", "") + "</row><row r=\"9\">" +
                       test::TextCell("A9", "P2") + "</row>");
  auto random = MakeScriptedRandomSource({0});
  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
  ASSERT_EQ(input.Points.size(), 1u);
  EXPECT_EQ(input.Points[0].Name, "BM2");
}

}  // namespace
}  // namespace vardex::test
