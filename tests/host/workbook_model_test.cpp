// The in-memory model: values as typed, display text, clearing, copy and paste, selection.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "support/expect_error.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

CellRef At(const char* a1) { return *ParseCellRef(a1); }
RangeRef Range(const char* a1) { return *ParseRangeRef(a1); }

// Numbers as the spreadsheet program reads them from a typed text; anything else stays text.
TEST(WorkbookModel, ValuePutAsTyped) {
  const std::pair<const char*, double> numbers[] = {{"25.", 25},   {" -3.2 ", -3.2}, {"+4", 4},
                                                    {".5", 0.5},   {"1e3", 1000},    {"-0", 0},
                                                    {"1E-2", 0.01}};
  Workbook book;
  EXPECT_TRUE(book.Saved());
  Worksheet& s = book.SheetAt(0);
  // TypedValue tells what the put stores without a cell (the record check relies on that).
  for (const auto& [typed, number] : numbers) {
    s.SetValue(At("B2"), typed);
    EXPECT_EQ(s.Value(At("B2")), CellValue(number)) << typed;
    EXPECT_EQ(TypedValue(typed), s.Value(At("B2"))) << typed;
  }
  for (const char* typed :
       {"K1+200", "1,234", "inf", "nan", "1e999", "0x10", "12.5.1", "水准点BM1", "e5", ".", "5e"}) {
    s.SetValue(At("B2"), typed);
    EXPECT_EQ(s.Value(At("B2")), CellValue(std::string(typed))) << typed;
    EXPECT_EQ(TypedValue(typed), s.Value(At("B2"))) << typed;
  }
  EXPECT_FALSE(book.Saved());
  s.SetValue(At("B2"), "");
  EXPECT_TRUE(IsEmpty(s.Value(At("B2"))));
  EXPECT_TRUE(IsEmpty(TypedValue("")));
  s.SetText(At("C3"), "25");
  EXPECT_EQ(s.Value(At("C3")), CellValue(std::string("25")));
}

TEST(WorkbookModel, NonFiniteNumbersAreOverflow) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  for (double bad :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    EXPECT_HOST_ERROR(s.SetValue(At("A1"), bad), kErrOverflow, "A1");
  }
  EXPECT_TRUE(IsEmpty(s.Value(At("A1"))));
}

TEST(WorkbookModel, SheetsByNameAndErrors) {
  Workbook book;
  book.AddSheet("水准表");
  book.AddSheet("放线记录表");
  EXPECT_EQ(&book.Sheet("水准表"), &book.SheetAt(1));
  EXPECT_EQ(&book.Sheet("sheet1"), &book.SheetAt(0));  // names ignore ASCII case
  const Workbook& read_only = book;
  EXPECT_EQ(read_only.FindSheet("放线记录表"), &book.SheetAt(2));
  EXPECT_EQ(read_only.FindSheet("SHEET1"), &book.SheetAt(0));
  EXPECT_EQ(read_only.FindSheet("平面位置检测表"), nullptr);
  EXPECT_HOST_ERROR(book.Sheet("平面位置检测表"), kErrSubscript, "工作表“平面位置检测表”不存在");
  for (const char* bad :
       {"", "a/b", "x[1]", "'quoted'", "水准表", "SHEET1", "12345678901234567890123456789012"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(book.AddSheet(bad), HostError);
  }
  EXPECT_EQ(book.SheetCount(), 3u);
}

TEST(WorkbookModel, ClearContentsKeepsStylesAndIsCheapOnHugeRanges) {
  Workbook book;
  const uint32_t fixed = AddNumberFormatStyle(book, "0.000");
  Worksheet& s = book.SheetAt(0);
  s.SetValue(At("A5"), 1.5);
  s.SetStyleIndex(At("A5"), fixed);
  s.SetValue(At("B6"), "x");
  s.SetValue(At("J5"), 7.0);  // outside the cleared columns
  s.SetStyleIndex(At("C7"), fixed);
  s.ClearContents(Range("A5:I65536"));
  EXPECT_TRUE(IsEmpty(s.Value(At("A5"))));
  EXPECT_EQ(s.StyleIndex(At("A5")), fixed);
  EXPECT_TRUE(IsEmpty(s.Value(At("B6"))));
  EXPECT_EQ(s.StyleIndex(At("C7")), fixed);
  EXPECT_EQ(s.Value(At("J5")), CellValue(7.0));
  // Whole-sheet clears must not walk the area.
  s.ClearContents(Range("A1:XFD1048576"));
  EXPECT_TRUE(IsEmpty(s.Value(At("J5"))));
  EXPECT_EQ(s.UsedRange(), std::optional<RangeRef>(Range("A5:C7")));
}

// Rows are made where cells go, in any order, also far down a sheet with nothing between; the
// file keeps each cell in its place.
TEST(WorkbookModel, CellsFarApartKeepTheirPlacesThroughASave) {
  test::ScratchDir dir;
  {
    Workbook book;
    Worksheet& s = book.SheetAt(0);
    s.SetValue(At("XFD1048576"), 1.0);
    s.SetValue(At("A1"), 2.0);
    s.SetValue(At("C500000"), "中");  // a row between the two, made after both
    s.SetValue(At("B500000"), 3.0);   // and a cell before the one already in it
    s.ClearContents(Range("A2:XFD499999"));
    s.SetValue(At("A700000"), 4.0);
    s.ClearContents(Range("A700000"));
    EXPECT_EQ(s.UsedRange(), std::optional<RangeRef>(Range("A1:XFD1048576")));
    book.SaveAs(dir / "far.xlsx");
  }
  const Workbook book = Workbook::Open(dir / "far.xlsx");
  const Worksheet& s = book.SheetAt(0);
  EXPECT_EQ(s.Value(At("A1")), CellValue(2.0));
  EXPECT_EQ(s.Value(At("B500000")), CellValue(3.0));
  EXPECT_EQ(s.Value(At("C500000")), CellValue(std::string("中")));
  EXPECT_EQ(s.Value(At("XFD1048576")), CellValue(1.0));
  for (const char* empty : {"A2", "A499999", "A500000", "A700000", "XFD1048575"}) {
    EXPECT_TRUE(IsEmpty(s.Value(At(empty)))) << empty;
  }
  EXPECT_EQ(s.UsedRange(), std::optional<RangeRef>(Range("A1:XFD1048576")));
}

TEST(WorkbookModel, TextFollowsTheNumberFormat) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  const uint32_t three = AddNumberFormatStyle(book, "0.000");
  s.SetValue(At("A1"), 2.5);
  s.SetStyleIndex(At("A1"), three);
  EXPECT_EQ(s.NumberFormatCode(At("A1")), "0.000");
  EXPECT_EQ(s.Text(At("A1")), "2.500");
  s.SetValue(At("A2"), "名称");
  EXPECT_EQ(s.Text(At("A2")), "名称");
  EXPECT_EQ(s.Text(At("A3")), "");
  EXPECT_EQ(s.NumberFormatCode(At("A3")), "General");
}

