// The stake-out record and the inspection table: worked rows, header texts, clearing, row
// templating and the errors that must leave both sheets untouched.
#include "plane/plane_tables.hpp"

#include <gtest/gtest.h>

#include "host/host_error.hpp"
#include "plane/plane_check.hpp"
#include "plane/record_layout.hpp"
#include "support/expect_error.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

void Generate(host::Workbook& book, std::vector<int32_t> draws) {
  auto random = MakeScriptedRandomSource(std::move(draws));
  GeneratePlaneTables(book, SurveySettings{}, *random);
}

TEST(WritePlaneTablesTest, WorkedRowOnBothSheets) {
  host::Workbook book =
      test::MakePlaneProject(std::string("T1"), 1000, 1000, 50, std::string("T2"), 1100, 1000, 51,
                             {{std::string("P1"), 2.0, 1010.0, 1010.0}});
  Generate(book, {3, -2});
  // G: the azimuth 44.99999999999996° as a day fraction; I: the distance text read back as a
  // number; K: 14.1428... from the measured position; O: 3.6055... mm.
  EXPECT_EQ(
      test::RowDifferences(book.Sheet(kStakeOut), 8,
                           {"P1||1010||1010||1.8749999999999982||14.142||14.143||1|||右2.米"}, 17),
      "");
  EXPECT_EQ(test::RowDifferences(book.Sheet(kInspection), 8,
                                 {"P1||1010||1010||1010.003||1009.998||3||-2||4|右2.米"}, 17),
            "");
  EXPECT_EQ(&book.ActiveSheet(), &book.Sheet(kInspection));
}

// Full-width Ｘ Ｙ Ｈ and ＝ (U+FF38, U+FF39, U+FF28, U+FF1D), Latin alpha U+0251.
struct HeaderCase {
  const char* label;
  double bx;
  double by;
  const char* s_text;
  const char* alpha_text;
};

