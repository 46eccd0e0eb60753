// The sheet a workbook opens on: read from the file, saved when it changed, and left alone
// (byte for byte) when it did not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/workbook.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

using test::PackagePart;
using test::SavedBytes;

// A package of three sheets, each with its number in A1; `book_head` goes between <workbook> and
// <sheets>, `views[i]` before sheet i's <sheetData>.
std::string ThreeSheets(const std::string& book_head, const std::vector<std::string>& views) {
  std::vector<test::PackageSheet> sheets;
  const char* names[] = {"数据输入", "水准表", "放线记录表"};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    sheets.push_back(
        {names[i], "<row r=\"1\"><c r=\"A1\"><v>" + n + "</v></c></row>", "", views[i]});
  }
  return test::PackageBytes(sheets, "", book_head);
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

const std::vector<std::string> kPlainViews = {
    "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>",
    "<sheetViews><sheetView workbookViewId=\"0\"><selection activeCell=\"A5\"/></sheetView>"
    "</sheetViews>",
    ""};

TEST(ActiveSheet, ReadFromTheWorkbookView) {
  struct Case {
    const char* head;
    const char* shown;
  };
  const Case cases[] = {
      {"", "数据输入"},
      {"<bookViews><workbookView/></bookViews>", "数据输入"},
      {"<bookViews><workbookView activeTab=\"1\"/></bookViews>", "水准表"},
      {"<bookViews><workbookView activeTab=\"2\"/></bookViews>", "放线记录表"},
      {"<bookViews><workbookView activeTab=\"9\"/></bookViews>", "数据输入"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.head);
    const Workbook book = Workbook::OpenBytes(ThreeSheets(c.head, kPlainViews), "a.xlsx");
    EXPECT_EQ(book.ActiveSheet().Name(), c.shown);
  }
}

TEST(ActiveSheet, ChangedActiveSheetIsSavedInBookAndSheetViews) {
  struct Case {
    const char* what;
    std::string head;
    int activate;
  };
  const Case cases[] = {
      {"view with other attributes",
       "<workbookPr/><bookViews><workbookView xWindow=\"0\" activeTab=\"0\" "
       "autoFilterDateGrouping=\"1\"/></bookViews>",
       1},
      {"view without activeTab", "<bookViews><workbookView firstSheet=\"2\"/></bookViews>", 1},
      {"no views at all", "<fileVersion appName=\"xl\"/><workbookPr/>", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workbook book = Workbook::OpenBytes(ThreeSheets(c.head, kPlainViews), "a.xlsx");
    book.SheetAt(static_cast<std::size_t>(c.activate)).Activate();
    const std::string out = SavedBytes(book);

    const Workbook again = Workbook::OpenBytes(out, "again.xlsx");
    EXPECT_EQ(again.ActiveSheet().Name(),
              book.SheetAt(static_cast<std::size_t>(c.activate)).Name());
    const std::string wb = PackagePart(out, "xl/workbook.xml");
    EXPECT_NE(wb.find("activeTab=\"" + std::to_string(c.activate) + "\""), std::string::npos) << wb;
    // Schema order: views after the workbook properties and before the sheets; activeTab after
    // firstSheet and before autoFilterDateGrouping; a first tab never past the active one.
    EXPECT_LT(wb.find("<bookViews>"), wb.find("<sheets>"));
    if (wb.find("<workbookPr") != std::string::npos) {
      EXPECT_LT(wb.find("<workbookPr"), wb.find("<bookViews>"));
    }
    if (wb.find("autoFilterDateGrouping") != std::string::npos) {
      EXPECT_LT(wb.find("activeTab"), wb.find("autoFilterDateGrouping"));
    }
    EXPECT_EQ(wb.find("firstSheet=\"2\""), std::string::npos);

    // Exactly one sheet is selected in its sheet view: the active one, its view valid (the
    // flag before workbookViewId, a view made where the sheet had none).
    for (int i = 0; i < 3; ++i) {
      const std::string sheet =
          PackagePart(out, "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
      SCOPED_TRACE(sheet);
      EXPECT_EQ(Count(sheet, "tabSelected=\"1\""), i == c.activate ? 1 : 0);
      if (i == c.activate) {
        EXPECT_LT(sheet.find("tabSelected"), sheet.find("workbookViewId"));
        EXPECT_LT(sheet.find("<sheetViews>"), sheet.find("<sheetData>"));
      }
      EXPECT_EQ(again.SheetAt(static_cast<std::size_t>(i)).Value({1, 1}), CellValue(i + 1.0));
    }
  }
}

TEST(ActiveSheet, UnchangedActiveSheetLeavesThePartsAlone) {
  const std::string in =
      ThreeSheets("<bookViews><workbookView activeTab=\"0\"/></bookViews>", kPlainViews);
  // Not touched at all, and switched away and back before saving.
  for (bool switch_back : {false, true}) {
    SCOPED_TRACE(switch_back);
    Workbook book = Workbook::OpenBytes(in, "a.xlsx");
    if (switch_back) {
      book.SheetAt(2).Activate();
      book.SheetAt(0).Activate();
    }
    const std::string out = SavedBytes(book);
    for (const char* part : {"xl/workbook.xml", "xl/worksheets/sheet1.xml",
                             "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml"})
      EXPECT_EQ(PackagePart(out, part), PackagePart(in, part)) << part;
  }
}

TEST(ActiveSheet, NewSheetCanBeTheActiveOne) {
  Workbook book = Workbook::OpenBytes(
      ThreeSheets("<bookViews><workbookView activeTab=\"1\"/></bookViews>", kPlainViews), "a.xlsx");
  Worksheet& added = book.AddSheet("平面位置检测表");
  added.SetValue({2, 2}, 4.0);
  added.Activate();
  const std::string out = SavedBytes(book);
  const Workbook again = Workbook::OpenBytes(out, "again.xlsx");
  EXPECT_EQ(again.ActiveSheet().Name(), "平面位置检测表");
  EXPECT_EQ(again.ActiveSheet().Value({2, 2}), CellValue(4.0));
  EXPECT_EQ(Count(PackagePart(out, "xl/worksheets/sheet1.xml"), "tabSelected=\"1\""), 0);
}

}  // namespace
}  // namespace vardex::host
