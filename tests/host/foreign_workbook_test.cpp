// Workbooks as other programs write them: namespace-prefixed parts, files that are not packages,
// the liberties the spreadsheet programs accept, templates and macro workbooks on saving.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "support/package.hpp"
#include "support/project_book.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;
const fs::path kForeign = "tests/data/foreign-workbooks";

// Elements of `node` and below whose prefix is bound to no namespace in scope, or which have no
// prefix where no default namespace is declared: the programs do not see them.
void FindUnbound(pugi::xml_node node, std::map<std::string, std::string> scope,
                 std::vector<std::string>& out) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view n = a.name();
    if (n == "xmlns") scope[""] = a.value();
    if (n.starts_with("xmlns:")) scope[std::string(n.substr(6))] = a.value();
  }
  const std::string_view name = node.name();
  const std::size_t colon = name.find(':');
  const std::string prefix =
      colon == std::string_view::npos ? "" : std::string(name.substr(0, colon));
  if (scope[prefix].empty()) out.emplace_back(name);
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) FindUnbound(c, scope, out);
}

// "part: element" for every element of the package's XML parts outside any namespace.
std::vector<std::string> UnboundElements(const std::string& package) {
  std::vector<std::string> out;
  for (const auto& [name, xml] : test::PackageParts(package)) {
    if (!name.ends_with(".xml") && !name.ends_with(".rels")) continue;
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(xml.data(), xml.size())) << name;
    std::vector<std::string> unbound;
    FindUnbound(doc.document_element(), {{"xml", "xml"}}, unbound);
    for (const auto& u : unbound) out.push_back(name + ": " + u);
  }
  return out;
}

// Every kind of change the engine writes into an existing part: new texts (string table), new
// rows and cells, merges and the shown sheet (worksheets), a number format (styles), a new sheet
// (workbook, relationships, content types) and properties (custom properties).
TEST(PrefixedParts, EveryChangeLandsInTheMainNamespace) {
  test::ScratchDir dir;
  std::string bytes = test::PrefixedPackage(test::FileBytes(test::ExampleFile("road-k1")));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "first save" : "with the property part from the first save");
    Workbook book = Workbook::OpenBytes(bytes, "prefixed.xlsx");
    Worksheet& levelling = book.Sheet(test::kLevelling);
    levelling.SetText({300, 1}, "新点名" + std::to_string(round));
    levelling.SetValue({300, 2}, 1.25);
    levelling.SetStyleIndex({300, 2}, AddNumberFormatStyle(book, "0.000\"米\"", 0));
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
      Worksheet& sheet = book.SheetAt(i);
      if (sheet.MergedRanges().empty()) continue;
      const RangeRef m = sheet.MergedRanges().front();
      sheet.Copy(m);
      sheet.Select({{m.first.row + 400, m.first.column}, {m.first.row + 400, m.first.column}});
      sheet.Paste();
    }
    book.AddSheet("附加" + std::to_string(round)).SetValue({1, 1}, "说明");
    book.Sheet(test::kStakeOut).Activate();
    book.SetCustomProperty("Vardex.Test", "第" + std::to_string(round) + "次");
    book.SaveAs(dir.path() / "out.xlsx");
    const std::string saved = test::FileBytes(dir.path() / "out.xlsx");
    const std::vector<std::string> unbound = UnboundElements(saved);
    EXPECT_TRUE(unbound.empty()) << unbound.front() << " and " << unbound.size() - 1 << " more";

    Workbook again = Workbook::OpenBytes(saved, "out.xlsx");
    EXPECT_EQ(again.Sheet(test::kLevelling).Text({300, 2}), "1.250米");
    EXPECT_EQ(again.ActiveSheet().Name(), test::kStakeOut);
    EXPECT_EQ(again.CustomProperty("Vardex.Test"), "第" + std::to_string(round) + "次");
    bytes = test::PrefixedPackage(saved);
  }
}

