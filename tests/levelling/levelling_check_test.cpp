// The record check over many generated records (every rule must hold for random projects and
// settings), and over hand-edited records (each edit must be reported at its cell).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "levelling/levelling_check.hpp"
#include "levelling/levelling_record.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

const Typed kNone{};

// Draws for building random projects; kept apart from the generator's own source.
class ProjectDice {
 public:
  explicit ProjectDice(uint64_t seed) : engine_(seed) {}
  double Uniform(double lo, double hi) {
    const double r = static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    return lo + (hi - lo) * r;
  }
  int Int(int lo, int hi) {
    return lo + static_cast<int>(engine_() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool Chance(double p) { return Uniform(0, 1) < p; }
  // Elevations as typed: whole millimetres.
  double Millimetres(double lo, double hi) { return std::round(Uniform(lo, hi) * 1000) / 1000; }

 private:
  std::mt19937_64 engine_;
};

SurveySettings RandomSettings(ProjectDice& dice, int switches) {
  SurveySettings s;
  s.StaffMinReading = std::round(dice.Uniform(-0.5, 1.5) * 10000) / 10000;
  const double range = std::round(dice.Uniform(0.3, 6.0) * 10000) / 10000;
  s.StaffMaxReading = s.StaffMinReading + range;
  // At least 2 mm, so that each quick-transfer band holds more than one whole millimetre.
  s.QuickTransferValue = std::max(0.002, range / 2 * dice.Uniform(0.01, 0.98));
  s.MidTolMinus = std::round(dice.Uniform(-6, 1) * 2) / 2;  // halves test ties to even
  s.MidTolPlus = s.MidTolMinus + std::round(dice.Uniform(0.5, 8) * 2) / 2;
  s.ClosureTolMinus = std::round(dice.Uniform(-4, 0.5) * 2) / 2;
  s.ClosureTolPlus = s.ClosureTolMinus + std::round(dice.Uniform(0.5, 5) * 2) / 2;
  const char* prefixes[] = {"ZD", " Z D ", "", "TP-"};
  s.TurnPointPrefix = prefixes[dice.Int(0, 3)];
  s.ReadingsInMeters = (switches & 1) != 0;
  s.ShowMidPoints = (switches & 2) != 0;
  s.ShowTurnPointElevation = (switches & 4) != 0;
  return s;
}

LevellingBlock RandomBlock(ProjectDice& dice, int points, double range) {
  LevellingBlock block;
  block.start_name = std::string(dice.Chance(0.2) ? " B M 1 " : "BM1");
  const double start = dice.Chance(0.1) ? 0.0 : dice.Millimetres(-50, 500);
  block.start_elevation = start;
  double elevation = start;
  for (int i = 0; i < points; ++i) {
    // Mostly near the line, sometimes far above or below it.
    const double jump = dice.Chance(0.15) ? dice.Uniform(-60, 60) : dice.Uniform(-range, range);
    elevation = std::round((elevation + jump) * 1000) / 1000;
    LevellingRow row;
    const Typed names[] = {"K0 + " + std::to_string(i * 20), static_cast<double>(i + 1),
                           "P" + std::to_string(i)};
    row.name = names[std::min(dice.Int(0, 3), 2)];
    const Typed offsets[] = {dice.Millimetres(-12, 12), std::string("边沟"), Typed{}};
    row.offset = offsets[std::min(dice.Int(0, 3), 2)];
    // Without a design elevation the measured one is typed: a simulated one would lie near 0.
    const bool designed = !dice.Chance(0.1);
    if (designed) row.design = elevation;
    if (!designed || dice.Chance(0.3))
      row.measured = dice.Millimetres(elevation - 0.05, elevation + 0.05);
    block.rows.push_back(row);
  }
  block.end_name = std::string("BM2");
  block.end_elevation =
      dice.Chance(0.1) ? 0.0 : std::round((elevation + dice.Uniform(-20, 20)) * 1000) / 1000;
  return block;
}

TEST(CheckLevellingRecord, EveryGeneratedRecordPassesIncludingAShorterRerun) {
  for (uint64_t seed = 1; seed <= 160; ++seed) {
    ProjectDice dice(seed);
    const SurveySettings settings = RandomSettings(dice, static_cast<int>(seed % 8));
    const int longer = seed % 10 == 0 ? dice.Int(150, 300) : dice.Int(0, 40);
    const double range = settings.StaffMaxReading - settings.StaffMinReading;
    LevellingBlock block = RandomBlock(dice, longer, range);
    host::Workbook book = MakeLevellingProject(block);
    auto random = MakeSeededRandomSource(seed);

    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " run " + std::to_string(run));
      GenerateLevellingRecord(book, settings, *random);
      const std::vector<CheckFinding> findings = CheckLevellingRecord(book, settings);
      ASSERT_TRUE(findings.empty())
          << DumpFindings(findings) << DumpSheet(book.Sheet(kLevelling), 30);
      if (seed % 40 == 0) {
        // `vardex check` reads saved files: the record must survive the round trip.
        const host::Workbook reopened = test::SavedAndReopened(book);
        const std::vector<CheckFinding> after = CheckLevellingRecord(reopened, settings);
        ASSERT_TRUE(after.empty()) << DumpFindings(after);
      }
      // The second run has fewer points, so rows of the first must be gone.
      block.rows.resize(block.rows.size() / 3);
      test::TypeLevellingInput(book, block);
    }
  }
}

