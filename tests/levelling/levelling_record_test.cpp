// The levelling record generator: the worked example cell by cell, the set-up windows, the
// display switches, and the failures that must leave "水准表" untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "levelling/levelling_record.hpp"
#include "support/expect_error.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

const Typed kNone{};

// Default settings: readings in metres, intermediate sights shown, turning point elevations not.
// Columns A to I of rows 5 to 10; the deviations in H are millimetres.
TEST(GenerateLevellingRecord, WorkedExampleCellByCell) {
  const std::vector<std::string> record = {
      "BM1|4.4|||104.4||100",         "K0+000左3.2米||3.898|||100.502|100.5|2",
      "ZD1|4.7||0.3|108.8",           "K0+050||0.797|||108.003|108|3",
      "BM2|||0.299||108.501|108.5|1", ""};
  for (const bool measured_typed : {true, false}) {
    SCOPED_TRACE(measured_typed ? "measured typed" : "measured simulated");
    host::Workbook book = MakeLevellingProject(test::LevellingWorkedExample(measured_typed));
    auto random = MakeScriptedRandomSource(test::LevellingWorkedDraws(measured_typed));
    GenerateLevellingRecord(book, SurveySettings{}, *random);
    const host::Worksheet& sheet = book.Sheet(kLevelling);
    EXPECT_EQ(test::RowDifferences(sheet, 5, record, 9), "") << DumpSheet(sheet, 10);
    EXPECT_EQ(test::TextAt(sheet, {2, 9}), "±6√n=±8");
    EXPECT_EQ(&book.ActiveSheet(), &sheet);
  }
}

