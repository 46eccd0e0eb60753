// Worksheet part reader and writer. The cell data is scanned by hand (it is most of the bytes
// of a workbook and the scanner records each row's and cell's byte span); the small remainder
// of the part goes through pugixml for the layout facts.
#include "host/xlsx_worksheet.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "host/engine_text.hpp"
#include "host/xml_scanner.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

struct CellParse {
  std::string_view ref, style, type;
};

class SheetReader {
 public:
  SheetReader(Worksheet::Impl& sheet, std::string_view doc, std::vector<std::string>& sheet_texts,
              std::size_t shared_count, LoadBudget* budget)
      : s_(sheet),
        doc_(doc),
        sheet_texts_(sheet_texts),
        shared_count_(shared_count),
        budget_(budget),
        scan_(doc, 0) {}

  void ReadSheetData(std::size_t begin) {
    scan_ = Scanner(doc_, begin);
    const Tag open = scan_.Next();
    if (open.empty) {
      s_.data_end = open.end;
      return;
    }
    int32_t last_row = 0;
    for (;;) {
      const Tag t = scan_.Next();
      if (t.closing) {
        if (Local(t.qname) != "sheetData") throw ScanError{t.begin, "结束标签不匹配"};
        s_.data_end = t.end;
        break;
      }
      if (Local(t.qname) != "row") {
        scan_.SkipElement(t);
        continue;
      }
      last_row = ReadRow(t, last_row);
    }
  }

  // Tells the budget what is still counted only here.
  void FlushBudget() {
    if (budget_ == nullptr) return;
    budget_->AddCells(std::exchange(pending_cells_, 0));
    budget_->AddRows(std::exchange(pending_rows_, 0));
  }

  // Array formulas cover cells that may only be written as a whole.
  void MarkArrays() {
    for (const RangeRef& a : arrays_) {
      for (int32_t r = a.first.row; r <= a.last.row; ++r) {
        if (static_cast<std::size_t>(r) > s_.rows.size()) break;
        Row* row = s_.rows.Find(static_cast<std::size_t>(r - 1));
        if (row == nullptr) continue;
        for (Cell& c : row->cells)
          if (c.column >= a.first.column && c.column <= a.last.column &&
              a.first != CellRef{r, c.column})
            c.flags |= Cell::kArrayPart;
      }
    }
  }

  CellRef current{};

 private:
  int32_t ReadRow(const Tag& t, int32_t last_row) {
    int32_t r = last_row + 1;
    bool has_ref = false;
    float height = 0;
    uint32_t style = 0;
    bool custom = false, hidden = false, custom_format = false;
    // A row without its own number is the one after the last; a bad number is reported there.
    current = {r, 0};
    ForEachAttribute(t.attrs, t.begin,
                     [&](std::string_view name, std::string_view value, std::size_t at) {
                       if (name == "r") {
                         uint32_t v = 0;
                         if (!ParseUint(value, v) || v < 1 || v > static_cast<uint32_t>(kMaxRows))
                           throw ScanError{at, "行号" + text::Quoted(value) + "无效"};
                         r = static_cast<int32_t>(v);
                         has_ref = true;
                       } else if (name == "ht") {
                         double h = 0;
                         std::from_chars(value.data(), value.data() + value.size(), h);
                         height = static_cast<float>(h);
                       } else if (name == "customHeight") {
                         custom = value == "1" || value == "true";
                       } else if (name == "hidden") {
                         hidden = value == "1" || value == "true";
                       } else if (name == "s") {
                         ParseUint(value, style);
                       } else if (name == "customFormat") {
                         custom_format = value == "1" || value == "true";
                       }
                     });
    current = {r, 0};
    if (r <= last_row) throw ScanError{t.begin, "行号 " + std::to_string(r) + " 顺序错误或重复"};
    if (static_cast<std::size_t>(r) > s_.rows.size())
      Count(pending_rows_, static_cast<std::size_t>(r) - s_.rows.size(), &LoadBudget::AddRows);
    Row& row = s_.RowAt(r);
    row.exists = true;
    row.needs_ref = !has_ref;
    row.height = height;
    row.custom_height = custom;
    row.hidden = hidden;
    row.style = style;
    row.custom_format = custom_format && style < s_.book->impl().styles.xfs.size();
    row.attr_offset = static_cast<uint32_t>(t.begin + 1 + t.qname.size());
    row.attr_length = static_cast<uint32_t>(t.attrs.size());
    current = {r, 0};
    if (!t.empty) {
      for (;;) {
        const Tag c = scan_.Next();
        if (c.closing) {
          if (Local(c.qname) != "row") throw ScanError{c.begin, "结束标签不匹配"};
          row.raw_length = static_cast<uint32_t>(c.end - t.begin);
          break;
        }
        if (Local(c.qname) != "c") {
          scan_.SkipElement(c);
          continue;
        }
        ReadCell(c, row, r);
      }
    } else {
      row.raw_length = static_cast<uint32_t>(t.end - t.begin);
    }
    row.raw_offset = static_cast<uint32_t>(t.begin);
    if (!row.cells.empty()) row_cells_ = row.cells.size();
    return r;
  }

