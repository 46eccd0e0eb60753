// Laying out one page of a sheet.
#include "print/page_content.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "host/cell_borders.hpp"
#include "host/number_format.hpp"
#include "host/page_setup.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"

namespace vardex::print {
namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kGridColor = 0xFFC0C0C0;
constexpr uint32_t kHeadingFill = 0xFFE8E8E8;
// Room between a cell's edge and its text, unscaled points.
constexpr double kPadding = 2;
// One level of a cell's indent, unscaled points (LibreOffice's measure; the level is not tied to
// the font).
constexpr double kIndentLevel = 10;

uint32_t ColorOf(const host::Color& color, uint32_t automatic) {
  return color.set ? (color.argb | 0xFF000000) : automatic;
}

// A line may break after a space, and before or after any ideograph or full-width sign.
bool BreaksAround(char32_t cp) { return cp >= 0x2E80; }

struct Cell {
  uint32_t style = 0;
  host::CellKind kind = host::CellKind::kEmpty;
  double number = 0;
  std::string text;  ///< as shown
  int merge = -1;    ///< index into the page's merges
};

struct PageMerge {
  host::RangeRef range;
  std::size_t row0, row1, col0, col1;  ///< grid indices covered on this page (inclusive)
  bool origin_here = false;            ///< the top-left cell is on the page
};

}  // namespace

double WidthUnit(const FontSpec& font, TextMeasure& measure) {
  const double widest = measure.DigitWidth(font);
  return widest > 0 ? widest : font.size * 0.55;
}

struct PageComposer::State {
  const SheetPlan& plan;
  TextMeasure& measure;
  const host::Worksheet& sheet;
  const host::Workbook& book;
  std::vector<host::RangeRef> merges;  ///< sorted by first row
  int32_t tallest_merge = 1;
  FontSpec default_font;

  // The page being laid out.
  std::vector<int32_t> rows, columns;  ///< sheet numbers, in page order
  std::vector<double> ys, xs;          ///< page positions of row and column starts, one extra
  std::vector<Cell> grid;
  std::vector<PageMerge> page_merges;
  PageContent page;

  State(const SheetPlan& p, TextMeasure& m)
      : plan(p), measure(m), sheet(*p.sheet), book(p.sheet->Book()) {
    merges = sheet.MergedRanges();
    std::sort(merges.begin(), merges.end(), [](const host::RangeRef& a, const host::RangeRef& b) {
      return a.first.row < b.first.row;
    });
    for (const host::RangeRef& merge : merges)
      tallest_merge = std::max<int32_t>(tallest_merge, static_cast<int32_t>(merge.RowCount()));
    const host::FontStyle& f = host::ResolvedStyle(book, 0).font;
    default_font = {f.name, f.size > 0 ? f.size : 11, false, false};
  }

  Cell& At(std::size_t r, std::size_t c) { return grid[r * columns.size() + c]; }

  std::optional<std::size_t> RowIndex(int32_t row) const {
    const auto it = std::find(rows.begin(), rows.end(), row);
    if (it == rows.end()) return std::nullopt;
    return static_cast<std::size_t>(it - rows.begin());
  }

