// The project template opened through the workbook engine: the sheets, the cells the program
// reads and writes, the formats that make the records read right, and a save that keeps it all.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/workbook.hpp"
#include "support/package.hpp"
#include "support/project_book.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;

const fs::path kTemplate = test::TemplateFile();

CellRef At(std::string_view a1) { return ParseCellRef(a1).value(); }

// A cell that lies inside a merged range without being its top-left corner is never shown, so a
// value written there would be lost on paper.
bool HiddenByMerge(const Worksheet& sheet, CellRef cell) {
  const auto& merged = sheet.MergedRanges();
  return std::any_of(merged.begin(), merged.end(), [&](const auto& range) {
    return range.Contains(cell) && range.first != cell;
  });
}

TEST(Template, HasTheFiveSheetsInOrder) {
  const Workbook book = Workbook::Open(kTemplate);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) names.push_back(book.SheetAt(i).Name());
  EXPECT_EQ(names, (std::vector<std::string>{test::kInput, test::kLevelling, test::kStakeOut,
                                             test::kInspection, "线路数据"}));
}

TEST(Template, AlignmentSheetHasItsFourTablesReadyForTyping) {
  Workbook book = Workbook::Open(kTemplate);
  Worksheet& sheet = book.Sheet("线路数据");
  // The first input row of each table: empty, visible, stations and names read as typed.
  for (const auto cell : {"A5", "B5", "D5", "E5", "G5", "I5", "K5", "M5", "O5", "Q5", "R5"}) {
    SCOPED_TRACE(cell);
    EXPECT_TRUE(IsEmpty(sheet.Value(At(cell))));
    EXPECT_FALSE(HiddenByMerge(sheet, At(cell)));
  }
  for (const auto cell : {"A5", "D5", "I5", "M5", "Q5", "R5"}) {
    EXPECT_EQ(sheet.NumberFormatCode(At(cell)), "General") << cell;
  }
  sheet.SetValue(At("B5"), 3412500.12345);
  sheet.SetValue(At("J60"), 215.4);
  EXPECT_EQ(sheet.Text(At("B5")), "3412500.123");
  EXPECT_EQ(sheet.Text(At("J60")), "215.400");  // the column's format below the drawn rows
}

TEST(Template, InputSheetHasEmptyVisibleInputCells) {
  Workbook book = Workbook::Open(kTemplate);
  Worksheet& input = book.Sheet("数据输入");
  const std::vector<std::string_view> inputs = {"A6", "B4", "B5", "B6", "C6", "D4", "D5",
                                                "D6", "E5", "E6", "F5", "F6", "A8", "F8"};
  for (const auto cell : inputs) {
    SCOPED_TRACE(cell);
    EXPECT_TRUE(IsEmpty(input.Value(At(cell))));
    EXPECT_FALSE(HiddenByMerge(input, At(cell)));
  }
  // Names and offsets are read as shown: a fixed format would turn -3.2 into 左3.200米.
  EXPECT_EQ(input.NumberFormatCode(At("A8")), "General");
  EXPECT_EQ(input.NumberFormatCode(At("B8")), "General");
  // Coordinates and elevations show to the millimetre.
  input.SetValue(At("B4"), 3412697.7364);
  input.SetValue(At("E6"), 107.8621);
  input.SetValue(At("C8"), 3412593.1);
  EXPECT_EQ(input.Text(At("B4")), "3412697.736");
  EXPECT_EQ(input.Text(At("E6")), "107.862");
  EXPECT_EQ(input.Text(At("C8")), "3412593.100");
}

