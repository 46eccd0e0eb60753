// Pagination against pages counted by hand: 288 points of room, rows of 20 points.
#include <gtest/gtest.h>

#include "host/page_setup.hpp"
#include "print/pagination.hpp"
#include "print_test_support.hpp"

namespace vardex {
namespace {

using print::Span;

struct BandCase {
  const char* what;
  int rows;
  std::string before;  // sheetPr
  std::string setup;   // more page setup attributes
  std::string breaks;  // rowBreaks element
  std::string names;   // defined names
  std::vector<Span> expected;
  double zoom;
};

const std::string kTitles =
    "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Sheet!$1:$2</definedName>";

class RowBands : public ::testing::TestWithParam<BandCase> {};

TEST_P(RowBands, FallAsCountedByHand) {
  const BandCase& c = GetParam();
  host::Workbook book =
      test::NumberedSheet(c.rows, 20, c.before, test::TestPaper(c.setup) + c.breaks, c.names);
  const host::Worksheet& sheet = book.Sheet("Sheet");
  const print::PrintSettings settings =
      print::ResolvePrintSettings("Sheet", host::ReadPageSetup(sheet));
  const print::SheetPlan plan = print::PlanSheet(sheet, settings, 6);
  ASSERT_EQ(plan.areas.size(), 1u) << c.what;
  EXPECT_EQ(plan.areas[0].row_bands, c.expected) << c.what;
  EXPECT_DOUBLE_EQ(plan.zoom, c.zoom) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowBands,
    ::testing::Values(
        BandCase{
            "14 rows of 20 fill 288 points", 30, "", "", "", "", {{1, 14}, {15, 28}, {29, 30}}, 1},
        BandCase{"titles take 40 points from every later page",
                 30,
                 "",
                 "",
                 "",
                 kTitles,
                 {{1, 14}, {15, 26}, {27, 30}},
                 1},
        BandCase{"a manual break ends a page early",
                 30,
                 "",
                 "",
                 "<rowBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"5\" max=\"16383\" "
                 "man=\"1\"/></rowBreaks>",
                 "",
                 {{1, 5}, {6, 19}, {20, 30}},
                 1},
        BandCase{"half scale doubles the room",
                 30,
                 "",
                 "scale=\"50\"",
                 "",
                 "",
                 {{1, 28}, {29, 30}},
                 0.5},
        BandCase{"a scale of 0 is clamped to 10 %", 30, "", "scale=\"0\"", "", "", {{1, 30}}, 0.1},
        // 600 points of rows in 288: 48 % fits exactly, 49 % does not.
        BandCase{"fit to one page down",
                 30,
                 "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>",
                 "fitToWidth=\"1\" fitToHeight=\"1\"",
                 "",
                 "",
                 {{1, 30}},
                 0.48},
        BandCase{"fit to width only keeps 100 % when the width fits",
                 30,
                 "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>",
                 "fitToHeight=\"0\"",
                 "",
                 "",
                 {{1, 14}, {15, 28}, {29, 30}},
                 1},
        BandCase{"a print area prints its rows only",
                 30,
                 "",
                 "",
                 "",
                 "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">Sheet!$A$5:$B$12"
                 "</definedName>",
                 {{5, 12}},
                 1}));

TEST(Pagination, ColumnsGoDownThenOverUnlessAskedOtherwise) {
  // Two columns of 30 units (180 points) cannot share 288 points.
  for (const bool over_then_down : {false, true}) {
    host::Workbook book = test::NumberedSheet(
        30, 20, "", test::TestPaper(over_then_down ? "pageOrder=\"overThenDown\"" : ""), "", 30);
    const host::Worksheet& sheet = book.Sheet("Sheet");
    const print::SheetPlan plan = print::PlanSheet(
        sheet, print::ResolvePrintSettings("Sheet", host::ReadPageSetup(sheet)), 6);
    ASSERT_EQ(plan.PageCount(), 6u);
    const print::PagePlace second = plan.Page(1);
    if (over_then_down) {
      EXPECT_EQ(second.rows, (Span{1, 14}));
      EXPECT_EQ(second.columns, (Span{2, 2}));
    } else {
      EXPECT_EQ(second.rows, (Span{15, 28}));
      EXPECT_EQ(second.columns, (Span{1, 1}));
    }
  }
}

// Rows `first` to `last` with a ruled (style 1) empty cell in `column`.
std::string RuledRows(int first, int last, const std::string& column = "A") {
  std::string rows;
  for (int r = first; r <= last; ++r) {
    const std::string n = std::to_string(r);
    rows += "<row r=\"" + n + "\"><c r=\"" + column + n + "\" s=\"1\"/></row>";
  }
  return rows;
}

TEST(Pagination, PrintsFromA1ToTheLastCellWithAValueOrAVisibleFormat) {
  host::Workbook empty = test::OpenPackage({{"Sheet", "", ""}});
  EXPECT_FALSE(print::PrintedRange(empty.Sheet("Sheet")).has_value());
  const std::string a1 = "<row r=\"1\">" + test::NumberCell("A1", "1") + "</row>";
  const std::string ruled_column =
      "<cols><col min=\"1\" max=\"1\" width=\"9\" style=\"1\"/></cols>";
  struct Case {
    const char* what;
    std::string rows;
    std::string cols;
    host::CellRef last;
  };
  for (const Case& c : std::vector<Case>{
           {"a value", "<row r=\"3\">" + test::NumberCell("C3", "1") + "</row>", "", {3, 3}},
           {"ruled rows below", a1 + RuledRows(2, 10), "", {10, 1}},
           {"a ruled cell to the right", a1 + RuledRows(2, 2, "C"), "", {2, 3}},
           {"a column ruled to the sheet's end", a1 + RuledRows(2, 10), ruled_column, {1, 1}},
           {"84 ruled rows", a1 + RuledRows(2, 85), "", {1, 1}},
           {"83 ruled rows", a1 + RuledRows(2, 84), "", {84, 1}},
       }) {
    host::Workbook book = test::OpenPackage({{"Sheet", c.rows, "", c.cols}},
                                            test::StyleSheet({}, {{0, false}, {0, true}}));
    EXPECT_EQ(print::PrintedRange(book.Sheet("Sheet")), (host::RangeRef{{1, 1}, c.last})) << c.what;
  }
}

}  // namespace
}  // namespace vardex