// Files that are no workbook, or one Vardex cannot read, are named for what they are.
TEST(Refusals, SayWhatTheFileIs) {
  struct Case {
    const char* what;
    std::string name;
    std::string bytes;
    const char* says;
  };
  const Case cases[] = {
      {"password to open", "pass_protected.xlsx",
       test::FileBytes(kForeign / "refused/pass_protected.xlsx"), "设有打开密码"},
      {"Excel 97-2003", "date.xlsx", test::FileBytes(kForeign / "refused/date.xls"), "97-2003"},
      {"upper-case stream name", "c.xlsx",
       test::FileBytes(kForeign / "refused/capitalized_wbook_stream.xls"), "97-2003"},
      {"OpenDocument", "date.xlsx", test::FileBytes(kForeign / "refused/date.ods"), "OpenDocument"},
      {"empty file", "e.xlsx", "", "空"},
      {"PDF", "p.xlsx", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", "PDF"},
      {"CSV", "c.xlsx", "点名,X,Y\nK0+000,3500000.1,500000.2\n", "文本文件"},
      {"web page", "h.xlsx", "\xEF\xBB\xBF <!DOCTYPE html><html></html>", "HTML"},
      {"XML spreadsheet", "x.xlsx",
       "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"/>",
       "XML 电子表格 2003"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Workbook::OpenBytes(c.bytes, c.name);
      ADD_FAILURE() << "opened";
    } catch (const HostError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.name), std::string::npos) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
      EXPECT_EQ(message.find("损坏"), std::string::npos) << message;
    }
  }
}

std::string Utf16WithoutMark(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {  // the parts below are ASCII
    out += c;
    out += '\0';
  }
  return out;
}

// What the spreadsheet programs open, read as they read it and written back so that it reads the
// same again (the sheet is changed elsewhere, so that it is written, not copied).
TEST(LenientReading, ReadsWhatTheProgramsOpen) {
  using test::NumberCell;
  struct Case {
    const char* what;
    std::string package;
    std::vector<std::pair<CellRef, CellValue>> cells;
    std::vector<RangeRef> merged = {};
  };
  auto sheet = [](const std::string& rows, const std::string& after = "") {
    return test::PackageBytes({{"Sheet1", rows, after}}, "", false);
  };
  // Some zip tools on Windows store the folder separator as a backslash.
  auto backslashed = [](const std::string& package) {
    test::Parts parts = test::PackageParts(package);
    for (auto& [name, bytes] : parts) std::replace(name.begin(), name.end(), '/', '\\');
    return test::ZipBytes(parts);
  };
  const Case cases[] = {
      {"empty style",
       sheet("<row r=\"1\"><c r=\"A1\" s=\"\"><v>2.5</v></c></row>"),
       {{{1, 1}, 2.5}}},
      {"empty shared-string value",
       sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v/></c><c r=\"B1\" t=\"s\"><v></v></c>" +
             NumberCell("C1", "3") + "</row>"),
       {{{1, 1}, CellValue()}, {{1, 2}, CellValue()}, {{1, 3}, 3.0}}},
      {"cells naming other rows",
       sheet("<row r=\"2\">" + NumberCell("A2", "1") + NumberCell("B5", "2") +
             NumberCell("C1", "3") + "</row><row r=\"5\">" + NumberCell("A5", "4") +
             NumberCell("B5", "5") + "</row>"),
       {{{2, 1}, 1.0}, {{5, 2}, 5.0}, {{1, 3}, 3.0}, {{5, 1}, 4.0}, {{2, 2}, CellValue()}}},
      {"whole-column and whole-row merges",
       sheet(
           "<row r=\"1\">" + NumberCell("A1", "7") + "</row>",
           "<mergeCells count=\"2\"><mergeCell ref=\"C:D\"/><mergeCell ref=\"3:3\"/></mergeCells>"),
       {{{1, 1}, 7.0}},
       {{{1, 3}, {kMaxRows, 4}}, {{3, 1}, {3, kMaxColumns}}}},
      {"UTF-16 without byte-order mark",
       test::EditedPackage(sheet("<row r=\"1\">" + NumberCell("A1", "8") + "</row>"),
                           [](const std::string& name, std::string bytes) {
                             return name.ends_with("sheet1.xml") || name.ends_with("workbook.xml")
                                        ? Utf16WithoutMark(bytes)
                                        : bytes;
                           }),
       {{{1, 1}, 8.0}}},
      {"folders named with backslashes",
       backslashed(sheet("<row r=\"1\">" + NumberCell("A1", "9") + "</row>")),
       {{{1, 1}, 9.0}}},
  };
  EXPECT_EQ(
      Workbook::Open(kForeign / "engine-only/empty_s_attribute.xlsx").SheetAt(0).Value({1, 1}),
      CellValue(std::string("Name")));
  {
    // A real one: every part of it behind backslashes, charts and comments included.
    Workbook book = Workbook::Open(kForeign / "engine-only/issue_530.xlsx");
    book.SheetAt(0).SetValue({20, 20}, 1.0);
    const std::string saved = test::SavedBytes(book);
    for (const auto& [name, bytes] : test::PackageParts(saved))
      EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    Workbook again = Workbook::OpenBytes(saved, "issue_530.xlsx");
    for (const Workbook* b : {&book, &again}) {
      EXPECT_EQ(b->SheetAt(0).Name(), "出勤分类组织汇总表");
      EXPECT_EQ(b->SheetAt(0).Value({1, 1}), CellValue(std::string("报表导出人：")));
      EXPECT_EQ(b->SheetAt(0).Value({4, 3}), CellValue(std::string("领域")));
    }
    EXPECT_EQ(test::PackageParts(saved).size(),
              test::PackageParts(test::FileBytes(kForeign / "engine-only/issue_530.xlsx")).size());
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workbook book = Workbook::OpenBytes(c.package, "foreign.xlsx");
    book.SheetAt(0).SetValue({20, 20}, 1.0);
    Workbook again = test::SavedAndReopened(book);
    for (const Workbook* b : {&book, &again}) {
      for (const auto& [ref, value] : c.cells)
        EXPECT_EQ(b->SheetAt(0).Value(ref), value) << FormatCellRef(ref);
      EXPECT_EQ(b->SheetAt(0).MergedRanges(), c.merged);
    }
  }
}