TEST(Template, LevellingRecordFormatsFitBothReadingUnits) {
  Workbook book = Workbook::Open(kTemplate);
  Worksheet& sheet = book.Sheet("水准表");
  EXPECT_TRUE(IsEmpty(sheet.Value(At("I2"))));
  EXPECT_FALSE(HiddenByMerge(sheet, At("I2")));
  for (int32_t row = 5; row <= 44; ++row) {
    for (int32_t column = 1; column <= 9; ++column) {
      EXPECT_TRUE(IsEmpty(sheet.Value(CellRef{row, column}))) << FormatCellRef({row, column});
    }
  }

  struct Case {
    const char* cell;
    double value;
    const char* shown;
  };
  // Readings in metres to the millimetre, the same columns in whole millimetres, elevations in
  // metres, the difference in millimetres with the float noise of (F - G) * 1000 rounded away.
  const Case cases[] = {
      {"B5", 4.4, "4.400"},          {"C6", 3.898, "3.898"},   {"D7", 0.3, "0.300"},
      {"B5", 4400, "4400"},          {"C6", 3898, "3898"},     {"E5", 104.4, "104.400"},
      {"F6", 100.502, "100.502"},    {"G6", 100.5, "100.500"}, {"H6", 2.0000000000000018, "2"},
      {"H7", -3.0000000000002, "-3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cell);
    sheet.SetValue(At(c.cell), c.value);
    EXPECT_EQ(sheet.Text(At(c.cell)), c.shown);
  }
}

struct PlaneSheet {
  const char* name;
  std::vector<const char*> header;   // cells of the station and back-sight block
  std::vector<const char*> columns;  // columns written in each record row
};

const PlaneSheet kPlaneSheets[] = {
    {"放线记录表",
     {"B3", "D3", "D4", "D5", "G3", "J3", "J4", "J5", "N3", "N4"},
     {"A", "C", "E", "G", "I", "K", "M", "P"}},
    {"平面位置检测表",
     {"B3", "D3", "D4", "D5", "G3", "J3", "J4", "J5", "M3", "M4"},
     {"A", "C", "E", "G", "I", "K", "M", "O", "P"}},
};

TEST(Template, PlaneSheetsShowEveryWrittenCell) {
  const Workbook book = Workbook::Open(kTemplate);
  for (const auto& plane : kPlaneSheets) {
    SCOPED_TRACE(plane.name);
    const Worksheet& sheet = book.Sheet(plane.name);
    for (const auto* cell : plane.header) {
      SCOPED_TRACE(cell);
      EXPECT_TRUE(IsEmpty(sheet.Value(At(cell))));
      EXPECT_FALSE(HiddenByMerge(sheet, At(cell)));
    }
    // Rows 8 to 19 are the pre-drawn record rows: all alike, so that the copies of row 8 made
    // for longer lists look the same, and no written value falls under a merge.
    for (int32_t row = 8; row <= 19; ++row) {
      for (int32_t column = 1; column <= 17; ++column) {
        const CellRef cell{row, column};
        EXPECT_EQ(sheet.StyleIndex(cell), sheet.StyleIndex(CellRef{8, column}))
            << FormatCellRef(cell);
        EXPECT_NE(sheet.StyleIndex(cell), 0u) << FormatCellRef(cell);
        EXPECT_TRUE(IsEmpty(sheet.Value(cell))) << FormatCellRef(cell);
      }
      for (const auto* column : plane.columns) {
        const CellRef cell = At(std::string(column) + std::to_string(row));
        EXPECT_FALSE(HiddenByMerge(sheet, cell)) << FormatCellRef(cell);
      }
    }
  }
}

TEST(Template, PlaneRecordFormats) {
  Workbook book = Workbook::Open(kTemplate);
  Worksheet& stake = book.Sheet("放线记录表");
  EXPECT_EQ(stake.NumberFormatCode(At("G8")), "[h]°mm′ss.00″");
  // The azimuth is written as a day fraction: 45° from (1000, 1000) to (1010, 1010).
  stake.SetValue(At("G8"), 1.8749999999999982);
  EXPECT_EQ(stake.Text(At("G8")), "45°00′00.00″");
  stake.SetValue(At("G9"), 123.4567 / 24);
  EXPECT_EQ(stake.Text(At("G9")), "123°27′24.12″");
  stake.SetValue(At("C8"), 3412593.102);
  EXPECT_EQ(stake.Text(At("C8")), "3412593.102");
  stake.SetValue(At("I8"), "25.");  // a distance text with a trailing point reads back as 25
  EXPECT_EQ(stake.Text(At("I8")), "25.000");

  Worksheet& check = book.Sheet("平面位置检测表");
  check.SetValue(At("G8"), 1010.003);
  check.SetValue(At("K8"), "-2");
  EXPECT_EQ(check.Text(At("G8")), "1010.003");
  EXPECT_EQ(check.Text(At("K8")), "-2");
}

// Saved as a project, every part stays as it was but the content types (a template becomes a
// workbook).
TEST(Template, SavedProjectKeepsContentAndPrintSetup) {
  Workbook copy = Workbook::Open(kTemplate);
  const test::ScratchDir dir;
  copy.SaveAs(dir / u8"模板往返.xlsx");
  const auto parts = test::PackageParts(test::FileBytes(dir / u8"模板往返.xlsx"));
  const auto original = test::PackageParts(test::FileBytes(kTemplate));
  ASSERT_EQ(parts.size(), original.size());
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(parts[i].first, original[i].first);
    if (parts[i].first != "[Content_Types].xml") {
      EXPECT_EQ(parts[i].second, original[i].second) << parts[i].first;
    }
  }

  // What gets printed: every sheet keeps its page setup and footer, and the record sheets the
  // sign-off line; the heading rows still repeat on every page.
  int sheets = 0;
  int signed_sheets = 0;
  std::string workbook;
  for (const auto& [name, data] : parts) {
    if (name == "xl/workbook.xml") workbook = data;
    if (name.rfind("xl/worksheets/", 0) != 0 || name.find(".rels") != std::string::npos) continue;
    ++sheets;
    EXPECT_NE(data.find("<pageSetup"), std::string::npos) << name;
    EXPECT_NE(data.find("&amp;P"), std::string::npos) << name;
    if (data.find("观测") != std::string::npos && data.find("复核") != std::string::npos) {
      ++signed_sheets;
    }
  }
  EXPECT_EQ(sheets, 5);
  EXPECT_EQ(signed_sheets, 3);
  std::size_t titles = 0;
  for (auto at = workbook.find("_xlnm.Print_Titles"); at != std::string::npos;
       at = workbook.find("_xlnm.Print_Titles", at + 1)) {
    ++titles;
  }
  EXPECT_EQ(titles, 5u);
}

}  // namespace
}  // namespace vardex::host