  // Rows and columns of the page, with their positions on the paper.
  void Place(const PagePlace& place) {
    const PrintSettings& s = plan.settings;
    const double z = plan.zoom;
    rows.clear();
    columns.clear();
    if (place.title_rows)
      for (int32_t r = s.title_rows->first; r <= s.title_rows->last; ++r) rows.push_back(r);
    for (int32_t r = place.rows.first; r <= place.rows.last; ++r) rows.push_back(r);
    if (place.title_columns)
      for (int32_t c = s.title_columns->first; c <= s.title_columns->last; ++c)
        columns.push_back(c);
    for (int32_t c = place.columns.first; c <= place.columns.last; ++c) columns.push_back(c);

    double width = plan.HeadingWidth();
    for (int32_t c : columns) width += plan.ColumnWidth(c);
    double height = plan.HeadingHeight();
    for (int32_t r : rows) height += plan.RowHeight(r);
    double x = s.left;
    double y = s.top;
    if (s.center_horizontally)
      x += std::max(0.0, (s.paper_width - s.left - s.right - width * z) / 2);
    if (s.center_vertically)
      y += std::max(0.0, (s.paper_height - s.top - s.bottom - height * z) / 2);
    if (s.headings) Headings(x, y);
    x += plan.HeadingWidth() * z;
    y += plan.HeadingHeight() * z;
    xs.assign(1, x);
    for (int32_t c : columns) xs.push_back(xs.back() + plan.ColumnWidth(c) * z);
    ys.assign(1, y);
    for (int32_t r : rows) ys.push_back(ys.back() + plan.RowHeight(r) * z);
  }

