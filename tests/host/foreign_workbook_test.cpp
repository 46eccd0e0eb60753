// Workbooks as other programs write them: namespace-prefixed parts, files that are not packages,
// the liberties the spreadsheet programs accept, templates and macro workbooks on saving.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"
#include "support/package.hpp"
#include "support/project_book.hpp"
#include "support/scratch_dir.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
  const detail::Package p(std::make_shared<const std::string>(package), "out.xlsx");
  std::vector<std::string> out;
  for (const auto& e : p.Entries()) {
    if (!e.name.ends_with(".xml") && !e.name.ends_with(".rels")) continue;
    pugi::xml_document doc;
    const std::string xml = p.Read(e.name);
    EXPECT_TRUE(doc.load_buffer(xml.data(), xml.size())) << e.name;
    std::vector<std::string> unbound;
    FindUnbound(doc.document_element(), {{"xml", "xml"}}, unbound);
    for (const auto& u : unbound) out.push_back(e.name + ": " + u);
  }
  return out;
}

// Every kind of change the engine writes into an existing part: new texts (string table), new
// rows and cells, merges and the shown sheet (worksheets), a number format (styles), a new sheet
// (workbook, relationships, content types) and properties (custom properties).
TEST(PrefixedParts, EveryChangeLandsInTheMainNamespace) {
  test::ScratchDir dir;
  std::string bytes = test::PrefixedPackage(ReadFile(test::ExampleFile("road-k1")));
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
    const std::string saved = ReadFile(dir.path() / "out.xlsx");
    const std::vector<std::string> unbound = UnboundElements(saved);
    EXPECT_TRUE(unbound.empty()) << unbound.front() << " and " << unbound.size() - 1 << " more";

    Workbook again = Workbook::OpenBytes(saved, "out.xlsx");
    EXPECT_EQ(again.Sheet(test::kLevelling).Text({300, 2}), "1.250米");
    EXPECT_EQ(again.ActiveSheet().Name(), test::kStakeOut);
    EXPECT_EQ(again.CustomProperty("Vardex.Test"), "第" + std::to_string(round) + "次");
    bytes = test::PrefixedPackage(saved);
  }
}

}  // namespace
}  // namespace vardex::host
