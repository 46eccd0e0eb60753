// Reading the levelling block of "数据输入": the cell rules, the simulated elevations and the
// message of a failed read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "leveling/levelling_input.hpp"
#include "levelling_package.hpp"
#include "levelling_test_support.hpp"

namespace vardex {
namespace {

using levelling_test::InputBlock;
using levelling_test::InputRow;
using levelling_test::MakeProject;
using levelling_test::RecordingSource;
using levelling_test::Text;
using levelling_test::Typed;

const Typed kNone{};

TEST(ReadLevellingInput, TranscribesBenchmarksAndPointRows) {
  InputBlock block;
  block.start_name = std::string("  BM 1  ");
  block.start_elevation = 100.0;
  block.end_name = 12.5;  // a number as a benchmark name reads as its text
  block.end_elevation = Text{"108.5"};
  block.rows = {
      {std::string(" K0 + 000 "), -3.2, 100.5, 100.502},
      {std::string("K0+050"), std::string("边沟"), 108.0, 108.003},
  };
  host::Workbook book = MakeProject(block);
  auto random = MakeScriptedRandomSource({1});

  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);

  EXPECT_EQ(input.StartBenchmarkName, "BM 1");
  EXPECT_EQ(input.StartBenchmarkElevation, 100.0);
  EXPECT_EQ(input.EndBenchmarkName, "12.5");
  EXPECT_EQ(input.EndBenchmarkElevation, 108.5);
  ASSERT_EQ(input.Points.size(), 3u);
  EXPECT_EQ(input.Points[0].Name, " K0 + 000 ");  // spaces go only when the record is written
  EXPECT_EQ(input.Points[0].SideText, "左3.2米");
  EXPECT_EQ(input.Points[0].DesignElevation, 100.5);
  EXPECT_EQ(input.Points[0].MeasuredElevation, 100.502);
  EXPECT_EQ(input.Points[1].SideText, "边沟");
  EXPECT_EQ(input.Points[2].Name, "12.5");
  EXPECT_EQ(input.Points[2].SideText, "");
  EXPECT_EQ(input.Points[2].DesignElevation, 108.5);
  EXPECT_EQ(input.Points[2].MeasuredElevation, 108.5 + 0.001);  // not rounded again
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
    InputBlock block;
    for (const Typed& name : c.names) block.rows.push_back({name, kNone, 10.0, 10.0});
    host::Workbook book = MakeProject(block);
    auto random = MakeScriptedRandomSource({0});
    const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
    ASSERT_EQ(input.Points.size(), c.expected.size() + 1);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(input.Points[i].Name, c.expected[i]);
    }
    EXPECT_EQ(input.Points.back().Name, "BM2");
  }
}

TEST(ReadLevellingInput, SideTextOfColumnB) {
  const std::vector<std::pair<Typed, std::string>> cases = {
      {-3.2, "左3.2米"},
      {5.0, "右5.米"},
      {0.0, "中"},
      {kNone, ""},
      {std::string("边沟"), "边沟"},
      {Text{" 2.5 "}, "右2.5米"},
  };
  InputBlock block;
  for (const auto& [offset, expected] : cases)
    block.rows.push_back({std::string("P"), offset, 1.0, 1.0});
  host::Workbook book = MakeProject(block);
  auto random = MakeScriptedRandomSource({0});
  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(input.Points[i].SideText, cases[i].second) << "row " << 8 + i;
  }
}

TEST(ReadLevellingInput, DesignElevationRoundedToThreeDecimalsTiesToEven) {
  const std::vector<std::pair<Typed, double>> cases = {
      {100.0005, 100.0}, {100.0015, 100.002},     {-2.0005, -2.0},
      {kNone, 0.0},      {Text{"7.1234"}, 7.123},
  };
  InputBlock block;
  for (const auto& [design, expected] : cases)
    block.rows.push_back({std::string("P"), kNone, design, 5.0});
  host::Workbook book = MakeProject(block);
  auto random = MakeScriptedRandomSource({0});
  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(input.Points[i].DesignElevation, cases[i].second) << "row " << 8 + i;
    EXPECT_EQ(input.Points[i].MeasuredElevation, 5.0);
  }
}