  void ReadCell(const Tag& t, Row& row, int32_t r) {
    int32_t column = row.cells.empty() ? 1 : row.cells.back().column + 1;
    int32_t cell_row = r;
    bool has_ref = false;
    Cell cell;
    std::string_view type;
    ForEachAttribute(t.attrs, t.begin,
                     [&](std::string_view name, std::string_view value, std::size_t at) {
                       if (name == "r") {
                         auto ref = ParseCellRef(value);
                         if (!ref) throw ScanError{at, "单元格引用" + text::Quoted(value) + "无效"};
                         column = ref->column;
                         cell_row = ref->row;
                         has_ref = true;
                       } else if (name == "s") {
                         // An empty style is no style, as the spreadsheet programs read it.
                         if (!value.empty() && !ParseUint(value, cell.style))
                           throw ScanError{at, "样式编号无效"};
                       } else if (name == "t") {
                         type = value;
                       }
                     });
    if (column > kMaxColumns) throw ScanError{t.begin, "列号超出工作表范围"};
    current = {cell_row, column};
    // A cell whose reference names another row belongs to that row, as the programs read it;
    // it is placed there once the whole sheet is read.
    const bool stray = cell_row != r;
    if (!stray && !row.cells.empty() && row.cells.back().column >= column)
      throw ScanError{t.begin, "单元格顺序错误或重复"};
    cell.column = static_cast<uint16_t>(column);
    if (!has_ref) cell.flags |= Cell::kRawNeedsRef;

    value_.clear();
    bool has_value = false;
    std::size_t value_at = t.begin;
    if (!t.empty) {
      for (;;) {
        const Tag c = scan_.Next();
        if (c.closing) {
          if (Local(c.qname) != "c") throw ScanError{c.begin, "结束标签不匹配"};
          cell.raw_length = static_cast<uint32_t>(c.end - t.begin);
          break;
        }
        const std::string_view name = Local(c.qname);
        if (name == "v") {
          value_at = c.end;
          has_value = true;
          if (!c.empty) ReadText(c);
        } else if (name == "f") {
          cell.flags |= Cell::kHasFormula;
          ReadFormula(c);
        } else if (name == "is") {
          has_value = true;
          ReadInline(c);
        } else {
          scan_.SkipElement(c);
        }
      }
    } else {
      cell.raw_length = static_cast<uint32_t>(t.end - t.begin);
    }
    cell.raw_offset = static_cast<uint32_t>(t.begin);

    if (has_value) {
      if (type.empty() || type == "n") {
        double v = 0;
        const char* b = value_.data();
        const char* e = b + value_.size();
        while (b < e && IsSpace(*b)) ++b;
        while (e > b && IsSpace(e[-1])) --e;
        if (b < e && *b == '+') ++b;
        auto [p, ec] = std::from_chars(b, e, v);
        if (b == e) {
          // An empty <v/> holds nothing.
        } else if (ec != std::errc() || p != e || !std::isfinite(v)) {
          throw ScanError{value_at, "数值" + text::Quoted(value_) + "无效"};
        } else {
          cell.kind = CellKind::kNumber;
          cell.v.number = v;
        }
      } else if (type == "s") {
        uint32_t index = 0;
        if (value_.empty()) {
          // An empty <v/> holds nothing here too.
        } else if (!ParseUint(value_, index) || index >= shared_count_)
          throw ScanError{value_at, "共享字符串编号" + text::Quoted(value_) + "超出范围"};
        else {
          cell.kind = CellKind::kText;
          cell.v.text = index;
        }
      } else if (type == "str" || type == "inlineStr" || type == "d") {
        DecodeOoxmlEscapes(value_);
        cell.kind = CellKind::kText;
        cell.v.text = Intern(value_);
      } else if (type == "b") {
        cell.kind = CellKind::kBool;
        cell.v.number = value_ == "1" || value_ == "true" ? 1.0 : 0.0;
      } else if (type == "e") {
        cell.kind = CellKind::kError;
        cell.v.text = Intern(value_);
      } else {
        throw ScanError{t.begin, "单元格类型" + text::Quoted(type) + "无效"};
      }
    }
    Count(pending_cells_, 1, &LoadBudget::AddCells);
    if (stray) {
      strays_.push_back({r, cell_row, cell});
      row.dirty = true;  // its original XML holds the cell that moves away
      return;
    }
    if (row.cells.empty()) row.cells.reserve(row_cells_);  // rows of a table are alike
    row.cells.push_back(cell);
  }

 public:
  // Puts the cells read inside another row's element into their own rows. Both rows are written
  // from their cells if the sheet is saved, so that each cell goes out in the row it names.
  void PlaceStrays() {
    for (const Stray& st : strays_) {
      if (static_cast<std::size_t>(st.row) > s_.rows.size())
        Count(pending_rows_, static_cast<std::size_t>(st.row) - s_.rows.size(),
              &LoadBudget::AddRows);
      Row& row = s_.RowAt(st.row);
      row.exists = true;
      row.dirty = true;
      auto at = std::lower_bound(row.cells.begin(), row.cells.end(), st.cell.column,
                                 [](const Cell& c, uint16_t column) { return c.column < column; });
      if (at != row.cells.end() && at->column == st.cell.column) {
        // Two cells for one place: the one later in the part wins.
        if (st.row < st.found_in) *at = st.cell;
      } else {
        row.cells.insert(at, st.cell);
      }
    }
  }

 private:
  // The budget is told in batches: sheets read at once would otherwise contend for it on every
  // cell. A large step is told at once, before the rows it reaches are made.
  void Count(std::size_t& pending, std::size_t n, void (LoadBudget::*add)(std::size_t)) {
    if (budget_ == nullptr) return;
    pending += n;
    if (pending >= kBudgetBatch) (budget_->*add)(std::exchange(pending, 0));
  }

  // Only collected here: texts are looked up and counted when the sheet's are adopted (their
  // number is bounded by the cells').
  uint32_t Intern(std::string_view text) {
    sheet_texts_.emplace_back(text);
    return static_cast<uint32_t>(sheet_texts_.size() - 1) | kSheetText;
  }

  void ReadText(const Tag& start) {
    const Tag end = scan_.Next(&value_);
    if (!end.closing || end.qname != start.qname) throw ScanError{end.begin, "元素内容无效"};
  }