// The worked example's record (rows 5 to 9: BM1, K0+000, ZD1, K0+050, BM2).
host::Workbook WorkedExample(bool measured_typed) {
  host::Workbook book = MakeLevellingProject(test::LevellingWorkedExample(measured_typed));
  auto random = MakeScriptedRandomSource(test::LevellingWorkedDraws(measured_typed));
  GenerateLevellingRecord(book, SurveySettings{}, *random);
  return book;
}

TEST(CheckLevellingRecord, HandEditsAreReportedAtTheirCell) {
  struct Edit {
    const char* cell;
    Typed value;
    const char* finding;  // the cell a finding must name
    bool measured_typed = true;
  };
  const std::vector<Edit> edits = {
      {"C6", 3.899, "C6"},                    // reading no longer gives F
      {"C6", std::string("3.898"), "C6"},     // text where a number belongs
      {"F6", 100.503, "F6"},                  // measured value of the input changed
      {"F6", 100.5005, "F6", false},          // simulated error not whole millimetres
      {"F6", 100.506, "F6", false},           // simulated error beyond +3 mm
      {"B5", 4.9, "B5"},                      // first back-sight off its window
      {"E5", 104.5, "E5"},                    // line of sight ≠ known elevation + back-sight
      {"B7", 3.0, "B7"},                      // back-sight outside the upper band
      {"B7", 4.6, "E7"},                      // inside the band, but E no longer follows
      {"D7", 0.9, "D7"},                      // fore-sight outside the lower band
      {"E7", 108.9, "E7"},                    // line of sight changed
      {"A7", std::string("ZD2"), "A7"},       // set-up number
      {"A8", std::string("K0+05"), "A8"},     // point name
      {"G8", 108.1, "G8"},                    // design elevation
      {"H8", 4.0, "H8"},                      // deviation
      {"D9", 0.3, "D9"},                      // end benchmark reading
      {"F9", 108.504, "F9"},                  // closing error 4 mm beyond ±2
      {"E6", 1.0, "E6"},                      // a point row has no line of sight
      {"I6", std::string("x"), "I6"},         // column I stays empty
      {"A11", std::string("旧记录"), "A11"},  // a row left behind
      {"I2", std::string("±6√n=±6"), "I2"},   // n counts the turning point
  };
  for (const bool typed : {true, false}) {
    const host::Workbook book = WorkedExample(typed);
    const std::vector<CheckFinding> clean = CheckLevellingRecord(book, SurveySettings{});
    EXPECT_TRUE(clean.empty()) << DumpFindings(clean);
  }
  for (const Edit& edit : edits) {
    SCOPED_TRACE(std::string(edit.cell) + (edit.measured_typed ? "" : " (simulated)"));
    host::Workbook book = WorkedExample(edit.measured_typed);
    test::Put(book.Sheet(kLevelling), *host::ParseCellRef(edit.cell), edit.value);
    const std::vector<CheckFinding> findings = CheckLevellingRecord(book, SurveySettings{});
    EXPECT_TRUE(HasFindingAt(findings, kLevelling, edit.finding)) << DumpFindings(findings);
  }
}

TEST(CheckLevellingRecord, SettingsThatDisagreeWithTheRecordAreFound) {
  // The record was written with readings in metres and intermediate sights in C.
  const host::Workbook book = WorkedExample(true);
  EXPECT_TRUE(
      HasFindingAt(CheckLevellingRecord(book, {.ReadingsInMeters = false}), kLevelling, "C6"));
  EXPECT_TRUE(HasFindingAt(CheckLevellingRecord(book, {.ShowMidPoints = false}), kLevelling, "D6"));
  EXPECT_TRUE(
      HasFindingAt(CheckLevellingRecord(book, {.ShowTurnPointElevation = true}), kLevelling, "F7"));
}

TEST(CheckLevellingRecord, TruncatedOrMissingRecordIsOneFindingNotACrash) {
  struct Case {
    const char* label;
    std::string sheet;
    const char* cleared;  // the range cleared, or the cell given a text
    const char* finding;
  };
  const Case cases[] = {{"end benchmark row cleared", kLevelling, "A9:I9", "A9"},
                        {"record cleared", kLevelling, "A5:I9", "A5"},
                        {"input unreadable", kInput, "E9", "E9"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book = WorkedExample(true);
    const host::RangeRef range = *host::ParseRangeRef(c.cleared);
    if (range.first == range.last) {
      book.Sheet(c.sheet).SetValue(range.first, std::string_view("高"));
    } else {
      book.Sheet(c.sheet).ClearContents(range);
    }
    const std::vector<CheckFinding> findings = CheckLevellingRecord(book, SurveySettings{});
    EXPECT_TRUE(HasFindingAt(findings, c.sheet, c.finding)) << DumpFindings(findings);
  }
  host::Workbook no_record;
  no_record.AddSheet(kInput);
  const std::vector<CheckFinding> findings = CheckLevellingRecord(no_record, SurveySettings{});
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].sheet, kLevelling);
}

}  // namespace
}  // namespace vardex::test
