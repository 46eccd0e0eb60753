// The levelling record of an observed line: the worked line of tests/support/field_examples.hpp
// cell by cell, the closing rows for each class, the distribution of the misclosure, the switches,
// the check of what was written, and the lines that do not fit the project.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "levelling/levelling_input.hpp"
#include "levelling/measured_check.hpp"
#include "levelling/measured_record.hpp"
#include "support/field_examples.hpp"
#include "support/project_book.hpp"

namespace vardex {
namespace {

using test::NumberAt;
using test::TextAt;

struct Written {
  host::Workbook book;
  MeasuredLineSummary summary;
};

Written Write(const MeasuredLevellingLine& line, const SurveySettings& settings,
              MisclosureDistribution distribution = MisclosureDistribution::None,
              const test::LevellingBlock& block = test::WorkedFieldProject()) {
  Written written{test::MakeLevellingProject(block), {}};
  MeasuredLevellingRecord record = BuildMeasuredLevellingRecord(
      ReadLevellingInputSheet(written.book), line, settings, distribution);
  WriteLevellingRecord(written.book, record.Record);
  written.summary = record.Summary;
  return written;
}

const host::Worksheet& Record(const Written& written) {
  return written.book.Sheet(test::kLevelling);
}

// Rows 5 to 13 of the worked line, default settings (readings in metres, points as
// intermediate sights, turning point elevations not shown):
//   5 BM1  B 1.523                E 101.523           G 100
//   6 P1          C 0.520                   F 101.003 G 101    H +3
//   7 TP1  B 1.204         D 0.412 E 102.315
//   8 P2          C 1.829                   F 100.486 G 100.5  H -14
//   9 X9          C 2.000                   F 100.315                  I 项目中无此点
//  10 BM2                  D 1.062          F 101.253 G 101.25 H +3
//  11 闭合差 … H 3;  12 允许闭合差 四等 ±6√n，n=2 … H 6√2 = 8.485;  13 结论 合格
TEST(MeasuredRecord, WorkedLineCellByCell) {
  const Written written = Write(test::WorkedLine(), InitConfig());
  const host::Worksheet& sheet = Record(written);
  EXPECT_EQ(TextAt(sheet, {5, 1}), "BM1");
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {5, 2}), 1.523);
  EXPECT_NEAR(NumberAt(sheet, {5, 5}), 101.523, 1e-9);
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {5, 7}), 100);
  EXPECT_EQ(TextAt(sheet, {6, 1}), "P1");
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {6, 3}), 0.52);
  EXPECT_NEAR(NumberAt(sheet, {6, 6}), 101.003, 1e-9);
  EXPECT_NEAR(NumberAt(sheet, {6, 8}), 3, 1e-6);
  EXPECT_EQ(TextAt(sheet, {7, 1}), "TP1");
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {7, 2}), 1.204);
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {7, 4}), 0.412);
  EXPECT_NEAR(NumberAt(sheet, {7, 5}), 102.315, 1e-9);
  EXPECT_TRUE(host::IsEmpty(sheet.Value({7, 6})));
  EXPECT_NEAR(NumberAt(sheet, {8, 6}), 100.486, 1e-9);
  EXPECT_NEAR(NumberAt(sheet, {8, 8}), -14, 1e-6);
  EXPECT_EQ(TextAt(sheet, {9, 1}), "X9");
  EXPECT_NEAR(NumberAt(sheet, {9, 6}), 100.315, 1e-9);
  EXPECT_TRUE(host::IsEmpty(sheet.Value({9, 7})));
  EXPECT_EQ(TextAt(sheet, {9, 9}), "项目中无此点");
  EXPECT_EQ(TextAt(sheet, {10, 1}), "BM2");
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {10, 4}), 1.062);
  EXPECT_NEAR(NumberAt(sheet, {10, 6}), 101.253, 1e-9);
  EXPECT_NEAR(NumberAt(sheet, {10, 8}), 3, 1e-6);
  EXPECT_EQ(TextAt(sheet, {11, 1}), "闭合差");
  EXPECT_NEAR(NumberAt(sheet, {11, 8}), 3, 1e-6);
  EXPECT_EQ(TextAt(sheet, {12, 1}), "允许闭合差");
  EXPECT_EQ(TextAt(sheet, {12, 2}), "四等 ±6√n，n=2");
  EXPECT_NEAR(NumberAt(sheet, {12, 8}), 6 * std::sqrt(2.0), 1e-9);
  EXPECT_EQ(TextAt(sheet, {13, 2}), "合格：闭合差在允许范围内");
  EXPECT_EQ(TextAt(sheet, {2, 9}), "±6√n=±8");
  EXPECT_TRUE(host::IsEmpty(sheet.Value({14, 1})));

  const MeasuredLineSummary& summary = written.summary;
  EXPECT_EQ(summary.Setups, 2);
  ASSERT_TRUE(summary.LengthKm.has_value());
  EXPECT_DOUBLE_EQ(*summary.LengthKm, 0.11);
  EXPECT_EQ(summary.MatchedPoints, 2u);
  ASSERT_EQ(summary.NotInProject.size(), 1u);
  EXPECT_EQ(summary.NotInProject[0].Name, "X9");
  ASSERT_EQ(summary.NotObserved.size(), 1u);
  EXPECT_EQ(summary.NotObserved[0].Where, "数据输入 A10");
  EXPECT_TRUE(CheckMeasuredLevellingRecord(written.book, InitConfig(), MisclosureDistribution::None)
                  .empty());
}