  void ReadFormula(const Tag& start) {
    std::string_view type, ref, si;
    ForEachAttribute(start.attrs, start.begin,
                     [&](std::string_view name, std::string_view value, std::size_t) {
                       if (name == "t") type = value;
                       if (name == "ref") ref = value;
                       if (name == "si") si = value;
                     });
    if (type == "array" && !ref.empty()) {
      if (auto range = ParseRangeRef(ref)) arrays_.push_back(*range);
    }
    uint32_t group = 0;
    if (type != "shared" || !ParseUint(si, group)) {
      scan_.SkipElement(start);
      return;
    }
    std::string formula;
    if (!start.empty) {
      const Tag end = scan_.Next(&formula);
      if (!end.closing) throw ScanError{end.begin, "公式格式错误"};
    }
    if (!ref.empty() && !formula.empty()) {
      s_.shared_formulas.push_back({group, current, std::move(formula)});
    } else {
      s_.shared_dependents.emplace_back(current, group);
    }
  }

  // Inline string: the text of <t> elements, directly or in runs; phonetic runs left out.
  void ReadInline(const Tag& start) {
    if (start.empty) return;
    int depth = 1;
    int skip_depth = 0;
    while (depth > 0) {
      const Tag t = scan_.Next();
      if (t.closing) {
        if (skip_depth == depth) skip_depth = 0;
        --depth;
        continue;
      }
      const std::string_view name = Local(t.qname);
      if (t.empty) continue;
      ++depth;
      Scanner::CheckDepth(static_cast<std::size_t>(depth), t);
      if (skip_depth != 0) continue;
      if (name == "rPh") {
        skip_depth = depth;
      } else if (name == "t") {
        const Tag end = scan_.Next(&value_);
        if (!end.closing) throw ScanError{end.begin, "元素内容无效"};
        --depth;
      }
    }
  }

  Worksheet::Impl& s_;
  std::string_view doc_;
  std::vector<std::string>& sheet_texts_;
  std::size_t shared_count_;
  LoadBudget* budget_;
  static constexpr std::size_t kBudgetBatch = 4096;
  std::size_t pending_cells_ = 0;
  std::size_t pending_rows_ = 0;
  Scanner scan_;
  std::string value_;
  std::vector<RangeRef> arrays_;
  struct Stray {
    int32_t found_in;  ///< the row whose element holds it
    int32_t row;       ///< the row it names
    Cell cell;
  };
  std::vector<Stray> strays_;
  std::size_t row_cells_ = 4;  ///< cells of the last row that had any
};

double AttrDouble(pugi::xml_node n, std::string_view name, double fallback) {
  pugi::xml_attribute a = Attr(n, name);
  return a ? a.as_double(fallback) : fallback;
}

void ReadLayout(Worksheet::Impl& s, const pugi::xml_document& doc) {
  const pugi::xml_node ws = doc.document_element();
  SheetLayout& lay = s.layout;
  if (pugi::xml_node fmt = Child(ws, "sheetFormatPr")) {
    lay.default_row_height = AttrDouble(fmt, "defaultRowHeight", lay.default_row_height);
    if (Attr(fmt, "defaultColWidth")) {
      lay.default_column_width = AttrDouble(fmt, "defaultColWidth", lay.default_column_width);
    } else if (Attr(fmt, "baseColWidth")) {
      // Width in characters plus the cell padding the programs add.
      lay.default_column_width = AttrDouble(fmt, "baseColWidth", 8) + 0.71;
    }
  }
  if (pugi::xml_node cols = Child(ws, "cols")) {
    for (pugi::xml_node c = cols.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element || LocalName(c.name()) != "col") continue;
      ColumnInfo info;
      info.first = std::clamp(Attr(c, "min").as_int(1), 1, kMaxColumns);
      info.last = std::clamp(Attr(c, "max").as_int(info.first), info.first, kMaxColumns);
      info.width = AttrDouble(c, "width", 0);
      info.hidden = Attr(c, "hidden").as_bool();
      info.style = Attr(c, "style").as_uint();
      lay.columns.push_back(info);
    }
    std::sort(lay.columns.begin(), lay.columns.end(),
              [](const ColumnInfo& a, const ColumnInfo& b) { return a.first < b.first; });
    // One entry per column up to the last styled one, for the style of new cells. Runs up to
    // the last column (max="16384") are common and cost 64 KiB at most.
    const std::size_t styles = s.book->impl().styles.xfs.size();
    for (const ColumnInfo& info : lay.columns) {
      // A style the table does not have would make new cells unreadable; they get none.
      if (info.style == 0 || info.style >= styles) continue;
      const auto last = static_cast<std::size_t>(info.last);
      if (s.column_styles.size() <= last) s.column_styles.resize(last + 1, 0);
      for (auto c = static_cast<std::size_t>(info.first); c <= last; ++c)
        s.column_styles[c] = info.style;
    }
  }
  if (pugi::xml_node views = Child(ws, "sheetViews")) {
    if (pugi::xml_node view = Child(views, "sheetView")) {
      s.tab_selected = Attr(view, "tabSelected").as_bool();
      if (pugi::xml_node pane = Child(view, "pane")) {
        const std::string_view state = Attr(pane, "state").as_string();
        if (state == "frozen" || state == "frozenSplit") {
          lay.frozen_columns = static_cast<int32_t>(AttrDouble(pane, "xSplit", 0));
          lay.frozen_rows = static_cast<int32_t>(AttrDouble(pane, "ySplit", 0));
        }
      }
      if (pugi::xml_node sel = Child(view, "selection")) {
        if (auto cell = ParseCellRef(Attr(sel, "activeCell").as_string()))
          s.selection = {*cell, *cell};
      }
    }
  }
}

}  // namespace

