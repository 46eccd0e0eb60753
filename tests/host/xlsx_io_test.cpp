// Package I/O: real workbooks in and out, hostile packages, failing saves, properties.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"
#include "support/expect_error.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;
const fs::path kWorkbooks = "../shared/oracles/workbooks";

using test::FileBytes;

// MANIFEST.tsv: file name -> number of non-empty cells.
std::map<std::string, long> ManifestCells() {
  std::map<std::string, long> out;
  std::ifstream in(kWorkbooks / "MANIFEST.tsv");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string f, cell;
    std::vector<std::string> cols;
    while (std::getline(fields, cell, '\t')) cols.push_back(cell);
    if (cols.size() > 7) out[cols[0]] = std::stol(cols[7]);
  }
  return out;
}

long CountCells(const Workbook& book) {
  long n = 0;
  for (std::size_t i = 0; i < book.SheetCount(); ++i)
    ForEachCell(book.SheetAt(i), {{1, 1}, {kMaxRows, kMaxColumns}}, [&](const CellView& v) {
      if (v.kind != CellKind::kEmpty || v.has_formula) ++n;  // a formula counts, cached or not
    });
  return n;
}

std::string OutName(const fs::path& in) {
  std::string ext = in.extension().string();
  if (ext == ".xltx") ext = ".xlsx";
  if (ext == ".xltm") ext = ".xlsm";
  return in.stem().string() + ext;
}

TEST(XlsxIo, EveryRealWorkbookLoadsAndSavesUnchangedByteForByte) {
  const auto manifest = ManifestCells();
  ASSERT_GE(manifest.size(), 30u) << "shared workbooks not found from the project root";
  const test::ScratchDir dir;
  for (const auto& [name, cells] : manifest) {
    SCOPED_TRACE(name);
    const fs::path in = kWorkbooks / name;
    Workbook book = Workbook::Open(in);
    EXPECT_EQ(CountCells(book), cells);
    const fs::path out = dir / OutName(in);
    book.SaveAs(out);
    EXPECT_TRUE(book.Saved());
    // Nothing changed: every entry keeps its compressed bytes (a template's content types
    // excepted: it becomes a workbook).
    const detail::Package a(std::make_shared<const std::string>(FileBytes(in)), name);
    const detail::Package b(std::make_shared<const std::string>(FileBytes(out)), name);
    ASSERT_EQ(a.Entries().size(), b.Entries().size());
    for (std::size_t i = 0; i < a.Entries().size(); ++i) {
      const auto& ea = a.Entries()[i];
      const auto& eb = b.Entries()[i];
      EXPECT_EQ(ea.name, eb.name);
      if (ea.name == "[Content_Types].xml" && in.extension() == ".xltx") {
        EXPECT_NE(b.Read(eb.name).find("spreadsheetml.sheet.main+xml"), std::string::npos);
        continue;
      }
      EXPECT_EQ(ea.raw, eb.raw) << ea.name;
    }
    Workbook again = Workbook::Open(out);
    EXPECT_EQ(CountCells(again), cells);
  }
}

TEST(XlsxIo, WrittenCellsReadBackAndEverythingElseStays) {
  const test::ScratchDir dir;
  Workbook book = Workbook::Open(kWorkbooks / "sjs_merge_cells.xlsx");
  Worksheet& s = book.Sheet("Merge");
  const auto merges = s.MergedRanges();
  ASSERT_EQ(merges.size(), 5u);
  const CellValue a1 = s.Value({1, 1});
  const uint32_t a1_style = s.StyleIndex({1, 1});
  s.SetValue({10, 2}, "25.");
  s.SetValue({11, 2}, "水准点 BM1");
  s.SetValue({12, 2}, -0.0);
  s.SetValue({13, 2}, 0.1 + 0.2);  // shortest text that reads back exactly
  s.SetValue({14, 2}, 1e-300);
  // Copy the merged block A1:B2 and paste it twice below: merges go along.
  s.Copy(*ParseRangeRef("A1:B2"));
  s.Select(*ParseRangeRef("A20:B23"));
  s.Paste();
  book.SetCustomProperty("VardexVersion", "1.3");
  book.SaveAs(dir / "out.xlsx");

  Workbook again = Workbook::Open(dir / "out.xlsx");
  Worksheet& t = again.Sheet("Merge");
  EXPECT_EQ(t.Value({10, 2}), CellValue(25.0));
  EXPECT_EQ(t.Value({11, 2}), CellValue(std::string("水准点 BM1")));
  EXPECT_EQ(t.Value({12, 2}), CellValue(0.0));
  EXPECT_EQ(t.Value({13, 2}), CellValue(0.1 + 0.2));
  EXPECT_EQ(t.Value({14, 2}), CellValue(1e-300));
  EXPECT_EQ(t.Value({1, 1}), a1);
  EXPECT_EQ(t.StyleIndex({1, 1}), a1_style);
  EXPECT_EQ(t.Value({20, 1}), a1);
  EXPECT_EQ(t.Value({22, 1}), a1);
  EXPECT_EQ(t.MergedRanges().size(), 7u);
  for (const char* m : {"A20:B21", "A22:B23", "C1:C2"}) {
    EXPECT_NE(std::find(t.MergedRanges().begin(), t.MergedRanges().end(), *ParseRangeRef(m)),
              t.MergedRanges().end())
        << m;
  }
  EXPECT_EQ(again.CustomProperty("VardexVersion"), std::optional<std::string>("1.3"));
  EXPECT_EQ(again.CustomProperty("nothing"), std::nullopt);
}