TEST(ReadLevellingInput, DrawsInRowOrderThenTheClosure) {
  InputBlock block;
  block.end_elevation = 50.0;
  block.rows = {
      {std::string("P1"), kNone, 10.0, kNone},
      {std::string("P2"), kNone, 20.0, 20.5},  // measured: no draw
      {std::string("P3"), kNone, 30.125, kNone},
      {std::string("P4"), kNone, kNone, kNone},
  };
  host::Workbook book = MakeProject(block);
  auto random = MakeScriptedRandomSource({3, -2, 1, -1});
  const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
  ASSERT_EQ(input.Points.size(), 5u);
  EXPECT_EQ(input.Points[0].MeasuredElevation, 10.003);
  EXPECT_EQ(input.Points[1].MeasuredElevation, 20.5);
  EXPECT_EQ(input.Points[2].MeasuredElevation, 30.123);
  EXPECT_EQ(input.Points[3].MeasuredElevation, 0.001);
  EXPECT_EQ(input.Points[4].MeasuredElevation, 50.0 - 0.001);
  EXPECT_EQ(input.Points[4].DesignElevation, 50.0);
}

TEST(ReadLevellingInput, ToleranceBoundsRoundToWholeMillimetresTiesToEven) {
  struct Case {
    double mid_minus, mid_plus, closure_minus, closure_plus;
    int32_t mid_lo, mid_hi, closure_lo, closure_hi;
  };
  const std::vector<Case> cases = {
      {-3, 3, -2, 2, -3, 3, -2, 2},
      {-2.5, 2.5, -3.5, 3.5, -2, 2, -4, 4},
      {0, 0, -0.5, 0.5, 0, 0, 0, 0},
      {1.5, 4.49, -7.6, -1.2, 2, 4, -8, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mid_minus);
    SurveySettings settings;
    settings.MidTolMinus = c.mid_minus;
    settings.MidTolPlus = c.mid_plus;
    settings.ClosureTolMinus = c.closure_minus;
    settings.ClosureTolPlus = c.closure_plus;
    InputBlock block;
    block.end_elevation = 20.0;
    block.rows = {{std::string("P"), kNone, 10.0, kNone}};
    host::Workbook book = MakeProject(block);
    RecordingSource random;  // answers every draw with its lower bound
    const LevellingInput input = ReadLevellingInput(book, settings, random);
    ASSERT_EQ(random.draws.size(), 2u);
    EXPECT_EQ(random.draws[0].lo, c.mid_lo);
    EXPECT_EQ(random.draws[0].hi, c.mid_hi);
    EXPECT_EQ(random.draws[1].lo, c.closure_lo);
    EXPECT_EQ(random.draws[1].hi, c.closure_hi);
    EXPECT_DOUBLE_EQ(input.Points[0].MeasuredElevation, 10.0 + c.mid_lo / 1000.0);
    EXPECT_DOUBLE_EQ(input.Points[1].MeasuredElevation, 20.0 + c.closure_lo / 1000.0);
  }
}

