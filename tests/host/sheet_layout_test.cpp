// Styles and layout as the desktop view reads them from real workbooks.
#include "host/sheet_layout.hpp"

#include <gtest/gtest.h>

#include "host/workbook.hpp"

namespace vardex::host {
namespace {

const char* kWorkbooks = "../shared/oracles/workbooks/";

TEST(SheetLayout, ColumnWidthsAndRowHeights) {
  Workbook book = Workbook::Open(std::string(kWorkbooks) + "xlnt_13_custom_heights_widths.xlsx");
  const Worksheet& s = book.SheetAt(0);
  const double default_width = Layout(s).default_column_width;
  const double default_height = Layout(s).default_row_height;
  struct Case {
    int32_t index;
    double width, height;
  };
  for (const Case& c : {Case{1, 16, 99.95}, Case{2, default_width, default_height},
                        Case{3, 16, 99.95}, Case{4, default_width, default_height}}) {
    SCOPED_TRACE(c.index);
    EXPECT_DOUBLE_EQ(ColumnWidth(s, c.index), c.width);
    EXPECT_NEAR(RowHeight(s, c.index), c.height, 1e-4);
  }
}

TEST(SheetLayout, ResolvedFonts) {
  Workbook book = Workbook::Open(std::string(kWorkbooks) + "xlnt_4_every_style.xlsx");
  ASSERT_EQ(StyleCount(book), 29u);
  struct Case {
    uint32_t style;
    bool bold, italic, underline;
    uint32_t argb;
  };
  for (const Case& c :
       {Case{0, false, false, false, 0xFF000000}, Case{1, true, false, false, 0xFF000000},
        Case{2, false, true, false, 0xFF000000}, Case{3, false, false, true, 0xFF000000},
        Case{11, false, false, false, 0xFFFF0000}}) {
    SCOPED_TRACE(c.style);
    const CellStyle& st = ResolvedStyle(book, c.style);
    EXPECT_EQ(st.font.name, "Calibri");
    EXPECT_DOUBLE_EQ(st.font.size, 12);
    EXPECT_EQ(st.font.bold, c.bold);
    EXPECT_EQ(st.font.italic, c.italic);
    EXPECT_EQ(st.font.underline, c.underline);
    EXPECT_TRUE(st.font.color.set);
    EXPECT_EQ(st.font.color.argb, c.argb);
  }
  // Out of the table: the default style.
  EXPECT_EQ(&ResolvedStyle(book, 1000), &ResolvedStyle(book, 0));
}

TEST(SheetLayout, ForEachCellVisitsOnlyExistingCellsInOrder) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  s.SetValue({3, 2}, 1.5);
  s.SetValue({3, 1}, "a");
  s.SetValue({70000, 5}, 2.0);
  s.SetValue({2, 9}, 4.0);  // outside the columns asked for
  std::vector<std::string> seen;
  ForEachCell(s, {{1, 1}, {kMaxRows, 5}},
              [&](const CellView& v) { seen.push_back(FormatCellRef(v.ref)); });
  EXPECT_EQ(seen, (std::vector<std::string>{"A3", "B3", "E70000"}));
}

}  // namespace
}  // namespace vardex::host
