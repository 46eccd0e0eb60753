// Row templating: row 8 of the active sheet repeated into rows 9 to n + 8.
#include <gtest/gtest.h>

#include <algorithm>

#include "plane/plane_tables.hpp"
#include "plane_test_support.hpp"
#include "project_package.hpp"

namespace vardex {
namespace {

using plane_test::kStakeOut;

bool HasMerge(const host::Worksheet& sheet, const char* range) {
  const auto wanted = host::ParseRangeRef(range);
  const auto& merged = sheet.MergedRanges();
  return std::find(merged.begin(), merged.end(), *wanted) != merged.end();
}

TEST(ExtendRecordRowsTest, RepeatsRow8IntoRows9ToNPlus8) {
  for (const int32_t n : {-1, 0, 11, 12, 100}) {
    SCOPED_TRACE(n);
    host::Workbook book = plane_test::OpenProjectPackage();
    host::Worksheet& sheet = book.Sheet(kStakeOut);
    sheet.Activate();
    sheet.SetValue({8, 2}, 42.0);  // a column the writers leave alone
    sheet.SetValue({8, 17}, "备注");
    sheet.Select(*host::ParseRangeRef("C3"));

    ExtendRecordRows(book, n);

    const int32_t last = n <= 11 ? 8 : n + 8;
    for (int32_t row = 9; row <= std::max(last, 20) + 1; ++row) {
      const bool copied = row <= last;
      EXPECT_EQ(sheet.StyleIndex({row, 1}), copied ? plane_test::kBorderStyle : 0u) << row;
      EXPECT_EQ(sheet.StyleIndex({row, 7}), copied ? plane_test::kDmsStyle : 0u) << row;
      EXPECT_EQ(plane_test::NumberAt(sheet, {row, 2}) == 42.0, copied) << row;
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
  host::Workbook book = plane_test::OpenProjectPackage();
  book.Sheet(plane_test::kInspection).Activate();
  ExtendRecordRows(book, 12);
  EXPECT_EQ(book.Sheet(plane_test::kInspection).StyleIndex({20, 1}), plane_test::kBorderStyle);
  EXPECT_EQ(book.Sheet(kStakeOut).StyleIndex({20, 1}), 0u);
}

TEST(ExtendRecordRowsTest, RowsBeyondTheSheetAreRefused) {
  host::Workbook book = plane_test::OpenProjectPackage();
  book.Sheet(kStakeOut).Activate();
  EXPECT_THROW(ExtendRecordRows(book, host::kMaxRows), host::HostError);
  EXPECT_THROW(ExtendRecordRows(book, INT32_MAX), host::HostError);
  EXPECT_EQ(book.Sheet(kStakeOut).StyleIndex({9, 1}), 0u);
}

TEST(WritePlaneTablesLayoutTest, LongListGetsRow8LayoutOnBothSheets) {
  host::Workbook book = plane_test::OpenProjectPackage();
  std::vector<plane_test::InputPoint> points;
  for (int i = 0; i < 30; ++i) points.push_back({"P" + std::to_string(i), {}, 100.0 + i, 0.0});
  plane_test::TypeInput(book, std::string("S"), 0, 0, 0, std::string("B"), 10, 0, 0, points);
  auto random = MakeSeededRandomSource(3);
  GeneratePlaneTables(book, SurveySettings{}, *random);
  for (const auto& name : {kStakeOut, plane_test::kInspection}) {
    const host::Worksheet& sheet = book.Sheet(name);
    EXPECT_EQ(sheet.StyleIndex({37, 7}), plane_test::kDmsStyle) << name;
    EXPECT_TRUE(HasMerge(sheet, "C37:D37")) << name;
    EXPECT_EQ(sheet.StyleIndex({38, 7}), 0u) << name;
  }
  // Column G of the stake-out record shows the azimuth (due north) under the angle format.
  EXPECT_EQ(book.Sheet(kStakeOut).Text({8, 7}), "0\u00B000\u203200.00\u2033");
}

TEST(LoadPlaneInputDisplayTest, NameIsTakenAsDisplayed) {
  host::Workbook book = plane_test::OpenProjectPackage();
  host::Worksheet& input = book.Sheet(plane_test::kInput);
  plane_test::TypeInput(book, std::string("S"), 0, 0, 0, std::string("B"), 0, 0, 0,
                        {{1.0, {}, 1.0, 1.0}, {std::string("P2"), {}, 1.0, 1.0}});
  input.SetStyleIndex({8, 1}, plane_test::kTwoDecimalStyle);
  auto random = MakeSeededRandomSource(3);
  EXPECT_EQ(LoadPlaneInput(book, SurveySettings{}, *random).StakePoints[0].Name, "1.00");
}

}  // namespace
}  // namespace vardex