void ReadWorksheet(Worksheet::Impl& s, std::string_view doc, std::vector<std::string>& sheet_texts,
                   std::size_t shared_count, const std::string& file, LoadBudget* budget) {
  CheckUtf8(doc, file, s.part);
  s.source_size = doc.size();
  auto fail = [&](std::size_t offset, const std::string& what) {
    throw HostError(kErrCannotOpen, text::CannotOpen(file, text::BadXml(s.part, offset, what)));
  };
  std::size_t data = std::string::npos;
  try {
    data = FindTag(doc, "sheetData", 0);
  } catch (const ScanError& e) {
    fail(e.offset, e.what);
  }
  if (data == std::string::npos) fail(0, "缺少 sheetData 元素");
  s.data_begin = data;
  {
    const std::string_view q(doc.data() + data + 1,
                             doc.find_first_of(" \t\r\n/>", data) - data - 1);
    const std::size_t colon = q.find(':');
    s.prefix = colon == std::string_view::npos ? "" : std::string(q.substr(0, colon + 1));
  }
  SheetReader reader(s, doc, sheet_texts, shared_count, budget);
  try {
    reader.ReadSheetData(data);
    reader.PlaceStrays();
    reader.MarkArrays();
    reader.FlushBudget();
  } catch (const ScanError& e) {
    const CellRef at = reader.current;
    if (at.row > 0 && at.column > 0) {
      throw HostError(
          kErrCannotOpen,
          text::CannotOpen(file, text::BadCell(s.part, s.name, FormatCellRef(at), e.what)));
    }
    if (at.row > 0) {
      throw HostError(
          kErrCannotOpen,
          text::CannotOpen(file, text::BadRow(s.part, s.name,
                                              "第 " + std::to_string(at.row) + " 行：" + e.what)));
    }
    fail(e.offset, e.what);
  }

  // Merged cells by the scanner: a long record table has hundreds of thousands, too many for a
  // document tree to be worth building.
  try {
    Scanner scan(doc, s.data_end);
    for (;;) {
      const Tag t = scan.Next();
      if (t.closing) break;  // </worksheet>: none
      if (Local(t.qname) != "mergeCells") {
        scan.SkipElement(t);
        continue;
      }
      s.merge_begin = t.begin;
      s.merge_end = t.end;
      if (t.empty) break;
      for (;;) {
        const Tag m = scan.Next();
        if (m.closing) {
          if (Local(m.qname) != "mergeCells") throw ScanError{m.begin, "结束标签不匹配"};
          s.merge_end = m.end;
          break;
        }
        if (Local(m.qname) == "mergeCell") {
          std::string_view ref;
          ForEachAttribute(m.attrs, m.begin + 1 + m.qname.size(),
                           [&](std::string_view name, std::string_view value, std::size_t) {
                             if (Local(name) == "ref") ref = value;
                           });
          auto range = ParseRangeRef(ref);
          if (!range) throw ScanError{m.begin, "合并区域" + text::Quoted(ref) + "无效"};
          s.merged.push_back(*range);
        }
        scan.SkipElement(m);
      }
      break;
    }
  } catch (const ScanError& e) {
    fail(e.offset, e.what);
  }

  // The rest of the part, without cell data and merged cells, for the layout facts.
  std::string rest(doc.substr(0, s.data_begin));
  if (s.merge_end > s.merge_begin) {
    rest.append(doc.substr(s.data_end, s.merge_begin - s.data_end));
    rest.append(doc.substr(s.merge_end));
  } else {
    rest.append(doc.substr(s.data_end));
  }
  pugi::xml_document layout;
  ParseXml(layout, rest, file, s.part);
  ReadLayout(s, layout);
  if (pugi::xml_node dim = Child(layout.document_element(), "dimension")) {
    if (pugi::xml_attribute ref = Attr(dim, "ref")) {
      const auto at = static_cast<std::size_t>(dim.offset_debug());
      const std::size_t eq = doc.find("ref=", at);
      if (at < s.data_begin && eq != std::string::npos && eq < s.data_begin) {
        s.dim_begin = eq + 5;
        s.dim_end = doc.find(doc[eq + 4], s.dim_begin);
      }
    }
  }
}

void AdoptSheetTexts(Worksheet::Impl& sheet, std::vector<std::string>& sheet_texts,
                     StringPool& pool, LoadBudget* budget) {
  if (sheet_texts.empty()) return;
  std::vector<uint32_t> ids(sheet_texts.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const std::size_t before = pool.Size();
    ids[i] = pool.Intern(std::move(sheet_texts[i]));
    if (budget != nullptr && pool.Size() > before) budget->AddStrings(1);
  }
  sheet_texts = {};
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    Row* row = sheet.rows.Find(r);
    if (row == nullptr) continue;
    for (Cell& cell : row->cells) {
      if ((cell.kind == CellKind::kText || cell.kind == CellKind::kError) &&
          (cell.v.text & kSheetText) != 0)
        cell.v.text = ids[cell.v.text & ~kSheetText];
    }
  }
}

