// A cell written for the first time looks as the spreadsheet programs would make it: the row's
// style when the row has its own format, else the column's, else none; a cell that already
// exists keeps its own style.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"

namespace vardex::host {
namespace {

CellRef At(const char* a1) { return *ParseCellRef(a1); }

std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts) {
  std::vector<detail::OutputEntry> entries;
  for (const auto& [name, data] : parts) {
    detail::OutputEntry e;
    e.name = name;
    e.data = data;
    entries.push_back(std::move(e));
  }
  return detail::WriteZip(entries, {});
}

// Styles 0 (General), 1 ("0.000") and 2 ("0.0"); column B:C has style 1, column E names a style
// the table does not have; row 4 has style 2 as its own format, row 6 names style 2 without it.
std::string StyledPackage() {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string xf = "<xf numFmtId=\"%\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>";
  auto Xf = [&](const char* id) {
    std::string s = xf;
    s.replace(s.find('%'), 1, id);
    return s;
  };
  return Zip({
      {"[Content_Types].xml",
       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
       "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
      {"_rels/.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" +
           rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                              "\"><sheets><sheet name=\"水准表\" sheetId=\"1\" r:id=\"rId1\"/>"
                              "</sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" +
           rel +
           "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
           rel + "/styles\" Target=\"styles.xml\"/></Relationships>"},
      {"xl/styles.xml",
       "<styleSheet xmlns=\"" + main +
           "\"><numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"0.000\"/>"
           "<numFmt numFmtId=\"165\" formatCode=\"0.0\"/></numFmts>"
           "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
           "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
           "<borders count=\"1\"><border/></borders><cellStyleXfs count=\"1\">" +
           Xf("0") + "</cellStyleXfs><cellXfs count=\"3\">" + Xf("0") + Xf("164") + Xf("165") +
           "</cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns=\"" + main +
           "\"><cols><col min=\"2\" max=\"3\" width=\"9\" style=\"1\"/>"
           "<col min=\"5\" max=\"5\" style=\"7\"/></cols><sheetData>"
           "<row r=\"4\" s=\"2\" customFormat=\"1\"/><row r=\"6\" s=\"2\"/>"
           "<row r=\"8\"><c r=\"B8\"/><c r=\"D8\" s=\"2\"/></row></sheetData></worksheet>"},
  });
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

std::string SaveAndRead(Workbook& book) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("vardex-new-cell-style-" + std::to_string(::getpid()) + ".xlsx");
  book.SaveAs(path);
  Workbook again = Workbook::Open(path);
  std::filesystem::remove(path);
  std::string out;
  for (const Expected& e : kCases)
    out +=
        std::string(e.cell) + "=" + std::to_string(again.SheetAt(0).StyleIndex(At(e.cell))) + " ";
  return out;
}

TEST(NewCellStyle, RowThenColumnThenNone) {
  for (bool as_text : {false, true}) {
    Workbook book = Workbook::OpenBytes(StyledPackage(), "styled.xlsx");
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
    EXPECT_EQ(SaveAndRead(book), expected_styles);
  }
}

TEST(NewCellStyle, ClearingAndRestylingRespectTheColumn) {
  Workbook book = Workbook::OpenBytes(StyledPackage(), "styled.xlsx");
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
