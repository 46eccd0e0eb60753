// Read access to styles and layout for the desktop view, and adding number-format styles.
#include "host/sheet_layout.hpp"

#include <algorithm>

#include "host/engine_text.hpp"
#include "host/workbook_impl.hpp"

namespace vardex::host {

const CellStyle& ResolvedStyle(const Workbook& book, uint32_t style_index) {
  const auto& xfs = book.impl().styles.xfs;
  return style_index < xfs.size() ? xfs[style_index] : xfs.front();
}

std::size_t StyleCount(const Workbook& book) { return book.impl().styles.xfs.size(); }

const SheetLayout& Layout(const Worksheet& sheet) { return sheet.impl().layout; }

uint32_t ShownStyle(const Worksheet& sheet, CellRef cell) {
  const Worksheet::Impl& s = sheet.impl();
  if (const detail::Cell* own = s.FindCell(cell)) return own->style;
  return s.DefaultStyle(cell);
}

double ColumnWidth(const Worksheet& sheet, int32_t column) {
  const SheetLayout& lay = sheet.impl().layout;
  auto it = std::upper_bound(lay.columns.begin(), lay.columns.end(), column,
                             [](int32_t c, const ColumnInfo& info) { return c < info.first; });
  if (it != lay.columns.begin()) {
    --it;
    if (column <= it->last) {
      if (it->hidden) return 0;
      if (it->width > 0) return it->width;
    }
  }
  return lay.default_column_width;
}

double RowHeight(const Worksheet& sheet, int32_t row) {
  const auto& s = sheet.impl();
  if (row >= 1 && static_cast<std::size_t>(row) <= s.rows.size()) {
    const detail::Row& r = s.rows[static_cast<std::size_t>(row - 1)];
    if (r.hidden) return 0;
    if (r.height > 0) return r.height;
  }
  return s.layout.default_row_height;
}

void ForEachCell(const Worksheet& sheet, const RangeRef& range,
                 const std::function<void(const CellView&)>& visit) {
  const auto& s = sheet.impl();
  const auto& pool = s.book->impl().strings;
  const auto last =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(range.last.row, 0)), s.rows.size());
  for (auto r = static_cast<std::size_t>(std::max(range.first.row, 1)); r <= last; ++r) {
    const auto& cells = s.rows[r - 1].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), range.first.column,
                               [](const detail::Cell& c, int32_t col) { return c.column < col; });
    for (; it != cells.end() && it->column <= range.last.column; ++it) {
      CellView v;
      v.ref = {static_cast<int32_t>(r), it->column};
      v.style = it->style;
      v.kind = it->kind;
      v.has_formula = (it->flags & detail::Cell::kHasFormula) != 0;
      if (it->kind == CellKind::kNumber || it->kind == CellKind::kBool) v.number = it->v.number;
      if (it->kind == CellKind::kText || it->kind == CellKind::kError)
        v.text = pool.Get(it->v.text);
      visit(v);
    }
  }
}

uint32_t AddNumberFormatStyle(Workbook& book, std::string_view code, uint32_t base_style) {
  auto& styles = book.impl().styles;
  if (base_style >= styles.xfs.size())
    throw HostError(kErrCannotOpen, "样式编号 " + std::to_string(base_style) + " 不存在");
  // The same format on the same base already exists: reuse it.
  for (std::size_t i = styles.original_xfs; i < styles.xfs.size(); ++i) {
    const auto& [base, id] = styles.added_xfs[i - styles.original_xfs];
    if (base == base_style && styles.xfs[i].number_format == code) return static_cast<uint32_t>(i);
  }
  uint32_t id = 0;
  bool found = false;
  for (const auto& [fid, fcode] : styles.custom_formats) {
    if (fcode == code) {
      id = fid;
      found = true;
      break;
    }
  }
  for (uint32_t b = 0; !found && b < 164; ++b) {
    if (BuiltinNumberFormat(b) == code && !styles.custom_formats.count(b)) {
      id = b;
      found = true;
    }
  }
  if (!found) {
    id = 164;
    while (styles.custom_formats.count(id)) ++id;
    styles.custom_formats[id] = std::string(code);
    styles.added_formats.emplace_back(id, std::string(code));
  }
  CellStyle st = styles.xfs[base_style];
  st.number_format_id = id;
  st.number_format = std::string(code);
  styles.xfs.push_back(std::move(st));
  styles.added_xfs.emplace_back(base_style, id);
  book.impl().saved = false;
  return static_cast<uint32_t>(styles.xfs.size() - 1);
}

}  // namespace vardex::host