namespace {

// Elements that follow mergeCells in a worksheet; a new mergeCells goes before the first.
constexpr std::string_view kAfterMerge[] = {"phoneticPr",
                                            "conditionalFormatting",
                                            "dataValidations",
                                            "hyperlinks",
                                            "printOptions",
                                            "pageMargins",
                                            "pageSetup",
                                            "headerFooter",
                                            "rowBreaks",
                                            "colBreaks",
                                            "customProperties",
                                            "cellWatches",
                                            "ignoredErrors",
                                            "smartTags",
                                            "drawing",
                                            "legacyDrawing",
                                            "legacyDrawingHF",
                                            "picture",
                                            "oleObjects",
                                            "controls",
                                            "webPublishItems",
                                            "tableParts",
                                            "extLst"};

std::size_t MergeInsertPoint(std::string_view doc, std::size_t from) {
  Scanner scan(doc, from);
  try {
    for (;;) {
      const Tag t = scan.Next();
      if (t.closing) return t.begin;  // </worksheet>
      const std::string_view name = Local(t.qname);
      for (std::string_view after : kAfterMerge)
        if (name == after) return t.begin;
      scan.SkipElement(t);
    }
  } catch (const ScanError&) {
    return doc.size();
  }
}

void AppendUint(std::string& out, uint64_t v) {
  char buf[24];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, p);
}

void AppendRef(std::string& out, int32_t row, int32_t column) {
  out += ColumnName(column);
  AppendUint(out, static_cast<uint64_t>(row));
}

// The start tag's attributes without r and spans (spans is only a hint and would go stale).
void AppendRowAttributes(std::string& out, std::string_view attrs) {
  try {
    ForEachAttribute(attrs, 0, [&](std::string_view name, std::string_view value, std::size_t at) {
      if (name == "r" || name == "spans") return;
      out += ' ';
      out.append(name);
      out += '=';
      out += attrs[at - 1];
      out.append(value);
      out += attrs[at - 1];
    });
  } catch (const ScanError&) {
  }
}

// An original cell with a new style: its start tag with s replaced, the rest unchanged.
void AppendRestyled(std::string& out, std::string_view raw, uint32_t style, CellRef ref,
                    bool needs_ref) {
  std::size_t i = 2;  // past "<c"
  while (i < raw.size() && raw[i] != ' ' && raw[i] != '>' && raw[i] != '/') ++i;
  const std::string_view name = raw.substr(1, i - 1);
  std::size_t end = i;
  char quote = 0;
  for (; end < raw.size(); ++end) {
    if (quote != 0) {
      if (raw[end] == quote) quote = 0;
    } else if (raw[end] == '"' || raw[end] == '\'') {
      quote = raw[end];
    } else if (raw[end] == '>') {
      break;
    }
  }
  std::size_t attrs_end = end;
  if (attrs_end > i && raw[attrs_end - 1] == '/') --attrs_end;
  out += '<';
  out.append(name);
  if (needs_ref) {
    out += " r=\"";
    AppendRef(out, ref.row, ref.column);
    out += '"';
  }
  const std::string_view attrs = raw.substr(i, attrs_end - i);
  try {
    ForEachAttribute(attrs, 0, [&](std::string_view n, std::string_view value, std::size_t at) {
      if (n == "s") return;
      out += ' ';
      out.append(n);
      out += '=';
      out += attrs[at - 1];
      out.append(value);
      out += attrs[at - 1];
    });
  } catch (const ScanError&) {
  }
  if (style != 0) {
    out += " s=\"";
    AppendUint(out, style);
    out += '"';
  }
  out.append(raw.substr(attrs_end));
}

bool IsRefChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$' || c == '\\';
}

