// A1 reference parsing and formatting at the edges of the sheet.
#include "host/cell_ref.hpp"

#include <gtest/gtest.h>

namespace vardex::host {
namespace {

TEST(CellRef, ParsesAndFormatsEdges) {
  struct Case {
    const char* text;
    int32_t row, column;
    const char* canonical;
  };
  const Case cases[] = {
      {"A1", 1, 1, "A1"},       {"Z9", 9, 26, "Z9"},
      {"AA10", 10, 27, "AA10"}, {"az2", 2, 52, "AZ2"},
      {"BA3", 3, 53, "BA3"},    {"ZZ1", 1, 702, "ZZ1"},
      {"AAA1", 1, 703, "AAA1"}, {"XFD1048576", 1048576, 16384, "XFD1048576"},
      {"$B$7", 7, 2, "B7"},     {"i65536", 65536, 9, "I65536"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto ref = ParseCellRef(c.text);
    ASSERT_TRUE(ref.has_value());
    EXPECT_EQ(ref->row, c.row);
    EXPECT_EQ(ref->column, c.column);
    EXPECT_EQ(FormatCellRef(*ref), c.canonical);
  }
}

TEST(CellRef, RejectsBadReferences) {
  for (const char* bad : {"", "A", "1", "A0", "XFE1", "A1048577", "AAAA1", "A1B", "1A", "A-1",
                          "A 1", "$$A1", "A1$", "A99999999999", "Ä1", "A1:B2"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseCellRef(bad).has_value());
  }
}

TEST(RangeRef, ParsesNormalisesAndFormats) {
  struct Case {
    const char* text;
    const char* canonical;
    int64_t rows, columns;
  };
  const Case cases[] = {{"A5", "A5", 1, 1},
                        {"A5:I65536", "A5:I65536", 65532, 9},
                        {"B2:A1", "A1:B2", 2, 2},
                        {"A9:Q20", "A9:Q20", 12, 17},
                        {"A1:XFD1048576", "A1:XFD1048576", 1048576, 16384},
                        {"C1:A3", "A1:C3", 3, 3},
                        {"A:A", "A1:A1048576", 1048576, 1},
                        {"$C:B", "B1:C1048576", 1048576, 2},
                        {"3:2", "A2:XFD3", 2, 16384}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto r = ParseRangeRef(c.text);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(FormatRangeRef(*r), c.canonical);
    EXPECT_EQ(r->RowCount(), c.rows);
    EXPECT_EQ(r->ColumnCount(), c.columns);
  }
  for (const char* bad :
       {":", "A1:", ":B2", "A1:B2:C3", "A1:XFE1", "A1-B2", "A:1", "XFE:XFE", "0:1"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseRangeRef(bad).has_value());
  }
}

TEST(CellRef, ColumnNamesRoundTripEveryColumn) {
  for (int32_t c = 1; c <= kMaxColumns; ++c) {
    auto ref = ParseCellRef(ColumnName(c) + "1");
    ASSERT_TRUE(ref.has_value()) << c;
    ASSERT_EQ(ref->column, c);
  }
  EXPECT_EQ(ColumnName(0), "");
  EXPECT_EQ(ColumnName(kMaxColumns + 1), "");
}

}  // namespace
}  // namespace vardex::host