TEST(ReadLevellingInput, FailureNamesSheetCellAndWhatWasExpected) {
  struct Case {
    const char* label;
    InputBlock block;
    int number;
    std::optional<host::CellRef> cell;
    std::string what;
  };
  const InputRow good{std::string("P1"), kNone, 10.0, kNone};
  auto with_rows = [](std::vector<InputRow> rows) {
    InputBlock b;
    b.rows = std::move(rows);
    return b;
  };
  InputBlock bad_start;
  bad_start.start_elevation = std::string("abc");
  InputBlock bad_end;
  bad_end.end_elevation = Text{"1,5"};
  const std::vector<Case> cases = {
      {"start elevation", bad_start, 13, host::CellRef{6, 5},
       "13\n工作表“数据输入”单元格 E6：应为数字（起始水准点高程），实为“abc”"},
      {"end elevation", bad_end, 13, host::CellRef{6, 6},
       "13\n工作表“数据输入”单元格 F6：应为数字（终点水准点高程），实为“1,5”"},
      {"design",
       with_rows({good, good, good, good, {std::string("P5"), kNone, std::string("abc"), kNone}}),
       13, host::CellRef{12, 5}, "13\n工作表“数据输入”单元格 E12：应为数字（设计高程），实为“abc”"},
      {"measured", with_rows({good, {std::string("P2"), kNone, 1.0, std::string("约 5 米")}}), 13,
       host::CellRef{9, 6}, "13\n工作表“数据输入”单元格 F9：应为数字（实测高程），实为“约 5 米”"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book = MakeProject(c.block);
    auto random = MakeSeededRandomSource(1);
    try {
      ReadLevellingInput(book, SurveySettings{}, *random);
      ADD_FAILURE() << "no error";
    } catch (const LevellingInputError& e) {
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_EQ(e.Cell(), c.cell);
      EXPECT_EQ(std::string(e.what()), c.what);
    }
  }
}

// Booleans, error values and the empty text come only from files.
TEST(ReadLevellingInput, CellContentsFromAFile) {
  using levelling_test::BooleanCell;
  using levelling_test::ErrorCell;
  using levelling_test::NumberCell;
  using levelling_test::TextCell;
  auto block = [](const std::string& e5, const std::string& e6, const std::string& points) {
    return "<row r=\"5\">" + e5 + TextCell("F5", "BM2") + "</row><row r=\"6\">" + e6 +
           NumberCell("F6", "101") + "</row>" + points;
  };
  const std::string e5 = TextCell("E5", "BM1");
  const std::string e6 = NumberCell("E6", "100");

  // The empty text in A8 ends the list like an empty cell, although A9 holds a name.
  {
    host::Workbook book = levelling_test::OpenInputPackage(
        block(e5, e6,
              "<row r=\"8\">" + TextCell("A8", "") + "</row><row r=\"9\">" + TextCell("A9", "P2") +
                  "</row>"));
    auto random = MakeScriptedRandomSource({0});
    const LevellingInput input = ReadLevellingInput(book, SurveySettings{}, *random);
    ASSERT_EQ(input.Points.size(), 1u);
    EXPECT_EQ(input.Points[0].Name, "BM2");
  }

  struct Case {
    const char* label;
    std::string rows;
    std::string what;
  };
  const std::vector<Case> cases = {
      {"boolean elevation", block(e5, BooleanCell("E6", true), ""),
       "13\n工作表“数据输入”单元格 E6：应为数字（起始水准点高程），实为“TRUE”"},
      {"error value as a name", block(ErrorCell("E5", "#N/A"), e6, ""),
       "13\n工作表“数据输入”单元格 E5：应为文本（起始水准点名称），实为错误值“#N/A”"},
      {"error value as design",
       block(e5, e6,
             "<row r=\"8\">" + TextCell("A8", "P1") + ErrorCell("E8", "#DIV/0!") + "</row>"),
       "13\n工作表“数据输入”单元格 E8：应为数字（设计高程），实为错误值“#DIV/0!”"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book = levelling_test::OpenInputPackage(c.rows);
    auto random = MakeSeededRandomSource(1);
    try {
      ReadLevellingInput(book, SurveySettings{}, *random);
      ADD_FAILURE() << "no error";
    } catch (const LevellingInputError& e) {
      EXPECT_EQ(std::string(e.what()), c.what);
    }
  }
}

TEST(ReadLevellingInput, FailureOfASavedWorkbookNamesItsFile) {
  InputBlock block;
  block.rows = {{std::string("P1"), kNone, std::string("abc"), kNone}};
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "vardex-levelling-input-test.xlsx";
  MakeProject(block).SaveAs(path);
  const host::Workbook book = host::Workbook::Open(path);
  std::filesystem::remove(path);
  auto random = MakeSeededRandomSource(1);
  try {
    ReadLevellingInput(book, SurveySettings{}, *random);
    ADD_FAILURE() << "no error";
  } catch (const LevellingInputError& e) {
    EXPECT_EQ(std::string(e.what()),
              "13\n文件“vardex-levelling-input-test.xlsx”中工作表“数据输入”单元格 E8："
              "应为数字（设计高程），实为“abc”");
  }
}

TEST(ReadLevellingInput, MissingSheetIsErrorNine) {
  host::Workbook book;
  book.AddSheet(levelling_test::kRecord);
  auto random = MakeSeededRandomSource(1);
  try {
    ReadLevellingInput(book, SurveySettings{}, *random);
    ADD_FAILURE() << "no error";
  } catch (const LevellingInputError& e) {
    EXPECT_EQ(e.Number(), host::kErrSubscript);
    EXPECT_EQ(std::string(e.what()), "9\n工作簿中没有工作表“数据输入”");
  }
}

TEST(ReadLevellingInput, ToleranceBeyondThirtyTwoBitsIsAnOverflow) {
  SurveySettings settings;
  settings.MidTolPlus = 3e9;
  InputBlock block;
  block.rows = {{std::string("P"), kNone, 10.0, kNone}};
  host::Workbook book = MakeProject(block);
  auto random = MakeSeededRandomSource(1);
  try {
    ReadLevellingInput(book, settings, *random);
    ADD_FAILURE() << "no error";
  } catch (const LevellingInputError& e) {
    EXPECT_EQ(e.Number(), host::kErrOverflow);
    EXPECT_EQ(std::string(e.what()).substr(0, 2), "6\n");
  }
}

}  // namespace
}  // namespace vardex