// A recalculation replaces the record of the one before: a property removed from a saved file is
// gone from the next save, the others kept.
TEST(XlsxIo, RemovedCustomPropertyLeavesTheFile) {
  const test::ScratchDir scratch;
  Workbook book = Workbook::Open(kWorkbooks / "opx_empty.xltx");
  book.SetCustomProperty("VardexSeed", "7");
  book.SetCustomProperty("VardexVersion", "1.3");
  book.SaveAs(scratch / "a.xlsx");
  Workbook again = Workbook::Open(scratch / "a.xlsx");
  again.RemoveCustomProperty("VardexSeed");
  again.RemoveCustomProperty("nothing");
  again.SaveAs(scratch / "b.xlsx");
  const Workbook last = Workbook::Open(scratch / "b.xlsx");
  EXPECT_EQ(last.CustomProperty("VardexSeed"), std::nullopt);
  EXPECT_EQ(last.CustomProperty("VardexVersion"), std::optional<std::string>("1.3"));
}

TEST(XlsxIo, TemplateOpensUntitledAndSavesAsWorkbook) {
  const test::ScratchDir scratch;
  const fs::path dir = scratch / u8"模板 目录";
  fs::create_directories(dir);
  fs::copy_file(kWorkbooks / "opx_empty.xltx", dir / u8"工作.xltx");
  Workbook book = Workbook::Open(dir / u8"工作.xltx");
  EXPECT_TRUE(book.Path().empty());
  EXPECT_THROW(book.Save(), HostError);
  book.AddSheet("水准表").SetValue({5, 1}, "BM1");
  book.SaveAs(dir / u8"项目.xlsx");
  EXPECT_EQ(book.Path(), dir / u8"项目.xlsx");
  Workbook again = Workbook::Open(dir / u8"项目.xlsx");
  EXPECT_EQ(again.Sheet("水准表").Value({5, 1}), CellValue(std::string("BM1")));
  EXPECT_EQ(again.SheetCount(), 4u);
  EXPECT_EQ(
      test::PackagePart(FileBytes(dir / u8"项目.xlsx"), "[Content_Types].xml").find("template"),
      std::string::npos);
}

// --- hostile and broken packages ----------------------------------------------------------

std::string Package(const std::string& sheet_data) {
  return test::PackageBytes({{"数据输入", sheet_data}});
}

TEST(XlsxIo, MinimalPackageReads) {
  Workbook book = Workbook::OpenBytes(
      Package("<row r=\"8\"><c r=\"A8\" t=\"inlineStr\"><is><t>P1</t></is></c>"
              "<c r=\"B8\"><v>3500000.125</v></c><c r=\"C8\" t=\"b\"><v>1</v></c>"
              "<c r=\"D8\" t=\"e\"><v>#N/A</v></c></row><row><c><v>7</v></c></row>"),
      "mini.xlsx");
  Worksheet& s = book.Sheet("数据输入");
  EXPECT_EQ(s.Value({8, 1}), CellValue(std::string("P1")));
  EXPECT_EQ(s.Value({8, 2}), CellValue(3500000.125));
  EXPECT_EQ(s.Value({8, 3}), CellValue(true));
  EXPECT_EQ(s.Value({8, 4}), CellValue(ErrorValue{"#N/A"}));
  EXPECT_EQ(s.Value({9, 1}), CellValue(7.0));  // row and cell without references follow on
}