// Moves the relative cell references of a formula by (rows, columns), as filling it from one
// cell to another does; absolute parts ($) stay. Texts and quoted sheet names are left alone.
std::string TranslateFormula(std::string_view f, int32_t rows, int32_t columns) {
  std::string out;
  std::size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    if (c == '"' || c == '\'') {
      std::size_t j = i + 1;
      while (j < f.size()) {
        if (f[j] == c) {
          if (j + 1 < f.size() && f[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      out.append(f.substr(i, j + 1 - i));
      i = j + 1;
      continue;
    }
    if (!IsRefChar(c)) {
      out += c;
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < f.size() && IsRefChar(f[j])) ++j;
    const std::string_view token = f.substr(i, j - i);
    const bool call_or_sheet = j < f.size() && (f[j] == '(' || f[j] == '!');
    const bool after_name = i > 0 && (IsRefChar(f[i - 1]));
    std::size_t k = 0;
    const bool col_abs = k < token.size() && token[k] == '$';
    if (col_abs) ++k;
    const std::size_t letters = k;
    while (k < token.size() &&
           ((token[k] >= 'A' && token[k] <= 'Z') || (token[k] >= 'a' && token[k] <= 'z')))
      ++k;
    const std::size_t letters_end = k;
    const bool row_abs = k < token.size() && token[k] == '$';
    if (row_abs) ++k;
    const std::size_t digits = k;
    while (k < token.size() && token[k] >= '0' && token[k] <= '9') ++k;
    auto ref = ParseCellRef(token);
    if (call_or_sheet || after_name || !ref || k != token.size() || letters_end == letters ||
        digits == k) {
      out.append(token);
    } else {
      const int32_t col = col_abs ? ref->column : ref->column + columns;
      const int32_t row = row_abs ? ref->row : ref->row + rows;
      if (col < 1 || col > kMaxColumns || row < 1 || row > kMaxRows) {
        out += "#REF!";
      } else {
        if (col_abs) out += '$';
        out += ColumnName(col);
        if (row_abs) out += '$';
        out += std::to_string(row);
      }
    }
    i = j;
  }
  return out;
}

uint64_t Key(CellRef r) { return (uint64_t(uint32_t(r.row)) << 16) | uint32_t(r.column); }

bool HasOriginalFormula(const Worksheet::Impl& s, CellRef r) {
  const Cell* c = s.FindCell(r);
  return c != nullptr && c->raw_length != 0 && (c->flags & Cell::kHasFormula) != 0;
}

// Shared formula groups whose master cell was overwritten: the first remaining member becomes
// the master, with the formula moved to it, so that the others keep a formula to share.
std::unordered_map<uint64_t, std::string> NewSharedMasters(const Worksheet::Impl& s) {
  std::unordered_map<uint64_t, std::string> out;
  for (const SharedFormula& g : s.shared_formulas) {
    if (HasOriginalFormula(s, g.master)) continue;
    std::optional<CellRef> first;
    RangeRef box{};
    for (const auto& [cell, si] : s.shared_dependents) {
      if (si != g.si || !HasOriginalFormula(s, cell)) continue;
      if (!first) {
        first = cell;
        box = {cell, cell};
      }
      box.first.row = std::min(box.first.row, cell.row);
      box.first.column = std::min(box.first.column, cell.column);
      box.last.row = std::max(box.last.row, cell.row);
      box.last.column = std::max(box.last.column, cell.column);
    }
    if (!first) continue;
    std::string f = "<" + s.prefix + "f t=\"shared\" ref=\"" + FormatRangeRef(box) + "\" si=\"" +
                    std::to_string(g.si) + "\">";
    AppendEscaped(
        f, TranslateFormula(g.formula, first->row - g.master.row, first->column - g.master.column));
    f += "</" + s.prefix + "f>";
    out.emplace(Key(*first), std::move(f));
  }
  return out;
}

// The original cell with its <f> element replaced.
void AppendWithFormula(std::string& out, std::string_view raw, const std::string& prefix,
                       const std::string& formula) {
  const std::string open = "<" + prefix + "f";
  std::size_t at = raw.find(open);
  while (at != std::string_view::npos && at + open.size() < raw.size() &&
         !(raw[at + open.size()] == ' ' || raw[at + open.size()] == '/' ||
           raw[at + open.size()] == '>'))
    at = raw.find(open, at + 1);
  if (at == std::string_view::npos) {
    out.append(raw);
    return;
  }
  const std::size_t gt = raw.find('>', at);
  std::size_t end = gt + 1;
  if (raw[gt - 1] != '/') {
    const std::string close = "</" + prefix + "f>";
    end = raw.find(close, gt) + close.size();
  }
  out.append(raw.substr(0, at));
  out += formula;
  out.append(raw.substr(end));
}

// Attributes of sheetView that come after tabSelected, in the order the programs write them.
constexpr std::string_view kAfterTabSelected[] = {"showRuler",
                                                  "showOutlineSymbols",
                                                  "defaultGridColor",
                                                  "showWhiteSpace",
                                                  "view",
                                                  "topLeftCell",
                                                  "colorId",
                                                  "zoomScale",
                                                  "zoomScaleNormal",
                                                  "zoomScaleSheetLayoutView",
                                                  "zoomScalePageLayoutView",
                                                  "workbookViewId"};

// The part's text before <sheetData> with the first sheet view's tabSelected flag set or
// removed. A sheet without views gets one when it becomes the selected sheet.
std::string WithTabSelected(std::string_view head, std::string_view prefix, bool selected) {
  Scanner scan(head, 0);
  std::optional<Tag> view;
  std::size_t insert_at = head.size();
  try {
    for (;;) {
      const Tag t = scan.Next();
      if (t.closing) continue;
      const std::string_view name = Local(t.qname);
      if (name == "sheetView") {
        view = t;
        break;
      }
      if (name == "sheetFormatPr" || name == "cols") {
        insert_at = t.begin;
        break;
      }
    }
  } catch (const ScanError&) {
    // The head ends inside the root element: no view before the cell data.
  }
  std::string out;
  if (!view) {
    if (!selected) return std::string(head);
    out.append(head.substr(0, insert_at));
    out.append("<").append(prefix).append("sheetViews><").append(prefix);
    out.append("sheetView tabSelected=\"1\" workbookViewId=\"0\"/></").append(prefix);
    out.append("sheetViews>");
    out.append(head.substr(insert_at));
    return out;
  }
  out.append(head.substr(0, view->begin));
  out += '<';
  out.append(view->qname);
  bool placed = !selected;
  ForEachAttribute(view->attrs, 0, [&](std::string_view n, std::string_view value, std::size_t at) {
    if (n == "tabSelected") return;
    if (!placed) {
      for (std::string_view after : kAfterTabSelected) {
        if (n == after) {
          out += " tabSelected=\"1\"";
          placed = true;
          break;
        }
      }
    }
    out += ' ';
    out.append(n);
    out += '=';
    out += view->attrs[at - 1];
    out.append(value);
    out += view->attrs[at - 1];
  });
  if (!placed) out += " tabSelected=\"1\"";
  out += view->empty ? "/>" : ">";
  out.append(head.substr(view->end));
  return out;
}

}  // namespace

namespace {

char* PutUint(char* p, uint64_t v) { return std::to_chars(p, p + 20, v).ptr; }
char* Put(char* p, std::string_view s) {
  std::memcpy(p, s.data(), s.size());
  return p + s.size();
}

// Writes a number in the shortest form that reads back exactly, the form std::to_chars gives;
// returns the end. Survey values have a few decimals, and finding those by scaling is several
// times cheaper than the general shortest-form search, which stays for everything else.
char* PutNumber(char* p, double v) {
  const double a = std::fabs(v);
  if (a >= 1e-5 && a < 1e15) {
    double scale = 1;
    for (int k = 0; k <= 15; ++k, scale *= 10) {
      const double t = a * scale;
      // Below 2^49 decimal steps of 10^-k are at least 8 units in the last place apart: at most
      // one k-decimal text reads back as v, and the nearest integer to t finds it.
      if (t >= 0x1p49) break;
      const double r = std::nearbyint(t);
      if (r / scale != a) continue;  // both exact or correctly rounded, as a reader would
      char digits[24];
      char* const end = std::to_chars(digits, digits + sizeof digits, static_cast<uint64_t>(r)).ptr;
      const auto n = static_cast<std::size_t>(end - digits);
      const auto decimals = static_cast<std::size_t>(k);
      std::size_t significant = n;
      if (decimals == 0)
        while (significant > 1 && digits[significant - 1] == '0') --significant;
      const std::size_t fixed = n > decimals ? n + (decimals > 0 ? 1 : 0) : 2 + decimals;
      const std::size_t scientific = significant + (significant > 1 ? 1 : 0) + 4;
      if (fixed > scientific) break;  // to_chars would choose the exponent form
      if (v < 0) *p++ = '-';
      if (n > decimals) {
        p = Put(p, std::string_view(digits, n - decimals));
        if (decimals > 0) {
          *p++ = '.';
          p = Put(p, std::string_view(end - decimals, decimals));
        }
      } else {
        *p++ = '0';
        *p++ = '.';
        for (std::size_t z = n; z < decimals; ++z) *p++ = '0';
        p = Put(p, std::string_view(digits, n));
      }
      return p;
    }
  }
  return std::to_chars(p, p + 32, v).ptr;
}
void AppendUint(ByteBuffer& out, uint64_t v) {
  char* p = out.Room(20);
  out.Commit(static_cast<std::size_t>(PutUint(p, v) - p));
}

// Strings that repeat on every cell, made once per part: "<c r=\"" with each column's letters,
// and the element names with the part's namespace prefix.
struct CellText {
  explicit CellText(const std::string& p, int32_t max_column)
      : value_open(p.empty() ? "><v>" : "><" + p + "v>"),
        value_close("</" + p + "v></" + p + "c>"),
        row_close("</" + p + "row>") {
    starts.resize(static_cast<std::size_t>(max_column) + 1);
    letters.resize(static_cast<std::size_t>(max_column) + 1);
    for (int32_t c = 1; c <= max_column; ++c) {
      letters[static_cast<std::size_t>(c)] = ColumnName(c);
      starts[static_cast<std::size_t>(c)] = "<" + p + "c r=\"" + ColumnName(c);
    }
    longest = 0;
    for (const auto& st : starts) longest = std::max(longest, st.size());
    // Start, row digits, style, type, value and the closing tags.
    cell_room = longest + 7 + 16 + 8 + value_open.size() + 32 + value_close.size() + 8;
  }
  std::vector<std::string> starts;
  std::vector<std::string> letters;
  std::string value_open, value_close, row_close;
  std::size_t longest = 0;
  std::size_t cell_room = 0;
};

// The merged cells element, written straight into the part.
void PutMerges(ByteBuffer& out, const std::vector<RangeRef>& merged, const std::string& p) {
  if (merged.empty()) return;
  out.Append("<");
  out.Append(p);
  out.Append("mergeCells count=\"");
  AppendUint(out, merged.size());
  out.Append("\">");
  int32_t max_column = 1;
  for (const RangeRef& m : merged) max_column = std::max(max_column, m.last.column);
  std::vector<std::string> letters(static_cast<std::size_t>(max_column) + 1);
  for (int32_t c = 1; c <= max_column; ++c) letters[static_cast<std::size_t>(c)] = ColumnName(c);
  const std::string open = "<" + p + "mergeCell ref=\"";
  const std::size_t room = open.size() + 2 * (3 + 7) + 1 + 3;
  for (const RangeRef& m : merged) {
    char* const start = out.Room(room);
    char* q = Put(start, open);
    q = Put(q, letters[static_cast<std::size_t>(m.first.column)]);
    q = PutUint(q, static_cast<uint64_t>(m.first.row));
    *q++ = ':';
    q = Put(q, letters[static_cast<std::size_t>(m.last.column)]);
    q = PutUint(q, static_cast<uint64_t>(m.last.row));
    q = Put(q, "\"/>");
    out.Commit(static_cast<std::size_t>(q - start));
  }
  out.Append("</");
  out.Append(p);
  out.Append("mergeCells>");
}

}  // namespace

std::size_t EstimateWorksheetSize(const Worksheet::Impl& s) {
  std::size_t cells = 0;
  for (const Row& row : s.rows) cells += row.cells.size();
  return s.source_size + cells * 40 + s.rows.size() * 24 + s.merged.size() * 28;
}

void WriteWorksheet(const Worksheet::Impl& s, std::string_view src, const StringPool& pool,
                    const std::vector<uint32_t>& shared_index, std::optional<bool> tab_selected,
                    ByteBuffer& out) {
  // Room for all of it at once: unwritten room costs nothing, and the part is never moved.
  out.Reserve(EstimateWorksheetSize(s) + s.merged.size() * 8 + 4096);

  // Before the cell data: verbatim, with the dimension brought up to date.
  std::string head;
  if (s.dim_end > s.dim_begin && (s.modified || s.merges_modified)) {
    head.append(src, 0, s.dim_begin);
    std::optional<RangeRef> range;
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
      const auto& c = s.rows[i].cells;
      if (c.empty()) continue;
      const auto r = static_cast<int32_t>(i + 1);
      if (!range) {
        range = RangeRef{{r, c.front().column}, {r, c.back().column}};
      } else {
        range->first.column = std::min<int32_t>(range->first.column, c.front().column);
        range->last.column = std::max<int32_t>(range->last.column, c.back().column);
        range->last.row = r;
      }
    }
    head += range ? FormatRangeRef(*range) : "A1";
    head.append(src, s.dim_end, s.data_begin - s.dim_end);
  } else {
    head.append(src, 0, s.data_begin);
  }
  if (tab_selected) head = WithTabSelected(head, s.prefix, *tab_selected);
  out.Append(head);
  head = std::string();

  const std::string& p = s.prefix;
  const auto new_masters = NewSharedMasters(s);
  int32_t max_column = 0;
  for (const Row& row : s.rows)
    if (!row.cells.empty()) max_column = std::max<int32_t>(max_column, row.cells.back().column);
  const CellText text(p, max_column);
  const std::string row_open = "<" + p + "row r=\"";
  out.Append("<");
  out.Append(p);
  out.Append("sheetData>");
  std::string scratch;                   // the rare pieces written by the string helpers
  std::vector<std::string> style_attrs;  // " s=\"N\"" by style, made when first needed
  char digits[24];
  for (std::size_t i = 0; i < s.rows.size(); ++i) {
    const Row& row = s.rows[i];
    if (!row.exists && row.cells.empty()) continue;
    const auto r = static_cast<int32_t>(i + 1);
    bool has_new_master = false;
    if (!new_masters.empty()) {
      for (const Cell& c : row.cells)
        has_new_master = has_new_master || new_masters.count(Key({r, c.column})) != 0;
    }
    if (!row.dirty && row.raw_length != 0 && !has_new_master) {
      if (row.needs_ref) {
        out.Append(row_open);
        AppendUint(out, static_cast<uint64_t>(r));
        out.Append('"');
        out.Append(
            src.substr(row.raw_offset + 1 + p.size() + 3, row.raw_length - 1 - p.size() - 3));
      } else {
        out.Append(src.substr(row.raw_offset, row.raw_length));
      }
      continue;
    }
    const std::size_t row_start = out.size();
    const auto row_digits = std::string_view(
        digits, static_cast<std::size_t>(PutUint(digits, static_cast<uint64_t>(r)) - digits));
    out.Append(row_open);
    out.Append(row_digits);
    out.Append('"');
    const std::size_t bare = out.size();
    if (row.attr_length != 0) {
      scratch.clear();
      AppendRowAttributes(scratch, src.substr(row.attr_offset, row.attr_length));
      out.Append(scratch);
    }
    if (row.cells.empty()) {
      if (out.size() == bare) {
        out.Resize(row_start);  // a row with nothing left says nothing
      } else {
        out.Append("/>");
      }
      continue;
    }
    out.Append('>');
    for (const Cell& c : row.cells) {
      if (c.raw_length != 0) {
        const std::string_view raw(src.data() + c.raw_offset, c.raw_length);
        if (auto nm = new_masters.find(Key({r, c.column})); nm != new_masters.end()) {
          scratch.clear();
          AppendWithFormula(scratch, raw, p, nm->second);
          out.Append(scratch);
        } else if ((c.flags & Cell::kStyleChanged) != 0) {
          scratch.clear();
          AppendRestyled(scratch, raw, c.style, {r, c.column}, (c.flags & Cell::kRawNeedsRef) != 0);
          out.Append(scratch);
        } else if ((c.flags & Cell::kRawNeedsRef) != 0) {
          out.Append(raw.substr(0, 2 + p.size()));
          out.Append(" r=\"");
          out.Append(text.letters[c.column]);
          out.Append(row_digits);
          out.Append('"');
          out.Append(raw.substr(2 + p.size()));
        } else {
          out.Append(raw);
        }
        continue;
      }
      if (c.kind == CellKind::kError) {
        scratch.clear();
        AppendEscaped(scratch, pool.Get(c.v.text));
        out.Reserve(out.size() + scratch.size() + text.cell_room);
      }
      // Everything of one cell goes through one pointer with room made once.
      char* const start = out.Room(text.cell_room);
      char* q = Put(start, text.starts[c.column]);
      q = Put(q, row_digits);
      *q++ = '"';
      if (c.style != 0) {
        if (c.style >= style_attrs.size()) style_attrs.resize(c.style + std::size_t{1});
        std::string& attr = style_attrs[c.style];
        if (attr.empty()) attr = " s=\"" + std::to_string(c.style) + "\"";
        q = Put(q, attr);
      }
      switch (c.kind) {
        case CellKind::kEmpty:
          q = Put(q, "/>");
          out.Commit(static_cast<std::size_t>(q - start));
          continue;
        case CellKind::kNumber:
          q = Put(q, text.value_open);
          q = PutNumber(q, c.v.number);
          break;
        case CellKind::kText:
          q = Put(q, " t=\"s\"");
          q = Put(q, text.value_open);
          q = PutUint(q, shared_index[c.v.text]);
          break;
        case CellKind::kBool:
          q = Put(q, " t=\"b\"");
          q = Put(q, text.value_open);
          *q++ = c.v.number != 0 ? '1' : '0';
          break;
        case CellKind::kError:
          q = Put(q, " t=\"e\"");
          q = Put(q, text.value_open);
          q = Put(q, scratch);
          break;
      }
      q = Put(q, text.value_close);
      out.Commit(static_cast<std::size_t>(q - start));
    }
    out.Append(text.row_close);
  }
  out.Append("</");
  out.Append(p);
  out.Append("sheetData>");

  // After the cell data: verbatim, with the merged cells replaced when they changed.
  if (!s.merges_modified) {
    out.Append(src.substr(s.data_end));
    return;
  }
  std::size_t before = s.merge_begin, after = s.merge_end;
  if (s.merge_end <= s.merge_begin) before = after = MergeInsertPoint(src, s.data_end);
  out.Append(src.substr(s.data_end, before - s.data_end));
  PutMerges(out, s.merged, p);
  out.Append(src.substr(after));
}

std::string EmptyWorksheetXml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
         "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
         "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
         "footer=\"0.3\"/></worksheet>";
}

}  // namespace vardex::host::detail