TEST(WorkbookModel, PasteRepeatsARowWithStyles) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  const uint32_t st = AddNumberFormatStyle(book, "0.00");
  s.SetValue(At("A8"), "P1");
  s.SetValue(At("B8"), 1.25);
  s.SetStyleIndex(At("B8"), st);
  s.SetStyleIndex(At("C8"), st);
  s.SetValue(At("A12"), "old");  // inside the paste area: replaced by the block's empty cell
  s.SetValue(At("D8"), "m");
  book.SheetAt(0).Copy(Range("A8:E8"));
  EXPECT_TRUE(book.CutCopyMode());
  s.Select(Range("A9:E20"));
  s.Paste();
  for (int32_t r = 9; r <= 20; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(s.Value({r, 2}), CellValue(1.25));
    EXPECT_EQ(s.StyleIndex({r, 3}), st);
    EXPECT_EQ(s.Value({r, 1}), CellValue(std::string("P1")));
  }
  EXPECT_TRUE(IsEmpty(s.Value(At("A21"))));
  EXPECT_EQ(s.Selection(), Range("A9:E20"));
  book.SetCutCopyMode(false);
  // The clipboard stays after the marker goes. Two rows are a multiple of the block's one row;
  // three columns are no multiple of its five, so the block goes whole to the left edge.
  s.Select(Range("A30:C31"));
  s.Paste();
  EXPECT_EQ(s.Value(At("B31")), CellValue(1.25));
  EXPECT_EQ(s.Value(At("D30")), CellValue(std::string("m")));
  EXPECT_TRUE(IsEmpty(s.Value(At("D32"))));
  EXPECT_EQ(s.Selection(), Range("A30:E31"));
}

TEST(WorkbookModel, SelectionChangeNotifies) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  std::vector<std::string> seen;
  const int id = book.AddSelectionHandler([&](Worksheet& sheet, const RangeRef& r) {
    seen.push_back(sheet.Name() + "!" + FormatRangeRef(r));
  });
  s.Select(Range("B2:C3"));
  book.RemoveSelectionHandler(id);
  s.Select(Range("D4"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "Sheet1!B2:C3");
  EXPECT_EQ(s.Selection(), Range("D4"));
}

TEST(WorkbookModel, MovedWorkbookKeepsSheetsPointingAtIt) {
  Workbook a;
  a.AddSheet("水准表");
  Workbook b = std::move(a);
  EXPECT_EQ(&b.Sheet("水准表").Book(), &b);
}

TEST(WorkbookModel, OutOfRangeCellsAreRejected) {
  Workbook book;
  Worksheet& s = book.SheetAt(0);
  EXPECT_THROW(s.SetValue(CellRef{0, 1}, 1.0), HostError);
  EXPECT_THROW(s.Value(CellRef{1, kMaxColumns + 1}), HostError);
  EXPECT_THROW(s.SetStyleIndex(At("A1"), 99), HostError);
  EXPECT_THROW(s.SetText(At("A1"), std::string("\xC3\x28", 2)), HostError);
}

}  // namespace
}  // namespace vardex::host