// Sheets are read on several cores, each collecting the texts new to the workbook on its own;
// every cell must still come out with its own text, also once the rows are rewritten.
TEST(XlsxIo, TextsOfSheetsReadAtOnceStayWithTheirCells) {
  std::vector<test::PackageSheet> sheets;
  auto text_of = [](int sheet, int row) {
    return row % 3 == 0 ? "共用" + std::to_string(row)
                        : "表" + std::to_string(sheet) + "-" + std::to_string(row);
  };
  for (int n = 1; n <= 6; ++n) {
    std::string rows;
    for (int r = 1; r <= 300; ++r) {
      const std::string at = std::to_string(r);
      rows += "<row r=\"" + at + "\"><c r=\"A" + at + "\" t=\"inlineStr\"><is><t>" + text_of(n, r) +
              "</t></is></c><c r=\"B" + at + "\" t=\"e\"><v>" + (r % 2 ? "#REF!" : "#N/A") +
              "</v></c></row>";
    }
    sheets.push_back({"表" + std::to_string(n), rows});
  }
  auto expect_texts = [&](Workbook& book) {
    for (int n = 1; n <= 6; ++n) {
      Worksheet& s = book.Sheet("表" + std::to_string(n));
      for (int r = 1; r <= 300; ++r) {
        ASSERT_EQ(s.Value({r, 1}), CellValue(text_of(n, r))) << n << ":" << r;
        ASSERT_EQ(s.Value({r, 2}), CellValue(ErrorValue{r % 2 ? "#REF!" : "#N/A"}));
      }
    }
  };
  Workbook book = Workbook::OpenBytes(test::PackageBytes(sheets), "texts.xlsx");
  expect_texts(book);
  // A cell set in every row makes each row go out from the model, its texts as shared strings.
  for (int n = 1; n <= 6; ++n)
    for (int r = 1; r <= 300; ++r) book.Sheet("表" + std::to_string(n)).SetValue({r, 3}, 1.0);
  Workbook again = Workbook::OpenBytes(test::SavedBytes(book), "texts.xlsx");
  expect_texts(again);
}

TEST(XlsxIo, BrokenPackagesGiveLocatedErrors) {
  const std::string good = Package("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
  std::string bomb = good;
  {
    // Claim 4 GB for the sheet in the central directory.
    const std::string name = "xl/worksheets/sheet1.xml";
    std::size_t at = bomb.rfind("PK\x01\x02", bomb.rfind(name));
    for (int i = 0; i < 4; ++i) bomb[at + 24 + static_cast<std::size_t>(i)] = '\xFF';
  }
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> must_name;
  };
  const Case cases[] = {
      {"not a zip", "\x01\x02hello", {"bad.xlsx", "zip"}},
      {"empty file", "", {"bad.xlsx"}},
      {"truncated", good.substr(0, good.size() / 2), {"bad.xlsx"}},
      {"no workbook part", test::ZipBytes({{"[Content_Types].xml", "<Types/>"}}), {"bad.xlsx"}},
      {"no content types",
       test::ZipBytes({{"xl/workbook.xml", "<workbook/>"}}),
       {"[Content_Types].xml"}},
      {"malformed xml",
       Package("<row r=\"1\"><c r=\"A1\"><v>1</v></row>"),
       {"xl/worksheets/sheet1.xml"}},
      {"bad reference",
       Package("<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>"),
       {"xl/worksheets/sheet1.xml", "数据输入"}},
      {"row past the sheet",
       Package("<row r=\"1048577\"><c><v>1</v></c></row>"),
       {"xl/worksheets/sheet1.xml"}},
      {"column past the sheet",
       Package("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"),
       {"xl/worksheets/sheet1.xml"}},
      {"rows out of order", Package("<row r=\"5\"/><row r=\"3\"/>"), {"xl/worksheets/sheet1.xml"}},
      {"bad number",
       Package("<row r=\"1\"><c r=\"B1\"><v>1,5</v></c></row>"),
       {"xl/worksheets/sheet1.xml", "B1"}},
      {"shared string out of range",
       Package("<row r=\"1\"><c r=\"C1\" t=\"s\"><v>4</v></c></row>"),
       {"C1"}},
      {"invalid utf-8",
       Package("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>\xC3\x28</t></is></c></row>"),
       {"xl/worksheets/sheet1.xml", "UTF-8"}},
      {"doctype", Package("<!DOCTYPE x [<!ENTITY a \"b\">]>"), {"xl/worksheets/sheet1.xml"}},
      {"zip bomb", bomb, {"xl/worksheets/sheet1.xml"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> texts = c.must_name;
    texts.push_back("无法打开工作簿“bad.xlsx”");
    EXPECT_TRUE(test::ThrowsHostError([&] { Workbook::OpenBytes(c.bytes, "bad.xlsx"); },
                                      kErrCannotOpen, texts));
  }
}

TEST(XlsxIo, EveryTruncationFailsCleanly) {
  const std::string good = FileBytes(kWorkbooks / "lxw_merge_range02.xlsx");
  for (std::size_t n = 0; n < good.size(); n += 97) {
    try {
      Workbook::OpenBytes(good.substr(0, n), "cut.xlsx");
    } catch (const HostError& e) {
      EXPECT_EQ(e.Number(), kErrCannotOpen);
    }
  }
}

TEST(XlsxIo, OpenNamesMissingAndUnsupportedFiles) {
  for (const char* name : {"nothing-here.xlsx", "table.csv"}) {
    EXPECT_HOST_ERROR(Workbook::Open(name), kErrCannotOpen, name);
  }
}

}  // namespace
}  // namespace vardex::host
