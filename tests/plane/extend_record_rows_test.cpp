// Row templating: row 8 of the active sheet repeated into rows 9 to n + 8.
#include <gtest/gtest.h>

#include <algorithm>

#include "plane/plane_tables.hpp"
#include "support/package.hpp"
#include "support/project_book.hpp"

namespace vardex::test {
namespace {

// Style indices of the package below: bordered, two decimals, bordered degrees-minutes-seconds.
constexpr uint32_t kBorderStyle = 1;
constexpr uint32_t kTwoDecimalStyle = 2;
constexpr uint32_t kDmsStyle = 3;

// The project's four sheets shaped like the template: record row 8 of both plane sheets bordered,
// column G under the angle format, A:B and C:D merged.
host::Workbook OpenProjectPackage() {
  std::string row = "<row r=\"8\">";
  for (const char column : std::string("ABCDEFGHIJKLMNOPQ")) {
    const uint32_t style = column == 'G' ? kDmsStyle : kBorderStyle;
    row += "<c r=\"" + std::string(1, column) + "8\" s=\"" + std::to_string(style) + "\"/>";
  }
  const test::PackageSheet record{
      "", row + "</row>",
      "<mergeCells count=\"2\"><mergeCell ref=\"A8:B8\"/><mergeCell ref=\"C8:D8\"/></mergeCells>"};
  const std::string styles =
      test::StyleSheet({"0.00", "[h]°mm′ss.00″"}, {{0}, {0, true}, {164}, {165, true}});
  test::PackageSheet stake_out = record;
  stake_out.name = test::kStakeOut;
  test::PackageSheet inspection = record;
  inspection.name = test::kInspection;
  return test::OpenPackage({{test::kInput, ""}, {test::kLevelling, ""}, stake_out, inspection},
                           styles);
}

bool HasMerge(const host::Worksheet& sheet, const char* range) {
  const auto wanted = host::ParseRangeRef(range);
  const auto& merged = sheet.MergedRanges();
  return std::find(merged.begin(), merged.end(), *wanted) != merged.end();
}

TEST(ExtendRecordRowsTest, RepeatsRow8IntoRows9ToNPlus8) {
  for (const int32_t n : {-1, 0, 11, 12, 100}) {
    SCOPED_TRACE(n);
    host::Workbook book = OpenProjectPackage();
    host::Worksheet& sheet = book.Sheet(kStakeOut);
    sheet.Activate();
    sheet.SetValue({8, 2}, 42.0);  // a column the writers leave alone
    sheet.SetValue({8, 17}, "备注");
    sheet.Select(*host::ParseRangeRef("C3"));

    ExtendRecordRows(book, n);

    const int32_t last = n <= 11 ? 8 : n + 8;
    for (int32_t row = 9; row <= std::max(last, 20) + 1; ++row) {
      const bool copied = row <= last;
      EXPECT_EQ(sheet.StyleIndex({row, 1}), copied ? kBorderStyle : 0u) << row;
      EXPECT_EQ(sheet.StyleIndex({row, 7}), copied ? kDmsStyle : 0u) << row;
      EXPECT_EQ(test::NumberAt(sheet, {row, 2}) == 42.0, copied) << row;
      EXPECT_EQ(!host::IsEmpty(sheet.Value({row, 17})), copied) << row;
      const std::string r = std::to_string(row);
      EXPECT_EQ(HasMerge(sheet, ("A" + r + ":B" + r).c_str()), copied) << row;
      EXPECT_EQ(HasMerge(sheet, ("C" + r + ":D" + r).c_str()), copied) << row;
    }
    EXPECT_TRUE(HasMerge(sheet, "A8:B8"));
    if (n <= 11) {
      // Nothing at all happens: the selection stays and nothing reaches the clipboard.
      EXPECT_EQ(sheet.Selection(), *host::ParseRangeRef("C3"));
      EXPECT_FALSE(book.CutCopyMode());
      sheet.Select(*host::ParseRangeRef("A30"));
      EXPECT_THROW(sheet.Paste(), host::HostError);
    } else {
      EXPECT_EQ(sheet.Selection(), *host::ParseRangeRef("A8"));
      EXPECT_FALSE(book.CutCopyMode());
    }
  }
}

TEST(ExtendRecordRowsTest, WorksOnTheActiveSheetOnly) {
  host::Workbook book = OpenProjectPackage();
  book.Sheet(test::kInspection).Activate();
  ExtendRecordRows(book, 12);
  EXPECT_EQ(book.Sheet(test::kInspection).StyleIndex({20, 1}), kBorderStyle);
  EXPECT_EQ(book.Sheet(kStakeOut).StyleIndex({20, 1}), 0u);
}

TEST(ExtendRecordRowsTest, RowsBeyondTheSheetAreRefused) {
  host::Workbook book = OpenProjectPackage();
  book.Sheet(kStakeOut).Activate();
  EXPECT_THROW(ExtendRecordRows(book, host::kMaxRows), host::HostError);
  EXPECT_THROW(ExtendRecordRows(book, INT32_MAX), host::HostError);
  EXPECT_EQ(book.Sheet(kStakeOut).StyleIndex({9, 1}), 0u);
}

TEST(LoadPlaneInputDisplayTest, NameIsTakenAsDisplayed) {
  host::Workbook book = OpenProjectPackage();
  host::Worksheet& input = book.Sheet(test::kInput);
  test::TypePlaneInput(book, std::string("S"), 0, 0, 0, std::string("B"), 0, 0, 0,
                       {{1.0, {}, 1.0, 1.0}, {std::string("P2"), {}, 1.0, 1.0}});
  input.SetStyleIndex({8, 1}, kTwoDecimalStyle);
  auto random = MakeSeededRandomSource(3);
  EXPECT_EQ(LoadPlaneInput(book, SurveySettings{}, *random).StakePoints[0].Name, "1.00");
}

}  // namespace
}  // namespace vardex::test
