// The table check: clean over many random projects, and a finding at the very cell for every
// kind of damage.
#include "plane/plane_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "plane/plane_tables.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

/// A random project: names of every kind, offsets and notes, coordinates from the centimetre
/// range to national grid values.
std::vector<PlaneRow> RandomPoints(std::mt19937_64& engine, int count) {
  std::uniform_int_distribution<int> kind(0, 5);
  const double scales[] = {1.0, 1000.0, 3.5e6, 0.01};
  const double scale = scales[kind(engine) % 4];
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<PlaneRow> points;
  for (int i = 0; i < count; ++i) {
    PlaneRow p;
    const std::string n = std::to_string(i);
    // A number, a numeric text, a chainage with blanks, a plain name.
    const Typed names[] = {static_cast<double>(i), "00" + n, " K" + n + "+020 ", "P" + n};
    p.name = names[std::min(kind(engine), 3)];
    const Typed offsets[] = {std::round(unit(engine) * 20000) / 1000, std::string("K1+200"), 0.0,
                             std::string(" 2.5 "), Typed{}};
    p.offset = offsets[std::min(kind(engine), 4)];
    p.x = std::round((scale + unit(engine) * scale) * 1000) / 1000;
    if (kind(engine) == 0) {
      p.y = std::string("12.5");
    } else {
      p.y = std::round(unit(engine) * scale * 1000) / 1000;
    }
    points.push_back(p);
  }
  return points;
}

// Every generated table passes the check, whose every rule the damage cases below prove.
TEST(CheckPlaneTablesTest, RandomProjectsAreCleanAndObeyTheInvariants) {
  const std::pair<double, double> tolerances[] = {{-5, 5},  {0, 0}, {3, -3},     {-5.5, 4.5},
                                                  {-20, 1}, {2, 2}, {-0.4, 0.4}, {7, 6}};
  std::mt19937_64 engine(424242);
  std::uniform_int_distribution<int> count(0, 45);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int project = 0; project < 48; ++project) {
    SCOPED_TRACE("project " + std::to_string(project));
    const auto [minus, plus] = tolerances[project % std::size(tolerances)];
    const SurveySettings settings{.PlaneTolMinus = minus, .PlaneTolPlus = plus};

    host::Workbook book = MakeProjectBook();
    const int first_count = project % 7 == 0 ? 0 : count(engine);
    auto points = RandomPoints(engine, first_count);
    TypePlaneInput(book, std::string("T") + std::to_string(project), unit(engine) * 5000,
                   unit(engine) * 5000, 12.5, 1234.0, unit(engine) * 5000, unit(engine) * 5000, 0,
                   points);
    auto random = MakeSeededRandomSource(static_cast<uint64_t>(project));
    GeneratePlaneTables(book, settings, *random);
    const auto findings = CheckPlaneTables(book, settings);
    EXPECT_TRUE(findings.empty()) << test::DumpFindings(findings);

    // A second, shorter run leaves nothing of the first behind.
    const int second_count = first_count / 3;
    book.Sheet(kInput).SetText({8 + second_count, 1}, "");
    GeneratePlaneTables(book, settings, *random);
    const auto second = CheckPlaneTables(book, settings);
    EXPECT_TRUE(second.empty()) << test::DumpFindings(second);
  }
}

/// A clean three-point project with known draws.
host::Workbook CleanProject() {
  host::Workbook book =
      test::MakePlaneProject(std::string("T1"), 1000, 1000, 50, std::string("T2"), 1100, 1000, 51,
                             {{std::string("P1"), -2.5, 1010.0, 1010.0},
                              {std::string("P2"), Typed{}, 990.0, 1020.0},
                              {std::string("P3"), std::string("K1+200"), 1000.0, 950.0}});
  auto random = MakeScriptedRandomSource({3, -2, 0, 5, -5, 1});
  GeneratePlaneTables(book, SurveySettings{}, *random);
  return book;
}

struct Damage {
  const char* label;
  const std::string* sheet;
  const char* cell;
  Typed value;               // what the damaged cell now holds
  const std::string* where;  // sheet of the expected finding
  const char* finding;       // its cell
};