  // Styles of every cell on the page, then the values of those that have one.
  void ReadCells() {
    grid.assign(rows.size() * columns.size(), Cell{});
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (std::size_t c = 0; c < columns.size(); ++c)
        At(r, c).style = host::ShownStyleIndex(sheet, {rows[r], columns[c]});
    const host::FormatOptions& formats = book.Formats();
    // Rows and columns come in at most two runs each (titles, then the page's own).
    auto runs = [](const std::vector<int32_t>& v) {
      std::vector<std::pair<std::size_t, std::size_t>> out;
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (i == 0 || v[i] != v[i - 1] + 1) out.push_back({i, i});
        out.back().second = i;
      }
      return out;
    };
    for (const auto& [r0, r1] : runs(rows)) {
      for (const auto& [c0, c1] : runs(columns)) {
        const host::RangeRef range{{rows[r0], columns[c0]}, {rows[r1], columns[c1]}};
        host::ForEachCell(sheet, range, [&](const host::CellView& v) {
          Cell& cell = At(r0 + static_cast<std::size_t>(v.ref.row - rows[r0]),
                          c0 + static_cast<std::size_t>(v.ref.column - columns[c0]));
          cell.style = v.style;
          cell.kind = v.kind;
          cell.number = v.number;
          const std::string& code = host::ResolvedStyle(book, v.style).number_format;
          switch (v.kind) {
            case host::CellKind::kNumber:
              cell.text = host::FormatNumber(v.number, code, formats);
              break;
            case host::CellKind::kText:
              cell.text = host::FormatTextValue(v.text, code);
              break;
            case host::CellKind::kBool:
              cell.text = v.number != 0 ? "TRUE" : "FALSE";
              break;
            case host::CellKind::kError:
              cell.text = std::string(v.text);
              break;
            case host::CellKind::kEmpty:
              break;
          }
        });
      }
    }
  }

  // Merged regions that reach the page, cut to the page's runs of rows and columns.
  void FindMerges() {
    page_merges.clear();
    if (merges.empty()) return;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      // A merge covering rows[r] starts at most tallest_merge rows above it.
      const int32_t row = rows[r];
      auto it = std::lower_bound(
          merges.begin(), merges.end(), row - tallest_merge + 1,
          [](const host::RangeRef& m, int32_t first) { return m.first.row < first; });
      for (; it != merges.end() && it->first.row <= row; ++it) {
        if (it->last.row < row) continue;
        for (std::size_t c = 0; c < columns.size(); ++c) {
          if (!it->Contains({row, columns[c]})) continue;
          Cell& cell = At(r, c);
          if (cell.merge >= 0) continue;
          // Grow this merge's piece on the page over the contiguous grid block.
          PageMerge pm{*it, r, r, c, c, false};
          while (pm.row1 + 1 < rows.size() && rows[pm.row1 + 1] == rows[pm.row1] + 1 &&
                 it->last.row >= rows[pm.row1 + 1])
            ++pm.row1;
          while (pm.col1 + 1 < columns.size() && columns[pm.col1 + 1] == columns[pm.col1] + 1 &&
                 it->last.column >= columns[pm.col1 + 1])
            ++pm.col1;
          pm.origin_here = rows[pm.row0] == it->first.row && columns[pm.col0] == it->first.column;
          const int id = static_cast<int>(page_merges.size());
          for (std::size_t rr = pm.row0; rr <= pm.row1; ++rr)
            for (std::size_t cc = pm.col0; cc <= pm.col1; ++cc) At(rr, cc).merge = id;
          page_merges.push_back(pm);
        }
      }
    }
  }

  Rect CellRect(std::size_t r0, std::size_t c0, std::size_t r1, std::size_t c1) const {
    return {xs[c0], ys[r0], xs[c1 + 1] - xs[c0], ys[r1 + 1] - ys[r0]};
  }

  void Fills() {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const Cell& cell = At(r, c);
        Rect rect = CellRect(r, c, r, c);
        uint32_t style = cell.style;
        if (cell.merge >= 0) {
          const PageMerge& m = page_merges[static_cast<std::size_t>(cell.merge)];
          if (r != m.row0 || c != m.col0) continue;
          rect = CellRect(m.row0, m.col0, m.row1, m.col1);
          style = host::ShownStyleIndex(sheet, m.range.first);
        }
        const host::Color& fill = host::ResolvedStyle(book, style).fill;
        if (fill.set) page.fills.push_back({rect, fill.argb | 0xFF000000});
      }
    }
  }

  bool SameMerge(std::size_t r0, std::size_t c0, std::size_t r1, std::size_t c1) {
    const int a = At(r0, c0).merge;
    return a >= 0 && a == At(r1, c1).merge;
  }

  const host::CellStyle& StyleAt(int32_t row, int32_t column) const {
    return host::ResolvedStyle(book, host::ShownStyleIndex(sheet, {row, column}));
  }

  // A run of one border line along a row or column boundary; runs that meet are joined.
  void AddLine(const host::BorderSide& side, double x1, double y1, double x2, double y2) {
    double width = 0.5;
    Dash dash = Dash::kSolid;
    switch (side.line) {
      case host::BorderLine::kNone:
        return;
      case host::BorderLine::kHair:
        width = 0.25;
        break;
      case host::BorderLine::kDotted:
        dash = Dash::kDotted;
        break;
      case host::BorderLine::kDashed:
        dash = Dash::kDashed;
        break;
      case host::BorderLine::kMedium:
        width = 1.0;
        break;
      case host::BorderLine::kThick:
        width = 1.5;
        break;
      case host::BorderLine::kDouble: {
        // Two thin lines with a gap between them.
        const bool horizontal = y1 == y2;
        const double d = 0.75;
        const host::BorderSide thin{host::BorderLine::kThin, side.color};
        if (horizontal) {
          AddLine(thin, x1, y1 - d, x2, y2 - d);
          AddLine(thin, x1, y1 + d, x2, y2 + d);
        } else {
          AddLine(thin, x1 - d, y1, x2 - d, y2);
          AddLine(thin, x1 + d, y1, x2 + d, y2);
        }
        return;
      }
      case host::BorderLine::kThin:
      case host::BorderLine::kOther:
        break;
    }
    const uint32_t color = ColorOf(side.color, kBlack);
    if (!page.lines.empty()) {
      LineItem& last = page.lines.back();
      if (last.width == width && last.dash == dash && last.argb == color && last.x2 == x1 &&
          last.y2 == y1 && ((y1 == y2 && last.y1 == last.y2) || (x1 == x2 && last.x1 == last.x2))) {
        last.x2 = x2;
        last.y2 = y2;
        return;
      }
    }
    page.lines.push_back({x1, y1, x2, y2, width, dash, color});
  }

  void Gridlines() {
    const host::BorderSide hair{host::BorderLine::kHair, {true, kGridColor}};
    for (std::size_t r = 0; r <= rows.size(); ++r)
      for (std::size_t c = 0; c < columns.size(); ++c)
        if (r == 0 || r == rows.size() || !SameMerge(r - 1, c, r, c))
          AddLine(hair, xs[c], ys[r], xs[c + 1], ys[r]);
    for (std::size_t c = 0; c <= columns.size(); ++c)
      for (std::size_t r = 0; r < rows.size(); ++r)
        if (c == 0 || c == columns.size() || !SameMerge(r, c - 1, r, c))
          AddLine(hair, xs[c], ys[r], xs[c], ys[r + 1]);
  }

  void Borders() {
    const std::size_t nr = rows.size();
    const std::size_t nc = columns.size();
    // Horizontal lines, boundary by boundary; at the page's edges the sheet's neighbour counts.
    for (std::size_t r = 0; r <= nr; ++r) {
      for (std::size_t c = 0; c < nc; ++c) {
        if (r > 0 && r < nr && SameMerge(r - 1, c, r, c)) continue;
        const host::BorderSide& above =
            r > 0 ? host::ResolvedStyle(book, At(r - 1, c).style).bottom
                  : (rows[0] > 1 ? StyleAt(rows[0] - 1, columns[c]).bottom : host::BorderSide{});
        const host::BorderSide& below =
            r < nr ? host::ResolvedStyle(book, At(r, c).style).top
                   : (rows[nr - 1] < host::kMaxRows ? StyleAt(rows[nr - 1] + 1, columns[c]).top
                                                    : host::BorderSide{});
        AddLine(host::StrongerBorder(above, below), xs[c], ys[r], xs[c + 1], ys[r]);
      }
    }
    for (std::size_t c = 0; c <= nc; ++c) {
      for (std::size_t r = 0; r < nr; ++r) {
        if (c > 0 && c < nc && SameMerge(r, c - 1, r, c)) continue;
        const host::BorderSide& left =
            c > 0 ? host::ResolvedStyle(book, At(r, c - 1).style).right
                  : (columns[0] > 1 ? StyleAt(rows[r], columns[0] - 1).right : host::BorderSide{});
        const host::BorderSide& right = c < nc ? host::ResolvedStyle(book, At(r, c).style).left
                                               : (columns[nc - 1] < host::kMaxColumns
                                                      ? StyleAt(rows[r], columns[nc - 1] + 1).left
                                                      : host::BorderSide{});
        AddLine(host::StrongerBorder(left, right), xs[c], ys[r], xs[c], ys[r + 1]);
      }
    }
  }

  FontSpec FontOf(const host::FontStyle& f, double zoom) const {
    return {f.name, (f.size > 0 ? f.size : 11) * zoom, f.bold, f.italic};
  }

  // Splits a text into lines no wider than `width`: at line breaks, after spaces, and around
  // ideographs; a word longer than the line is broken where it must.
  std::vector<std::string> Wrap(const FontSpec& font, const std::string& text, double width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t nl = std::min(text.find('\n', start), text.size());
      std::string_view para(text.data() + start, nl - start);
      while (!para.empty()) {
        if (measure.Width(font, para) <= width) {
          lines.emplace_back(para);
          para = {};
          break;
        }
        std::size_t fit = 0;         // longest prefix that fits
        std::size_t last_break = 0;  // last break opportunity within it
        std::size_t i = 0;
        char32_t previous = 0;
        while (i < para.size()) {
          const std::size_t at = i;
          const char32_t cp = NextCodePoint(para, i);
          if (at > 0 && (previous == U' ' || BreaksAround(cp) || BreaksAround(previous)))
            last_break = at;
          if (measure.Width(font, para.substr(0, i)) > width) break;
          fit = i;
          previous = cp;
        }
        std::size_t cut = last_break > 0 ? last_break : std::max<std::size_t>(fit, 1);
        if (fit == 0) {  // not even one character fits: it goes alone
          std::size_t one = 0;
          NextCodePoint(para, one);
          cut = one;
        }
        std::string_view line = para.substr(0, cut);
        while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
        lines.emplace_back(line);
        para.remove_prefix(cut);
        while (!para.empty() && para.front() == ' ') para.remove_prefix(1);
      }
      if (nl >= text.size()) break;
      if (para.empty() && nl == start) lines.emplace_back();
      start = nl + 1;
    }
    return lines;
  }

  bool IsFree(std::size_t r, std::size_t c) {
    const Cell& cell = At(r, c);
    return cell.merge < 0 && cell.text.empty();
  }

  void CellText(std::size_t r, std::size_t c) {
    const Cell& cell = At(r, c);
    if (cell.text.empty()) return;
    const double z = plan.zoom;
    Rect box = CellRect(r, c, r, c);
    bool merged = false;
    if (cell.merge >= 0) {
      const PageMerge& m = page_merges[static_cast<std::size_t>(cell.merge)];
      if (!m.origin_here || r != m.row0 || c != m.col0) return;
      box = CellRect(m.row0, m.col0, m.row1, m.col1);
      merged = true;
    }
    const host::CellStyle& style = host::ResolvedStyle(book, cell.style);
    const FontSpec font = FontOf(style.font, z);
    uint32_t color = ColorOf(style.font.color, kBlack);
    if (cell.kind == host::CellKind::kNumber) {
      if (const auto c2 = host::NumberFormatColor(cell.number, style.number_format))
        color = 0xFF000000 | *c2;
    }
    const double pad = kPadding * z;
    // Indented from the side the text is aligned to.
    const double indent = style.indent * kIndentLevel * z;
    const double inner = std::max(0.0, box.width - 2 * pad - indent);

    enum class H { kLeft, kCenter, kRight } h = H::kLeft;
    switch (style.horizontal) {
      case host::HorizontalAlignment::kCenter:
      case host::HorizontalAlignment::kCenterContinuous:
      case host::HorizontalAlignment::kDistributed:
        h = H::kCenter;
        break;
      case host::HorizontalAlignment::kRight:
        h = H::kRight;
        break;
      case host::HorizontalAlignment::kGeneral:
        h = cell.kind == host::CellKind::kNumber                                        ? H::kRight
            : cell.kind == host::CellKind::kBool || cell.kind == host::CellKind::kError ? H::kCenter
                                                                                        : H::kLeft;
        break;
      default:
        break;
    }

    std::vector<std::string> lines;
    if (style.wrap) {
      lines = Wrap(font, cell.text, inner);
    } else {
      std::string one = cell.text;
      std::erase(one, '\n');
      std::erase(one, '\r');
      lines.push_back(std::move(one));
    }
    Rect clip = box;
    if (!style.wrap && lines.size() == 1) {
      const double width = measure.Width(font, lines[0]);
      if (width > inner) {
        if (cell.kind == host::CellKind::kNumber) {
          // A number that does not fit shows as a row of signs, as the spreadsheet programs do.
          const double sign = std::max(measure.Width(font, "#"), 0.1);
          lines[0].assign(static_cast<std::size_t>(std::max(1.0, std::floor(inner / sign))), '#');
        } else if (!merged) {
          // Text runs over empty neighbours on its side(s).
          double need = width - inner;
          std::size_t left = c;
          std::size_t right = c;
          const bool go_left = h != H::kLeft;
          const bool go_right = h != H::kRight;
          while (need > 0 && ((go_right && right + 1 < columns.size() && IsFree(r, right + 1)) ||
                              (go_left && left > 0 && IsFree(r, left - 1)))) {
            if (go_right && right + 1 < columns.size() && IsFree(r, right + 1)) {
              ++right;
              need -= xs[right + 1] - xs[right];
            }
            if (go_left && left > 0 && IsFree(r, left - 1) && need > 0) {
              --left;
              need -= xs[left + 1] - xs[left];
            }
          }
          clip = CellRect(r, left, r, right);
          // The text keeps its alignment within the cell, running out of it.
        }
      }
    }

    const FontExtents ext = measure.Extents(font);
    const double line_height = ext.ascent + ext.descent;
    const double total = line_height * static_cast<double>(lines.size());
    double top = 0;
    switch (style.vertical) {
      case host::VerticalAlignment::kTop:
        top = box.y + pad / 2;
        break;
      case host::VerticalAlignment::kCenter:
      case host::VerticalAlignment::kJustify:
      case host::VerticalAlignment::kDistributed:
        top = box.y + (box.height - total) / 2;
        break;
      case host::VerticalAlignment::kBottom:
        top = box.Bottom() - pad / 2 - total;
        break;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.empty()) continue;
      const double width = measure.Width(font, line);
      double x = box.x + pad + indent;
      if (h == H::kCenter) x = box.x + (box.width - width) / 2;
      if (h == H::kRight) x = box.Right() - pad - indent - width;
      const double baseline = top + line_height * static_cast<double>(i) + ext.ascent;
      page.texts.push_back({font, color, x, baseline, line, clip});
      Decorate(style.font, font, color, x, baseline, width);
    }
  }

  void Decorate(const host::FontStyle& style, const FontSpec& font, uint32_t color, double x,
                double baseline, double width) {
    const double thickness = std::max(0.25, font.size / 18);
    if (style.underline)
      page.lines.push_back({x, baseline + font.size / 10, x + width, baseline + font.size / 10,
                            thickness, Dash::kSolid, color});
    if (style.strike)
      page.lines.push_back({x, baseline - font.size * 0.3, x + width, baseline - font.size * 0.3,
                            thickness, Dash::kSolid, color});
  }

  void Headings(double x, double y) {
    const double z = plan.zoom;
    const double hw = plan.HeadingWidth() * z;
    const double hh = plan.HeadingHeight() * z;
    FontSpec font = default_font;
    font.size *= z;
    const FontExtents ext = measure.Extents(font);
    const host::BorderSide line{host::BorderLine::kThin, {true, 0xFF808080}};
    auto label = [&](const Rect& r, const std::string& text) {
      page.fills.push_back({r, kHeadingFill});
      const double w = measure.Width(font, text);
      page.texts.push_back({font, kBlack, r.x + (r.width - w) / 2,
                            r.y + (r.height - ext.ascent - ext.descent) / 2 + ext.ascent, text, r});
      AddLine(line, r.x, r.Bottom(), r.Right(), r.Bottom());
      AddLine(line, r.Right(), r.y, r.Right(), r.Bottom());
    };
    double cx = x + hw;
    for (int32_t c : columns) {
      const double w = plan.ColumnWidth(c) * z;
      label({cx, y, w, hh}, host::ColumnName(c));
      cx += w;
    }
    double cy = y + hh;
    for (int32_t r : rows) {
      const double h = plan.RowHeight(r) * z;
      label({x, cy, hw, h}, std::to_string(r));
      cy += h;
    }
  }

  // A header or footer: sections left, centre and right, between the side margins; a header's
  // first line stands at the header margin from the top, a footer's last line at the footer
  // margin from the bottom.
  void HeaderFooter(const std::string& code, const PageFields& fields, bool header) {
    if (code.empty()) return;
    const HeaderFooterLine line = ExpandHeaderFooter(code, fields);
    const PrintSettings& s = plan.settings;
    struct Piece {
      FontSpec font;
      std::string text;
      double width;
      const HeaderFooterRun* run;
    };
    using Line = std::vector<Piece>;
    // Spreadsheet programs shrink (or grow) the header and footer with the sheet unless the
    // workbook says otherwise: a sheet fitted to the page width keeps its footer in proportion.
    const double zoom = s.scale_header_footer ? plan.zoom : 1;
    FontSpec base = default_font;
    base.size *= zoom;
    auto lines_of = [&](const std::vector<HeaderFooterRun>& runs) {
      std::vector<Line> out(1);
      for (const HeaderFooterRun& run : runs) {
        const FontSpec font{run.font_name.empty() ? base.family : run.font_name,
                            run.size > 0 ? run.size * zoom : base.size, run.bold, run.italic};
        std::size_t start = 0;
        for (;;) {
          const std::size_t nl = run.text.find('\n', start);
          std::string piece = run.text.substr(start, nl == std::string::npos ? nl : nl - start);
          if (!piece.empty()) out.back().push_back({font, piece, measure.Width(font, piece), &run});
          if (nl == std::string::npos) break;
          out.emplace_back();
          start = nl + 1;
        }
      }
      return out;
    };
    const double left = s.left;
    const double right = s.paper_width - s.right;
    auto place = [&](const std::vector<HeaderFooterRun>& runs, int where) {
      const std::vector<Line> lines = lines_of(runs);
      std::vector<FontExtents> extents;
      double total = 0;
      for (const Line& l : lines) {
        FontExtents e = measure.Extents(base);
        if (!l.empty()) e = {};
        for (const Piece& p : l) {
          const FontExtents pe = measure.Extents(p.font);
          e.ascent = std::max(e.ascent, pe.ascent);
          e.descent = std::max(e.descent, pe.descent);
        }
        extents.push_back(e);
        total += e.ascent + e.descent;
      }
      double y = header ? s.header : s.paper_height - s.footer - total;
      for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        double width = 0;
        for (const Piece& p : l) width += p.width;
        double x = where == 0 ? left : where == 1 ? (left + right - width) / 2 : right - width;
        const double baseline = y + extents[i].ascent;
        for (const Piece& p : l) {
          page.texts.push_back(
              {p.font, kBlack, x, baseline, p.text, {0, 0, s.paper_width, s.paper_height}});
          host::FontStyle decoration;
          decoration.underline = p.run->underline;
          decoration.strike = p.run->strike;
          Decorate(decoration, p.font, kBlack, x, baseline, p.width);
          x += p.width;
        }
        y += extents[i].ascent + extents[i].descent;
      }
    };
    place(line.left, 0);
    place(line.center, 1);
    place(line.right, 2);
  }
};