// The pre-release format of Excel 2007 is named as such (its cells would otherwise look like
// references to texts that are not there).
TEST(LenientReading, SaysWhenAWorkbookIsFromTheExcel2007Beta) {
  const std::string beta = test::EditedPackage(
      test::PackageBytes({{"Sheet1", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"}}, "",
                         false),
      [](const std::string& name, std::string bytes) {
        const std::string main = "spreadsheetml/2006/main";
        if (name == "xl/workbook.xml")
          bytes.replace(bytes.find(main), main.size(), "spreadsheetml/2006/5/main");
        return bytes;
      });
  try {
    Workbook::OpenBytes(beta, "beta.xlsx");
    ADD_FAILURE() << "opened";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("Excel 2007 测试版"), std::string::npos) << e.what();
  }
}

std::string MainType(const fs::path& file) {
  const std::string types = test::PackagePart(test::FileBytes(file), "[Content_Types].xml");
  const std::size_t part = types.find("/xl/workbook.xml");
  const std::size_t type = types.find("ContentType=\"", part) + 13;
  return types.substr(type, types.find('"', type) - type);
}

// Which saves keep the file's type and which take the type of the new name.
TEST(SaveType, TemplatesAndMacroWorkbooks) {
  const std::string sheet =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
  const std::string templ =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
  const std::string macro = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
  struct Case {
    const char* what;
    fs::path source;
    std::string copy_as;  ///< the source copied under this name and saved in place, or
    std::string save_as;  ///< saved under this name
    std::string type;     ///< the saved file's type, or empty: the save is refused
  };
  const fs::path xltx = "../shared/oracles/workbooks/opx_empty.xltx";
  const fs::path xlsm = kForeign / "vba.xlsm";
  const Case cases[] = {
      {"template as template", xltx, "", "a.xltx", templ},
      {"template as workbook", xltx, "", "b.xlsx", sheet},
      {"macros as workbook", xlsm, "", "d.xlsx", ""},
      {"macro workbook named .xlsx, in place", xlsm, "f.xlsx", "", macro},
      {"template named .xlsx, in place", xltx, "g.xlsx", "", templ},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchDir dir;
    const fs::path out = dir.path() / (c.copy_as.empty() ? c.save_as : c.copy_as);
    if (!c.copy_as.empty()) {
      fs::copy_file(c.source, out);
      fs::permissions(out, fs::perms::owner_write, fs::perm_options::add);
    }
    Workbook book = Workbook::Open(c.copy_as.empty() ? c.source : out);
    book.SheetAt(0).SetValue({3, 3}, "改");
    try {
      c.copy_as.empty() ? book.SaveAs(out) : book.Save();
      EXPECT_EQ(MainType(out), c.type);
      EXPECT_EQ(Workbook::Open(out).SheetAt(0).Value({3, 3}), CellValue(std::string("改")));
    } catch (const HostError& e) {
      EXPECT_EQ(c.type, "") << e.what();
      EXPECT_FALSE(fs::exists(out));
    }
  }
}

}  // namespace
}  // namespace vardex::host