// The allowable misclosure of each class, by set-ups (n = 2) or by length (L = 0.110 km), and
// the verdict on +3 mm, or on +13 mm when BM2 is known 10 mm lower:
//   四等 6√2 = 8.49, 20√0.11 = 6.63;  三等 12√0.11 = 3.98;  图根 12√2 = 16.97;  等外 40√0.11
//   = 13.27
TEST(MeasuredRecord, AllowableMisclosureByClass) {
  struct Case {
    const char* level_class;
    const char* basis;
    double end_elevation;
    const char* i2;
    bool within;
  };
  const Case cases[] = {
      {"四等", "n", 101.25, "±6√n=±8", true},   {"四等", "L", 101.25, "±20√L=±7", true},
      {"三等", "L", 101.25, "±12√L=±4", true},  {"三等", "n", 101.25, "±4√n=±6", true},
      {"四等", "n", 101.24, "±6√n=±8", false},  {"图根", "n", 101.24, "±12√n=±17", true},
      {"等外", "L", 101.24, "±40√L=±13", true}, {"三等", "L", 101.24, "±12√L=±4", false},
  };
  for (const Case& c : cases) {
    SettingsForm form = GetConfig(InitConfig());
    form.LevelClass = c.level_class;
    form.ClosureBy = c.basis;
    const SurveySettings settings = *SetConfig(form).settings;
    test::LevellingBlock block = test::WorkedFieldProject();
    block.end_elevation = c.end_elevation;
    const Written written =
        Write(test::WorkedLine(), settings, MisclosureDistribution::None, block);
    const std::string label =
        std::string(c.level_class) + c.basis + std::to_string(c.end_elevation);
    EXPECT_EQ(TextAt(Record(written), {2, 9}), c.i2) << label;
    EXPECT_EQ(written.summary.WithinAllowable, c.within) << label;
    EXPECT_EQ(TextAt(Record(written), {13, 2}).starts_with(c.within ? "合格" : "超限"), true)
        << label;
    EXPECT_TRUE(
        CheckMeasuredLevellingRecord(written.book, settings, MisclosureDistribution::None).empty())
        << label;
  }
}

