// The plane tables on the real project template: its merged record rows, number formats and
// a save and reopen, followed by the table check.
#include <gtest/gtest.h>

#include <algorithm>

#include "plane/plane_check.hpp"
#include "plane/plane_tables.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

TEST(ProjectTemplateTest, LongListOnTheTemplateSurvivesSaveAndCheck) {
  host::Workbook book = host::Workbook::Open(test::TemplateFile());
  std::vector<test::PlaneRow> rows;
  for (int i = 0; i < 40; ++i) {
    rows.push_back({"K1+" + std::to_string(100 + 20 * i), i % 3 == 0 ? -3.5 : 4.25,
                    3512000.0 + 7.5 * i, 512300.0 - 3.25 * i});
  }
  test::TypePlaneInput(book, std::string("GPS1"), 3512100.123, 512250.456, 35.5,
                       std::string("GPS2"), 3512400.789, 512100.012, 36.25, rows);
  auto random = MakeSeededRandomSource(2024);
  GeneratePlaneTables(book, SurveySettings{}, *random);
  // Twice, so that the second run pastes over the merges the first one laid out.
  GeneratePlaneTables(book, SurveySettings{}, *random);

  for (const auto& name : {test::kStakeOut, test::kInspection}) {
    SCOPED_TRACE(name);
    const host::Worksheet& sheet = book.Sheet(name);
    // Row 47, the last point's, is laid out as row 8: styles, formats and merges.
    for (int32_t column = 1; column <= 17; ++column) {
      EXPECT_EQ(sheet.StyleIndex({47, column}), sheet.StyleIndex({8, column})) << column;
    }
    EXPECT_EQ(sheet.NumberFormatCode({47, 7}), sheet.NumberFormatCode({8, 7}));
    const auto& merged = sheet.MergedRanges();
    for (const host::RangeRef& range : merged) {
      if (range.first.row != 8 || range.last.row != 8) continue;
      const host::RangeRef moved{{47, range.first.column}, {47, range.last.column}};
      EXPECT_NE(std::find(merged.begin(), merged.end(), moved), merged.end())
          << host::FormatCellRef(moved.first);
    }
  }
  const host::Worksheet& stake_out = book.Sheet(test::kStakeOut);
  EXPECT_EQ(stake_out.Text({8, 7}), AngleToDmsText(test::NumberAt(stake_out, {8, 7}) * 24.0));

  const host::Workbook reopened = test::SavedAndReopened(book);
  const auto findings = CheckPlaneTables(reopened, SurveySettings{});
  EXPECT_TRUE(findings.empty()) << test::DumpFindings(findings);
}

}  // namespace
}  // namespace vardex::test