TEST(WritePlaneTablesTest, HeaderTextsCharacterForCharacter) {
  const HeaderCase cases[] = {
      {"3-4-5", 103, 104, "S =  5  \u7C73", "\u0251 =  53\u00B007\u203248.37\u2033"},
      {"coincident", 100, 100, "S =  0  \u7C73", "\u0251 =  0\u00B000\u203200.00\u2033"},
      {"fraction", 100.5, 100, "S =  0.5  \u7C73", "\u0251 =  0\u00B000\u203200.00\u2033"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    host::Workbook book = test::MakePlaneProject(std::string("K1"), 100, 100, 512.125,
                                                 std::string("K2"), c.bx, c.by, 500, {});
    Generate(book, {});
    for (const auto& [name, column] : {std::pair{kStakeOut, 14}, std::pair{kInspection, 13}}) {
      SCOPED_TRACE(name);
      const host::Worksheet& sheet = book.Sheet(name);
      EXPECT_EQ(TextAt(sheet, {3, 2}), "K1");
      EXPECT_EQ(TextAt(sheet, {3, 4}), "\uFF38\uFF1D100");
      EXPECT_EQ(TextAt(sheet, {4, 4}), "\uFF39\uFF1D100");
      EXPECT_EQ(TextAt(sheet, {5, 4}), "\uFF28\uFF1D512.125");
      EXPECT_EQ(TextAt(sheet, {3, 7}), "K2");
      EXPECT_EQ(TextAt(sheet, {5, 10}), "\uFF28\uFF1D500");
      EXPECT_EQ(TextAt(sheet, {3, column}), c.s_text);
      EXPECT_EQ(TextAt(sheet, {4, column}), c.alpha_text);
    }
  }
}

TEST(WritePlaneTablesTest, GeneralTextKeepsFifteenDigits) {
  host::Workbook book =
      test::MakePlaneProject(Typed{}, 3512345.12345678, -0.1, 1e-5, Typed{}, 0, 0, 0, {});
  Generate(book, {});
  const host::Worksheet& sheet = book.Sheet(kStakeOut);
  EXPECT_EQ(TextAt(sheet, {3, 4}), "\uFF38\uFF1D3512345.12345678");
  EXPECT_EQ(TextAt(sheet, {4, 4}), "\uFF39\uFF1D-0.1");
  EXPECT_EQ(TextAt(sheet, {5, 4}), "\uFF28\uFF1D0.00001");
}

TEST(WritePlaneTablesTest, DistanceDifferenceUsesTheRoundedDistancesAsWritten) {
  // Design distance 25.00033, measured 25.00457: I is the text "25." and reads back as 25.
  host::Workbook book = test::MakePlaneProject(Typed{}, 0, 0, 0, Typed{}, 10, 0, 0,
                                               {{std::string("A"), Typed{}, 17.6779, 17.6779}});
  Generate(book, {3, 3});
  const host::Worksheet& s = book.Sheet(kStakeOut);
  EXPECT_EQ(NumberAt(s, {8, 9}), 25);
  EXPECT_EQ(NumberAt(s, {8, 11}), 25.005);
  EXPECT_EQ(NumberAt(s, {8, 13}), 5);
}

struct DeviationCase {
  int32_t dx;
  int32_t dy;
  double position;
};

TEST(WritePlaneTablesTest, InspectionDeviationsInMillimetres) {
  const DeviationCase cases[] = {{3, -4, 5}, {1, 1, 1},  {-5, 5, 7}, {5, 5, 7},
                                 {0, 0, 0},  {-1, 0, 1}, {2, 2, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
    host::Workbook book = test::MakePlaneProject(Typed{}, 0, 0, 0, Typed{}, 0, 0, 0,
                                                 {{std::string("P"), Typed{}, 4321.987, 1234.5}});
    Generate(book, {c.dx, c.dy});
    const host::Worksheet& q = book.Sheet(kInspection);
    EXPECT_EQ(NumberAt(q, {8, 11}), c.dx);
    EXPECT_EQ(NumberAt(q, {8, 13}), c.dy);
    EXPECT_EQ(NumberAt(q, {8, 15}), c.position);
  }
}

TEST(WritePlaneTablesTest, ShorterRunClearsOldRowsButRow8KeepsItsContents) {
  host::Workbook book = MakeProjectBook();
  std::vector<PlaneRow> many;
  for (int i = 0; i < 20; ++i) many.push_back({"P" + std::to_string(i), Typed{}, 1.0 * i, 2.0});
  TypePlaneInput(book, Typed{}, 0, 0, 0, Typed{}, 0, 0, 0, many);
  auto random = MakeSeededRandomSource(5);
  GeneratePlaneTables(book, SurveySettings{}, *random);
  EXPECT_EQ(TextAt(book.Sheet(kStakeOut), {27, 1}), "P19");

  // Now an empty list: headers are rewritten, rows 9 and below emptied (the check finds any cell
  // left), row 8 stays.
  book.Sheet(test::kInput).SetText({8, 1}, "");
  GeneratePlaneTables(book, SurveySettings{}, *random);
  const auto findings = CheckPlaneTables(book, SurveySettings{});
  EXPECT_TRUE(findings.empty()) << test::DumpFindings(findings);
  for (const auto& name : {kStakeOut, kInspection}) {
    EXPECT_EQ(TextAt(book.Sheet(name), {8, 1}), "P0") << name;
    EXPECT_TRUE(host::IsEmpty(book.Sheet(name).Value({9, 1}))) << name;
  }
}

/// Snapshot of both plane sheets, to prove that a refused run wrote nothing.
std::vector<host::CellValue> Snapshot(const host::Workbook& book) {
  std::vector<host::CellValue> cells;
  for (const auto& name : {kStakeOut, kInspection}) {
    const host::Worksheet& sheet = book.Sheet(name);
    for (int row = 1; row <= 30; ++row) {
      for (int column = 1; column <= 17; ++column) cells.push_back(sheet.Value({row, column}));
    }
  }
  return cells;
}

TEST(WritePlaneTablesTest, RefusedRunsLeaveBothSheetsUntouched) {
  host::Workbook book = test::MakePlaneProject(std::string("old"), 1, 1, 1, std::string("old"), 2,
                                               2, 2, {{std::string("old"), Typed{}, 5.0, 5.0}});
  Generate(book, {1, 1});
  const auto before = Snapshot(book);

  PlaneInput too_many;
  too_many.StakePoints.resize(static_cast<std::size_t>(kMaxStakePoints) + 1);
  PlaneInput huge;
  huge.StakePoints.push_back({"far", "", 1e200, -1e200, 1e200, -1e200});
  PlaneInput huge_station;
  huge_station.StationPoint = {"S", 1e300, 1e300, 0};
  huge_station.BackSightPoint = {"B", -1e300, -1e300, 0};

  const std::pair<const PlaneInput*, int> cases[] = {
      {&too_many, host::kErrCannotOpen},
      {&huge, host::kErrOverflow},
      {&huge_station, host::kErrOverflow},
  };
  for (const auto& [input, number] : cases) {
    EXPECT_HOST_ERROR(WritePlaneTables(book, *input), number);
    EXPECT_EQ(Snapshot(book), before);
  }

  // The largest list the cleared rows hold is accepted.
  PlaneInput most;
  most.StakePoints.resize(static_cast<std::size_t>(kMaxStakePoints),
                          StakePoint{"p", "", 1, 1, 1, 1});
  WritePlaneTables(book, most);
  EXPECT_EQ(TextAt(book.Sheet(kInspection), {kLastRecordRow, 1}), "p");
}

TEST(WritePlaneTablesTest, MissingOutputSheetIsError9AndTheOtherStaysEmpty) {
  for (const bool stake_out_present : {false, true}) {
    host::Workbook book = MakeProjectBook(stake_out_present, !stake_out_present);
    TypePlaneInput(book, std::string("S"), 0, 0, 0, std::string("B"), 1, 1, 0,
                   {{std::string("P"), Typed{}, 5.0, 5.0}});
    auto random = MakeScriptedRandomSource({0, 0});
    EXPECT_HOST_ERROR(GeneratePlaneTables(book, SurveySettings{}, *random), host::kErrSubscript,
                      stake_out_present ? kInspection : kStakeOut);
    const host::Worksheet& present = book.Sheet(stake_out_present ? kStakeOut : kInspection);
    EXPECT_FALSE(present.UsedRange().has_value());
  }
}

// The stake-out record's M and the check's expectation both come from here, on the distances read
// back from I and K; those carry binary noise of a few ulps around their three decimals.
TEST(DistanceDifferenceTextTest, WholeMillimetresDespiteBinaryNoise) {
  EXPECT_EQ(detail::DistanceDifferenceText(163.271, 163.267), "4");   // 3.99999999999068 mm
  EXPECT_EQ(detail::DistanceDifferenceText(60.206, 60.208), "-2");    // -1.99999999999534 mm
  EXPECT_EQ(detail::DistanceDifferenceText(51.54, 51.539), "1");      // 0.999999999997669 mm
  EXPECT_EQ(detail::DistanceDifferenceText(166.206, 166.208), "-2");  // -2.00000000000955 mm
  EXPECT_EQ(detail::DistanceDifferenceText(25.005, 25), "5");
  EXPECT_EQ(detail::DistanceDifferenceText(5, 5), "0");
}

}  // namespace
}  // namespace vardex::test