// -3 mm shared out: by set-ups -1.5 per set-up; by distance in proportion to 58 m of 110 m for
// the first set-up. Points take the correction of their set-up's back point.
TEST(MeasuredRecord, DistributionOfTheMisclosure) {
  struct Case {
    MisclosureDistribution distribution;
    double turn;  // J of TP1
  };
  const Case cases[] = {{MisclosureDistribution::BySetups, -1.5},
                        {MisclosureDistribution::ByDistance, -3.0 * 58 / 110}};
  for (const Case& c : cases) {
    const Written written = Write(test::WorkedLine(), InitConfig(), c.distribution);
    const host::Worksheet& sheet = Record(written);
    EXPECT_EQ(TextAt(sheet, {3, 10}), "改正数\n(mm)");
    EXPECT_DOUBLE_EQ(NumberAt(sheet, {6, 10}), 0);        // P1, from BM1's set-up
    EXPECT_NEAR(NumberAt(sheet, {7, 10}), c.turn, 1e-9);  // TP1
    EXPECT_NEAR(NumberAt(sheet, {8, 10}), c.turn, 1e-9);  // P2, from TP1's set-up
    EXPECT_NEAR(NumberAt(sheet, {10, 10}), -3, 1e-9);     // BM2
    EXPECT_EQ(TextAt(sheet, {14, 1}), "闭合差分配");
    EXPECT_NEAR(NumberAt(sheet, {14, 8}), -3, 1e-9);
    EXPECT_TRUE(CheckMeasuredLevellingRecord(written.book, InitConfig(), c.distribution).empty());
    // The check reads the shares: one moved by a millimetre is found.
    host::Workbook edited = test::SavedAndReopened(const_cast<host::Workbook&>(written.book));
    edited.Sheet(test::kLevelling).SetValue({7, 10}, c.turn - 2);
    EXPECT_TRUE(
        test::HasFindingAt(CheckMeasuredLevellingRecord(edited, InitConfig(), c.distribution),
                           test::kLevelling, "J7"));
  }
}

TEST(MeasuredRecord, SwitchesOfTheRecord) {
  SurveySettings settings = InitConfig();
  settings.ReadingsInMeters = false;
  settings.ShowMidPoints = false;
  settings.ShowTurnPointElevation = true;
  const Written written = Write(test::WorkedLine(), settings);
  const host::Worksheet& sheet = Record(written);
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {5, 2}), 1523);
  EXPECT_TRUE(host::IsEmpty(sheet.Value({6, 3})));
  EXPECT_DOUBLE_EQ(NumberAt(sheet, {6, 4}), 520);
  EXPECT_NEAR(NumberAt(sheet, {7, 6}), 101.111, 1e-9);
  EXPECT_TRUE(
      CheckMeasuredLevellingRecord(written.book, settings, MisclosureDistribution::None).empty());
}

TEST(MeasuredRecord, CheckFindsHandEdits) {
  Written written = Write(test::WorkedLine(), InitConfig());
  host::Worksheet& sheet = written.book.Sheet(test::kLevelling);
  sheet.SetValue({8, 3}, 1.839);                      // P2's reading 10 mm off its elevation
  sheet.SetValue({13, 2}, std::string_view("超限"));  // a verdict that does not follow
  const auto findings =
      CheckMeasuredLevellingRecord(written.book, InitConfig(), MisclosureDistribution::None);
  EXPECT_TRUE(test::HasFindingAt(findings, test::kLevelling, "F8")) << test::DumpFindings(findings);
  EXPECT_TRUE(test::HasFindingAt(findings, test::kLevelling, "B13"))
      << test::DumpFindings(findings);

  // A record of 四等 checked as 图根: its allowable row and I2 follow the other class.
  SettingsForm form = GetConfig(InitConfig());
  form.LevelClass = "图根";
  const SurveySettings other_class = *SetConfig(form).settings;
  const Written untouched = Write(test::WorkedLine(), InitConfig());
  const auto class_findings =
      CheckMeasuredLevellingRecord(untouched.book, other_class, MisclosureDistribution::None);
  for (const char* cell : {"B12", "H12", "I2"}) {
    EXPECT_TRUE(test::HasFindingAt(class_findings, test::kLevelling, cell))
        << cell << test::DumpFindings(class_findings);
  }
}

// Instruments store heights from their own start: a constant difference is no fault, a height
// off by 4 mm is one.
TEST(MeasuredRecord, InstrumentHeightsCrossCheck) {
  MeasuredLevellingLine line = test::WorkedLine();
  line.RecordedHeights = {{"BM1", 0, {"h.gsi", 1}},
                          {"P1", 1.003, {"h.gsi", 2}},
                          {"TP1", 1.115, {"h.gsi", 3}},
                          {"BM2", 1.253, {"h.gsi", 4}}};
  const Written written = Write(line, InitConfig());
  ASSERT_EQ(written.summary.HeightWarnings.size(), 1u);
  EXPECT_NE(written.summary.HeightWarnings[0].find("文件“h.gsi”第 3 行"), std::string::npos);
  EXPECT_NE(written.summary.HeightWarnings[0].find("-4"), std::string::npos);
}

