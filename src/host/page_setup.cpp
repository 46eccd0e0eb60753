// Reading a sheet's page setup from its part and the workbook's defined names.
#include "host/page_setup.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "host/workbook_impl.hpp"
#include "host/xml_util.hpp"

namespace vardex::host {
namespace {

using detail::Attr;
using detail::Child;
using detail::LocalName;

double Number(pugi::xml_node node, std::string_view name, double fallback) {
  const pugi::xml_attribute a = Attr(node, name);
  if (!a) return fallback;
  const std::string text = a.as_string();
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? fallback : value;
}

bool Flag(pugi::xml_node node, std::string_view name, bool fallback = false) {
  const pugi::xml_attribute a = Attr(node, name);
  return a ? a.as_bool() : fallback;
}

std::string Text(pugi::xml_node node, std::string_view name) {
  std::string text = Child(node, name).child_value();
  detail::DecodeOoxmlEscapes(text);
  return text;
}

std::vector<int32_t> Breaks(pugi::xml_node list, int32_t limit) {
  std::vector<int32_t> breaks;
  for (pugi::xml_node b = list.first_child(); b; b = b.next_sibling()) {
    if (b.type() != pugi::node_element || LocalName(b.name()) != "brk") continue;
    // The id counts from zero and the break falls before that row, so it is the number of the
    // last row of the page above, counted from one.
    const double id = Number(b, "id", 0);
    if (id >= 1 && id < limit) breaks.push_back(static_cast<int32_t>(id));
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  return breaks;
}

// The parts of the sheet outside its cell data and merged cells: all the page setup lives there,
// and a long record table would make a document tree of everything far too large.
std::string SheetFrame(const Worksheet::Impl& s, const std::string& doc) {
  if (s.data_begin == 0 || s.data_end < s.data_begin || s.data_end > doc.size()) return doc;
  std::string frame = doc.substr(0, s.data_begin);
  if (s.merge_end > s.merge_begin && s.merge_begin >= s.data_end && s.merge_end <= doc.size()) {
    frame.append(doc, s.data_end, s.merge_begin - s.data_end);
    frame.append(doc, s.merge_end, std::string::npos);
  } else {
    frame.append(doc, s.data_end, std::string::npos);
  }
  return frame;
}

void ReadSheetPart(const Worksheet::Impl& s, PageSetup& setup) {
  const Workbook::Impl& b = s.book->impl();
  std::shared_ptr<const std::string> source = s.source;
  if (!source) {
    if (b.package.Find(s.part) == nullptr) return;
    source = std::make_shared<const std::string>(b.package.Read(s.part));
  }
  pugi::xml_document doc;
  detail::ParseXml(doc, SheetFrame(s, *source), b.display_name, s.part);
  const pugi::xml_node ws = doc.document_element();

  setup.fit_to_page = Flag(Child(Child(ws, "sheetPr"), "pageSetUpPr"), "fitToPage");
  if (pugi::xml_node o = Child(ws, "printOptions")) {
    setup.center_horizontally = Flag(o, "horizontalCentered");
    setup.center_vertically = Flag(o, "verticalCentered");
    // gridLinesSet only says whether gridLines was set; the value is in gridLines.
    setup.gridlines = Flag(o, "gridLines");
    setup.headings = Flag(o, "headings");
  }
  if (pugi::xml_node m = Child(ws, "pageMargins")) {
    setup.has_margins = true;
    setup.left = Number(m, "left", setup.left);
    setup.right = Number(m, "right", setup.right);
    setup.top = Number(m, "top", setup.top);
    setup.bottom = Number(m, "bottom", setup.bottom);
    setup.header = Number(m, "header", setup.header);
    setup.footer = Number(m, "footer", setup.footer);
  }
  if (pugi::xml_node p = Child(ws, "pageSetup")) {
    setup.has_page_setup = true;
    setup.paper_size = static_cast<uint32_t>(std::clamp(Number(p, "paperSize", 9), 0.0, 1e6));
    setup.paper_width = Attr(p, "paperWidth").as_string();
    setup.paper_height = Attr(p, "paperHeight").as_string();
    setup.landscape = std::string_view(Attr(p, "orientation").as_string()) == "landscape";
    setup.scale = Number(p, "scale", 100);
    setup.fit_to_width = Number(p, "fitToWidth", 1);
    setup.fit_to_height = Number(p, "fitToHeight", 1);
    setup.down_then_over = std::string_view(Attr(p, "pageOrder").as_string()) != "overThenDown";
    setup.use_first_page_number = Flag(p, "useFirstPageNumber");
    setup.first_page_number = Number(p, "firstPageNumber", 1);
  }
  if (pugi::xml_node h = Child(ws, "headerFooter")) {
    setup.different_odd_even = Flag(h, "differentOddEven");
    setup.different_first = Flag(h, "differentFirst");
    setup.scale_header_footer = Flag(h, "scaleWithDoc", true);
    setup.odd_header = Text(h, "oddHeader");
    setup.odd_footer = Text(h, "oddFooter");
    setup.even_header = Text(h, "evenHeader");
    setup.even_footer = Text(h, "evenFooter");
    setup.first_header = Text(h, "firstHeader");
    setup.first_footer = Text(h, "firstFooter");
  }
  setup.row_breaks = Breaks(Child(ws, "rowBreaks"), kMaxRows);
  setup.column_breaks = Breaks(Child(ws, "colBreaks"), kMaxColumns);
}

// The print area and titles: defined names local to the sheet, which the workbook part numbers
// by the sheet's place in its list of sheets.
void ReadDefinedNames(const Worksheet::Impl& s, PageSetup& setup) {
  const Workbook::Impl& b = s.book->impl();
  if (s.rel_id.empty() || b.package.Find(b.workbook_part) == nullptr) return;
  pugi::xml_document doc;
  detail::ParseXml(doc, b.package.Read(b.workbook_part), b.display_name, b.workbook_part);
  const pugi::xml_node wb = doc.document_element();
  int index = -1;
  int position = 0;
  for (pugi::xml_node sh = Child(wb, "sheets").first_child(); sh; sh = sh.next_sibling()) {
    if (sh.type() != pugi::node_element) continue;
    if (s.rel_id == Attr(sh, "id").as_string()) index = position;
    ++position;
  }
  if (index < 0) return;
  for (pugi::xml_node n = Child(wb, "definedNames").first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element || !Attr(n, "localSheetId")) continue;
    if (Attr(n, "localSheetId").as_int(-1) != index) continue;
    const std::string_view name = Attr(n, "name").as_string();
    if (name == "_xlnm.Print_Area") setup.print_area = n.child_value();
    if (name == "_xlnm.Print_Titles") setup.print_titles = n.child_value();
  }
}

}  // namespace

PageSetup ReadPageSetup(const Worksheet& sheet) {
  PageSetup setup;
  ReadSheetPart(sheet.impl(), setup);
  ReadDefinedNames(sheet.impl(), setup);
  return setup;
}

uint32_t ShownStyleIndex(const Worksheet& sheet, CellRef cell) {
  if (const detail::Cell* c = sheet.impl().FindCell(cell)) return c->style;
  return sheet.impl().DefaultStyle(cell);
}

}  // namespace vardex::host