TEST(CheckPlaneTablesTest, EveryDamageIsReportedAtItsCell) {
  ASSERT_TRUE(CheckPlaneTables(CleanProject(), SurveySettings{}).empty());
  const Damage cases[] = {
      {"renamed point", &kStakeOut, "A9", std::string("P9"), &kStakeOut, "A9"},
      {"side text lost", &kInspection, "P8", Typed{}, &kInspection, "P8"},
      {"design X moved", &kStakeOut, "C8", 1010.001, &kStakeOut, "C8"},
      {"azimuth changed", &kStakeOut, "G9", 0.5, &kStakeOut, "G9"},
      {"text for a distance", &kStakeOut, "I8", std::string("abc"), &kStakeOut, "I8"},
      {"measured distance", &kStakeOut, "K10", 50.5, &kStakeOut, "K10"},
      {"difference", &kStakeOut, "M8", 2.0, &kStakeOut, "M8"},
      {"half millimetre", &kInspection, "G8", 1010.0035, &kInspection, "G8"},
      {"outside tolerance", &kInspection, "I9", 1020.006, &kInspection, "I9"},
      {"measured X read by the stake-out record", &kInspection, "G8", 1010.004, &kStakeOut, "K8"},
      {"deviation X", &kInspection, "K9", 1.0, &kInspection, "K9"},
      {"deviation Y as text", &kInspection, "M10", std::string("1 mm"), &kInspection, "M10"},
      {"position deviation", &kInspection, "O8", 3.0, &kInspection, "O8"},
      {"station name", &kStakeOut, "B3", std::string("T9"), &kStakeOut, "B3"},
      {"station X", &kInspection, "D3", std::string("\uFF38\uFF1D1000.5"), &kInspection, "D3"},
      {"back-sight H", &kStakeOut, "J5", Typed{}, &kStakeOut, "J5"},
      {"S", &kInspection, "M3", std::string("S = 100  \u7C73"), &kInspection, "M3"},
      {"alpha", &kStakeOut, "N4", std::string("\u03B1 =  0\u00B000\u203200.00\u2033"), &kStakeOut,
       "N4"},
      {"stale row", &kStakeOut, "A11", std::string("old"), &kStakeOut, "A11"},
      {"stale far down", &kInspection, "Q600", 1.0, &kInspection, "Q600"},
      {"input edited afterwards", &kInput, "D9", 1021.0, &kInspection, "E9"},
  };
  for (const auto& d : cases) {
    SCOPED_TRACE(d.label);
    host::Workbook book = CleanProject();
    host::Worksheet& sheet = book.Sheet(*d.sheet);
    const host::CellRef cell = *host::ParseCellRef(d.cell);
    sheet.SetText(cell, "");
    test::Put(sheet, cell, d.value);
    const auto findings = CheckPlaneTables(book, SurveySettings{});
    EXPECT_TRUE(HasFindingAt(findings, *d.where, d.finding)) << test::DumpFindings(findings);
  }
}

TEST(CheckPlaneTablesTest, NarrowerTolerancesFlagTheDeviationsDrawnUnderWiderOnes) {
  const auto findings = CheckPlaneTables(CleanProject(), {.PlaneTolMinus = -2, .PlaneTolPlus = 2});
  // Draws were 3, -2, 0, 5, -5, 1: X of P1 and P3, Y of P2.
  EXPECT_TRUE(HasFindingAt(findings, kInspection, "G8")) << test::DumpFindings(findings);
  EXPECT_TRUE(HasFindingAt(findings, kInspection, "I9")) << test::DumpFindings(findings);
  EXPECT_TRUE(HasFindingAt(findings, kInspection, "G10")) << test::DumpFindings(findings);
  EXPECT_EQ(findings.size(), 3u) << test::DumpFindings(findings);
}

TEST(CheckPlaneTablesTest, OddWorkbooksGiveFindingsNotCrashes) {
  {
    host::Workbook book = CleanProject();
    book.Sheet(kInput).SetText({4, 2}, "north");
    const auto findings = CheckPlaneTables(book, SurveySettings{});
    ASSERT_EQ(findings.size(), 1u) << test::DumpFindings(findings);
    EXPECT_TRUE(HasFindingAt(findings, kInput, "B4"));
    EXPECT_NE(findings[0].message.find("north"), std::string::npos);
  }
  {
    host::Workbook book;  // only "Sheet1"
    const auto findings = CheckPlaneTables(book, SurveySettings{});
    EXPECT_EQ(findings.size(), 3u) << test::DumpFindings(findings);
    EXPECT_TRUE(HasFindingAt(findings, kInput, "A1"));
  }
  {
    // Text in every cell of both tables: many findings, no exception.
    host::Workbook book = CleanProject();
    for (const auto& name : {kStakeOut, kInspection}) {
      for (int row = 1; row <= 30; ++row) {
        for (int column = 1; column <= 17; ++column) {
          book.Sheet(name).SetText({row, column}, "x");
        }
      }
    }
    std::vector<CheckFinding> findings;
    EXPECT_NO_THROW(findings = CheckPlaneTables(book, SurveySettings{}));
    EXPECT_TRUE(HasFindingAt(findings, kInspection, "G8"));
    EXPECT_TRUE(HasFindingAt(findings, kStakeOut, "A12"));
  }
}

}  // namespace
}  // namespace vardex::test