TEST(MeasuredRecord, LinesThatDoNotFitTheProject) {
  struct Case {
    const char* what;
    std::function<void(MeasuredLevellingLine&, SurveySettings&, MisclosureDistribution&)> change;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"another start",
       [](MeasuredLevellingLine& l, SurveySettings&, MisclosureDistribution&) {
         l.Setups[0].Back.Point = "BM0";
       },
       "水准路线的起点“BM0”不是项目的起始水准点“BM1”"},
      {"another end",
       [](MeasuredLevellingLine& l, SurveySettings&, MisclosureDistribution&) {
         l.Setups[1].Fore.Point = "BM3";
       },
       "水准路线的终点“BM3”不是项目的终点水准点“BM2”"},
      {"length without distances",
       [](MeasuredLevellingLine& l, SurveySettings& s, MisclosureDistribution&) {
         l.Setups[1].Fore.Distance.reset();
         s.ClosureBy = ClosureBasis::Length;
       },
       "缺少视距，无法按路线长度 L 计算允许闭合差"},
      {"distance shares without distances",
       [](MeasuredLevellingLine& l, SurveySettings&, MisclosureDistribution& d) {
         l.Setups[0].Back.Distance.reset();
         d = MisclosureDistribution::ByDistance;
       },
       "缺少视距，无法按视距长度分配闭合差"},
      {"one point under two names",
       [](MeasuredLevellingLine& l, SurveySettings&, MisclosureDistribution&) {
         l.Setups[1].Intermediates[1].Point = "p1 ";
       },
       "是项目中的同一点"},
  };
  for (const Case& c : cases) {
    MeasuredLevellingLine line = test::WorkedLine();
    SurveySettings settings = InitConfig();
    MisclosureDistribution distribution = MisclosureDistribution::None;
    c.change(line, settings, distribution);
    host::Workbook book = test::MakeLevellingProject(test::WorkedFieldProject());
    try {
      BuildMeasuredLevellingRecord(ReadLevellingInputSheet(book), line, settings, distribution);
      ADD_FAILURE() << c.what;
    } catch (const host::HostError& e) {
      EXPECT_NE(std::string(e.what()).find("文件“worked”"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

// The closing statements run on over cells without a frame. A generated record written over a
// measured one leaves no correction column behind and frames its rows where the statements were.
TEST(MeasuredRecord, GeneratedRecordAfterAMeasuredOne) {
  Written written{host::Workbook::Open(test::TemplateFile()), {}};
  test::TypeLevellingInput(written.book, test::WorkedFieldProject());
  WriteLevellingRecord(written.book, BuildMeasuredLevellingRecord(
                                         ReadLevellingInputSheet(written.book), test::WorkedLine(),
                                         InitConfig(), MisclosureDistribution::BySetups)
                                         .Record);
  const host::Worksheet& sheet = Record(written);
  const uint32_t unframed = sheet.StyleIndex({2, 2});
  for (int32_t column = 2; column <= 7; ++column) {
    EXPECT_NE(sheet.StyleIndex({6, column}), unframed) << column;
    for (int32_t row = 11; row <= 14; ++row) {
      EXPECT_EQ(sheet.StyleIndex({row, column}), unframed) << row << "," << column;
    }
  }
  auto random = MakeSeededRandomSource(7);
  SurveySettings settings = InitConfig();
  settings.StaffMaxReading = 1.5;  // turning points enough to reach past the closing rows
  GenerateLevellingRecord(written.book, settings, *random);
  EXPECT_TRUE(host::IsEmpty(sheet.Value({3, 10})));
  for (int32_t row = 5; row <= 20; ++row) EXPECT_TRUE(host::IsEmpty(sheet.Value({row, 10})));
  ASSERT_FALSE(host::IsEmpty(sheet.Value({14, 1})));
  for (int32_t row = 11; row <= 14; ++row) {
    for (int32_t column = 2; column <= 7; ++column) {
      EXPECT_NE(sheet.StyleIndex({row, column}), unframed) << row << "," << column;
    }
  }
}

}  // namespace
}  // namespace vardex
