// A cell written for the first time looks as the spreadsheet programs would make it: the row's
// style when the row has its own format, else the column's, else none; a cell that already
// exists keeps its own style.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

CellRef At(const char* a1) { return *ParseCellRef(a1); }

// Styles 0 (General), 1 ("0.000") and 2 ("0.0"); column B:C has style 1, column E names a style
// the table does not have; row 4 has style 2 as its own format, row 6 names style 2 without it.
Workbook StyledBook() {
  return Workbook::OpenBytes(
      test::PackageBytes({{"水准表",
                           "<row r=\"4\" s=\"2\" customFormat=\"1\"/><row r=\"6\" s=\"2\"/>"
                           "<row r=\"8\"><c r=\"B8\"/><c r=\"D8\" s=\"2\"/></row>",
                           "",
                           "<cols><col min=\"2\" max=\"3\" width=\"9\" style=\"1\"/>"
                           "<col min=\"5\" max=\"5\" style=\"7\"/></cols>"}},
                         test::StyleSheet({"0.000", "0.0"}, {{0}, {164}, {165}})),
      "styled.xlsx");
}

struct Expected {
  const char* cell;
  uint32_t style;
  const char* text;  // of the number 2
  const char* why;
};

const Expected kCases[] = {
    {"A4", 2, "2.0", "row with its own format"},
    {"B4", 2, "2.0", "the row's format before the column's"},
    {"B6", 1, "2.000", "row style without customFormat does not count"},
    {"C9", 1, "2.000", "no row at all: the column's"},
    {"A6", 0, "2", "neither row nor column"},
    {"D9", 0, "2", "column without a style"},
    {"E9", 0, "2", "column style the table does not have"},
    {"B8", 0, "2", "an existing cell keeps its own (none)"},
    {"D8", 2, "2.0", "an existing cell keeps its own"},
};

std::string SavedStyles(Workbook& book) {
  const Workbook again = Workbook::OpenBytes(test::SavedBytes(book), "again.xlsx");
  std::string out;
  for (const Expected& e : kCases)
    out +=
        std::string(e.cell) + "=" + std::to_string(again.SheetAt(0).StyleIndex(At(e.cell))) + " ";
  return out;
}

TEST(NewCellStyle, RowThenColumnThenNone) {
  for (bool as_text : {false, true}) {
    Workbook book = StyledBook();
    Worksheet& s = book.SheetAt(0);
    std::string expected_styles;
    for (const Expected& e : kCases) {
      SCOPED_TRACE(std::string(e.cell) + ": " + e.why);
      if (as_text) {
        s.SetValue(At(e.cell), "2");
      } else {
        s.SetValue(At(e.cell), 2.0);
      }
      EXPECT_EQ(s.StyleIndex(At(e.cell)), e.style);
      EXPECT_EQ(s.Text(At(e.cell)), e.text);
      expected_styles += std::string(e.cell) + "=" + std::to_string(e.style) + " ";
    }
    // The styles are the cells' own in the saved file.
    EXPECT_EQ(SavedStyles(book), expected_styles);
  }
}

TEST(NewCellStyle, ClearingAndRestylingRespectTheColumn) {
  Workbook book = StyledBook();
  Worksheet& s = book.SheetAt(0);
  s.SetValue(At("C9"), 1.0);  // takes the column's style
  s.SetValue(At("B8"), 1.0);  // keeps its own style 0 in the styled column
  // No style of its own differing from the column's: nothing to record. Style 0 in a styled
  // column differs, so the cell must exist to say so.
  s.SetStyleIndex(At("C12"), 1);
  s.SetStyleIndex(At("B12"), 0);
  s.ClearContents(*ParseRangeRef("A8:E12"));
  std::vector<std::pair<std::string, uint32_t>> cells;
  ForEachCell(s, *ParseRangeRef("A1:E20"),
              [&](const CellView& v) { cells.emplace_back(FormatCellRef(v.ref), v.style); });
  const std::vector<std::pair<std::string, uint32_t>> expected = {{"B8", 0}, {"D8", 2}, {"B12", 0}};
  EXPECT_EQ(cells, expected);
}

}  // namespace
}  // namespace vardex::host