PageComposer::PageComposer(const SheetPlan& plan, TextMeasure& measure)
    : state_(std::make_unique<State>(plan, measure)) {}

PageComposer::~PageComposer() = default;

PageContent PageComposer::Compose(std::size_t index, const PageFields& fields) {
  State& s = *state_;
  const PrintSettings& settings = s.plan.settings;
  s.page = PageContent{};
  s.page.width = settings.paper_width;
  s.page.height = settings.paper_height;
  const PagePlace place = s.plan.Page(index);
  s.Place(place);
  if (!s.rows.empty() && !s.columns.empty()) {
    s.ReadCells();
    s.FindMerges();
    s.Fills();
    if (settings.gridlines) s.Gridlines();
    s.Borders();
    for (std::size_t r = 0; r < s.rows.size(); ++r)
      for (std::size_t c = 0; c < s.columns.size(); ++c) s.CellText(r, c);
  }
  const bool first = index == 0 && settings.different_first;
  const bool even = settings.different_odd_even && fields.page % 2 == 0;
  s.HeaderFooter(first  ? settings.first_header
                 : even ? settings.even_header
                        : settings.odd_header,
                 fields, true);
  s.HeaderFooter(first  ? settings.first_footer
                 : even ? settings.even_footer
                        : settings.odd_footer,
                 fields, false);
  return std::move(s.page);
}

void DrawPage(const PageContent& page, Canvas& canvas) {
  canvas.BeginPage(page.width, page.height);
  for (const FillItem& f : page.fills) canvas.FillRect(f.rect, f.argb);
  for (const LineItem& l : page.lines) canvas.Line(l.x1, l.y1, l.x2, l.y2, l.width, l.dash, l.argb);
  for (const TextItem& t : page.texts) canvas.Text(t.font, t.argb, t.x, t.y, t.text, t.clip);
  canvas.EndPage();
}

}  // namespace vardex::print