TEST(FirstBackSight, WindowFollowsTheRiseToTheFirstPoint) {
  struct Case {
    const char* label;
    double min, max, h1;  // h0 = 100
    RecordingSource::Draw window;
  };
  const std::vector<Case> cases = {
      {"far above", 0.2, 4.8, 104.81, {4200, 4800}},
      {"far below", 0.2, 4.8, 95.19, {200, 800}},
      {"exactly Max above stays near", 0.2, 4.8, 104.8, {4320, 4800}},
      {"above", 0.2, 4.8, 100.5, {4320, 4800}},
      {"above, 0.9 Max under Min", 4.5, 4.9, 100.5, {4500, 4900}},
      {"level counts as below", 0.2, 4.8, 100.0, {200, 500}},
      {"below, 2.5 Min over Max", 2.0, 4.8, 99.0, {2000, 4800}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const SurveySettings settings{.StaffMinReading = c.min, .StaffMaxReading = c.max};
    RecordingSource random;
    const StationReadings s = FirstBackSight(100.0, c.h1, settings, random);
    EXPECT_EQ(random.draws, std::vector<RecordingSource::Draw>{c.window});
    EXPECT_EQ(s.BackSight, c.window.lo / 1000.0);
    EXPECT_EQ(s.ForeSight, 0.0);
  }
}

TEST(TurnStation, DescendsAboveMaxAndAscendsOtherwise) {
  // Dyadic values, so that d = Max holds exactly.
  const SurveySettings settings{
      .StaffMinReading = 0.25, .StaffMaxReading = 4.75, .QuickTransferValue = 0.5};
  struct Case {
    const char* label;
    double target;  // line of sight 110
    std::vector<int32_t> draws;
    RecordingSource::Draw back, fore;
  };
  const std::vector<Case> cases = {
      {"descend", 105.0, {300, 4500}, {250, 750}, {4250, 4750}},
      {"d exactly Max ascends", 105.25, {4500, 300}, {4250, 4750}, {250, 750}},
      {"d at Min ascends", 109.75, {4500, 300}, {4250, 4750}, {250, 750}},
      {"far above ascends", 130.0, {4500, 300}, {4250, 4750}, {250, 750}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RecordingSource bounds;
    TurnStation(110.0, c.target, settings, bounds);
    EXPECT_EQ(bounds.draws, (std::vector<RecordingSource::Draw>{c.back, c.fore}));

    auto random = MakeScriptedRandomSource(c.draws);
    const StationReadings s = TurnStation(110.0, c.target, settings, *random);
    EXPECT_EQ(s.BackSight, c.draws[0] / 1000.0);
    EXPECT_EQ(s.ForeSight, c.draws[1] / 1000.0);
  }
}

// Same draws, different switches: the switches move and scale cells but change no draw.
TEST(BuildLevellingRecord, DisplaySwitchesMoveAndScaleReadingsOnly) {
  const LevellingInput input{
      "BM1",
      50.0,
      "BM2",
      40.0,
      {{"A", "", 58.0, 58.0}, {"B", "", 45.5, 0.0}, {"BM2", "", 40.001, 40.0}}};
  auto build = [&](bool meters, bool mids, bool turn_elevation) {
    const SurveySettings settings{.ShowTurnPointElevation = turn_elevation,
                                  .ShowMidPoints = mids,
                                  .ReadingsInMeters = meters};
    auto random = MakeSeededRandomSource(7);
    return BuildLevellingRecord(input, settings, *random);
  };
  const LevellingRecord base = build(true, true, false);
  ASSERT_GT(base.SetupCount, 1) << "the input must need turning points";
  enum { A, B, C, D, E, F, G, H };
  for (int mask = 1; mask < 8; ++mask) {
    const bool meters = (mask & 1) == 0;
    const bool mids = (mask & 2) == 0;
    const bool turn_elevation = (mask & 4) != 0;
    SCOPED_TRACE(mask);
    const LevellingRecord other = build(meters, mids, turn_elevation);
    ASSERT_EQ(other.Rows.size(), base.Rows.size());
    EXPECT_EQ(other.AllowableClosureText, base.AllowableClosureText);
    const double factor = meters ? 1.0 : 1000.0;
    double line = 0;  // line of sight of the set-up each row is read from
    for (std::size_t i = 0; i < base.Rows.size(); ++i) {
      SCOPED_TRACE(i);
      const auto& want = base.Rows[i].Cells;
      const auto& got = other.Rows[i].Cells;
      const LevellingRowKind kind = base.Rows[i].Kind;
      for (int column : {A, E, G, H}) EXPECT_EQ(got[column], want[column]);
      auto scaled = [&](int column) {
        return RecordValue(std::get<double>(want[column]) * factor);
      };
      if (kind == LevellingRowKind::Point) {
        EXPECT_EQ(got[mids ? C : D], scaled(C));
        EXPECT_TRUE(std::holds_alternative<std::monostate>(got[mids ? D : C]));
      } else if (kind == LevellingRowKind::EndBenchmark) {
        EXPECT_EQ(got[D], scaled(D));
        EXPECT_TRUE(std::holds_alternative<std::monostate>(got[C]));
      } else if (kind == LevellingRowKind::TurnPoint) {
        EXPECT_EQ(got[B], scaled(B));
        EXPECT_EQ(got[D], scaled(D));
        if (turn_elevation) {
          EXPECT_EQ(got[F], RecordValue(line - std::get<double>(want[D])));
        } else {
          EXPECT_TRUE(std::holds_alternative<std::monostate>(got[F]));
        }
      }
      if (const auto* e = std::get_if<double>(&want[E])) line = *e;
    }
  }
  // The point without a design elevation has empty texts in G and H.
  EXPECT_EQ(base.Rows.back().Kind, LevellingRowKind::EndBenchmark);
  for (const vardex::LevellingRow& row : base.Rows) {
    if (row.Kind == LevellingRowKind::Point && row.Cells[A] == RecordValue(std::string("B"))) {
      EXPECT_EQ(row.Cells[G], RecordValue(std::string()));
      EXPECT_EQ(row.Cells[H], RecordValue(std::string()));
    }
  }
}

TEST(BuildLevellingRecord, PointExactlyMaxBelowTheLineOfSightAscendsThenDescends) {
  // Dyadic values, so that d = Max holds exactly.
  const SurveySettings settings{
      .StaffMinReading = 0.25, .StaffMaxReading = 4.75, .QuickTransferValue = 0.5};
  const LevellingInput input{
      "BM1", 100.0, "BM2", 95.0, {{"P", "", 95.75, 95.75}, {"BM2", "", 95.0, 95.0}}};
  // Back-sight 0.5 gives L = 100.5 and d = 4.75 = Max on P.
  auto random = MakeScriptedRandomSource({500, 4500, 250, 500, 4500, 500, 4750});
  const LevellingRecord record = BuildLevellingRecord(input, settings, *random);
  ASSERT_EQ(record.Rows.size(), 6u);
  EXPECT_EQ(record.Rows[1].Cells[4], RecordValue(104.75));  // ascending: up by 4.25
  EXPECT_EQ(record.Rows[2].Cells[4], RecordValue(100.75));  // descending
  EXPECT_EQ(record.Rows[3].Cells[4], RecordValue(96.5));    // descending
  EXPECT_EQ(record.Rows[4].Cells[2], RecordValue(0.75));    // P read from 96.5
  EXPECT_EQ(record.Rows[5].Cells[3], RecordValue(1.5));     // BM2
  EXPECT_EQ(record.SetupCount, 4);
  EXPECT_EQ(record.AllowableClosureText, "±6√n=±12");
}

TEST(BuildLevellingRecord, NamesLoseSpacesButThePrefixKeepsThem) {
  const SurveySettings settings{.TurnPointPrefix = " Z D"};
  const LevellingInput input{"B M 1",
                             100.0,
                             "B M 2",
                             0.0,
                             {{" K1+100 ", "左 3.2 米", 110.0, 0.0}, {"B M 2", "", 100.0, 100.0}}};
  auto random = MakeSeededRandomSource(3);
  const LevellingRecord record = BuildLevellingRecord(input, settings, *random);
  ASSERT_EQ(record.Rows[1].Kind, LevellingRowKind::TurnPoint);  // a rise of 10 m
  EXPECT_EQ(record.Rows[0].Cells[0], RecordValue(std::string("BM1")));
  EXPECT_EQ(record.Rows[1].Cells[0], RecordValue(std::string(" Z D1")));
  const auto point =
      std::find_if(record.Rows.begin(), record.Rows.end(),
                   [](const vardex::LevellingRow& r) { return r.Kind == LevellingRowKind::Point; });
  ASSERT_NE(point, record.Rows.end());
  EXPECT_EQ(point->Cells[0], RecordValue(std::string("K1+100左3.2米")));
  EXPECT_EQ(record.Rows.back().Cells[0], RecordValue(std::string("BM2")));
}

// Failures: an error with a clear message, and "水准表" exactly as an earlier run left it.
TEST(GenerateLevellingRecord, FailuresLeaveTheEarlierRecordUntouched) {
  struct Case {
    const char* label;
    SurveySettings settings;
    LevellingRow point;
    int number;
    std::string message_part;
  };
  // Dyadic staff bounds keep the arithmetic exact. Oscillation: windows of whole millimetres
  // shrink to single values; from L = 100.25 the point reads Max + (Max − Min), a descent brings
  // it to exactly Max, the ascent that follows back to the start. Too narrow: the staff range
  // holds no whole millimetre, so every step is zero.
  const Case cases[] = {
      {"oscillation",
       {.StaffMinReading = 0.25, .StaffMaxReading = 4.75, .QuickTransferValue = 0.0004},
       {std::string("P9"), kNone, 91.0, 91.0},
       host::kErrCannotOpen,
       "点“P9”：转站 256 次"},
      {"staff too narrow",
       {.StaffMinReading = 0.25,
        .StaffMaxReading = 0.25048828125,
        .QuickTransferValue = 0.0001220703125},
       {std::string("Q1"), kNone, 100.0, 100.0},
       host::kErrCannotOpen,
       "点“Q1”：转站 256 次"},
      {"more rows than cleared",
       {},
       {std::string("DEEP"), kNone, -400000.0, -400000.0},
       host::kErrCannotOpen,
       "在点“DEEP”处超出第 65536 行"},
      {"unreadable input",
       {},
       {std::string("P1"), kNone, std::string("abc"), kNone},
       host::kErrTypeMismatch,
       "E8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book =
        MakeLevellingProject({.rows = {{std::string("OLD"), kNone, 100.3, kNone}}});
    auto seeded = MakeSeededRandomSource(11);
    GenerateLevellingRecord(book, SurveySettings{}, *seeded);
    const std::string before = DumpSheet(book.Sheet(kLevelling), 12);
    book.Sheet(test::kInput).Activate();

    TypeLevellingInput(book, {.rows = {c.point}});
    auto random = MakeSeededRandomSource(5);
    EXPECT_HOST_ERROR(GenerateLevellingRecord(book, c.settings, *random), c.number, c.message_part);
    EXPECT_EQ(DumpSheet(book.Sheet(kLevelling), 12), before);
    EXPECT_EQ(book.ActiveSheet().Name(), test::kInput);
  }
}

}  // namespace
}  // namespace vardex::test
