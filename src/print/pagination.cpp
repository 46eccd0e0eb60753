// Paginating a sheet.
#include "print/pagination.hpp"

#include <algorithm>
#include <cmath>

#include "host/page_setup.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"

namespace vardex::print {
namespace {

// Lengths are compared with a little slack, so that rows that exactly fill a page stay on it
// whatever the rounding of the scale.
constexpr double kSlack = 1e-6;

// A run of this many rows or more of one format below a column's last value is the column's (or
// the template's) formatting rather than cells meant to print: the printed range stops before
// it, as spreadsheet programs stop it, or a column formatted down to the end of the sheet would
// print to the end of the sheet.
constexpr int32_t kFormatRunStop = 84;

// The last row of `column` below its last value `last_value` whose format shows, before a long
// run of one format; 0 when there is none. Rows past `last_row` show the column's own format,
// down to the end of the sheet.
template <typename Shows>
int32_t LastShownFormat(const host::Worksheet& sheet, int32_t column, int32_t last_value,
                        int32_t last_row, Shows shows) {
  auto style_at = [&](int32_t row) { return host::ShownStyleIndex(sheet, {row, column}); };
  const uint32_t beyond = style_at(host::kMaxRows);
  int32_t found = 0;
  for (int32_t row = last_value + 1; row <= last_row;) {
    const uint32_t style = style_at(row);
    int32_t end = row;
    while (end < last_row && style_at(end + 1) == style) ++end;
    if ((end == last_row && style == beyond) || end - row + 1 >= kFormatRunStop) break;
    if (shows(style)) found = end;
    row = end + 1;
  }
  return found;
}

bool IsBreak(const std::vector<int32_t>& breaks, int32_t after) {
  return std::binary_search(breaks.begin(), breaks.end(), after);
}

// Splits `first`..`last` into bands no longer than `room`, less `titles` for a band that starts
// after the titles; a band always takes at least one row or column.
template <typename Size>
std::vector<Span> Bands(int32_t first, int32_t last, double room, double titles,
                        int32_t titles_last, const std::vector<int32_t>& breaks, Size size) {
  std::vector<Span> bands;
  int32_t at = first;
  while (at <= last) {
    const int32_t start = at;
    const double limit = room - (start > titles_last ? titles : 0);
    double used = 0;
    while (at <= last) {
      const double s = size(at);
      if (at > start && used + s > limit + kSlack) break;
      used += s;
      ++at;
      if (IsBreak(breaks, at - 1)) break;
    }
    bands.push_back({start, at - 1});
  }
  return bands;
}

double SpanSize(std::optional<Span> span, auto size) {
  double total = 0;
  if (span) {
    for (int32_t i = span->first; i <= span->last; ++i) total += size(i);
  }
  return total;
}

struct Room {
  double width;
  double height;
};

Room RoomAt(const SheetPlan& plan, double zoom) {
  const PrintSettings& s = plan.settings;
  return {(s.paper_width - s.left - s.right) / zoom - plan.HeadingWidth(),
          (s.paper_height - s.top - s.bottom) / zoom - plan.HeadingHeight()};
}

std::vector<Span> ColumnBands(const SheetPlan& plan, const host::RangeRef& area, double zoom) {
  const PrintSettings& s = plan.settings;
  auto width = [&plan](int32_t c) { return plan.ColumnWidth(c); };
  return Bands(area.first.column, area.last.column, RoomAt(plan, zoom).width,
               SpanSize(s.title_columns, width), s.title_columns ? s.title_columns->last : 0,
               s.column_breaks, width);
}

std::vector<Span> RowBands(const SheetPlan& plan, const host::RangeRef& area, double zoom) {
  const PrintSettings& s = plan.settings;
  auto height = [&plan](int32_t r) { return plan.RowHeight(r); };
  return Bands(area.first.row, area.last.row, RoomAt(plan, zoom).height,
               SpanSize(s.title_rows, height), s.title_rows ? s.title_rows->last : 0, s.row_breaks,
               height);
}

bool Fits(const SheetPlan& plan, double zoom) {
  const PrintSettings& s = plan.settings;
  std::size_t across = 0;
  std::size_t down = 0;
  for (const AreaPages& area : plan.areas) {
    if (s.fit_width > 0) across = std::max(across, ColumnBands(plan, area.range, zoom).size());
    if (s.fit_height > 0) down += RowBands(plan, area.range, zoom).size();
  }
  return (s.fit_width == 0 || across <= static_cast<std::size_t>(s.fit_width)) &&
         (s.fit_height == 0 || down <= static_cast<std::size_t>(s.fit_height));
}

// Whole percent, as the spreadsheet programs scale: the largest from 100 down to 10 that fits.
double FitZoom(const SheetPlan& plan) {
  int low = 10;
  int high = 100;
  if (Fits(plan, 1.0)) return 1.0;
  // Page counts only grow as the scale grows, so the largest fitting scale is found by halving.
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    if (Fits(plan, mid / 100.0)) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low / 100.0;
}

}  // namespace

std::size_t SheetPlan::PageCount() const noexcept {
  std::size_t count = 0;
  for (const AreaPages& area : areas) count += area.row_bands.size() * area.column_bands.size();
  return count;
}

PagePlace SheetPlan::Page(std::size_t index) const {
  for (std::size_t a = 0; a < areas.size(); ++a) {
    const AreaPages& area = areas[a];
    const std::size_t rows = area.row_bands.size();
    const std::size_t columns = area.column_bands.size();
    if (index >= rows * columns) {
      index -= rows * columns;
      continue;
    }
    const std::size_t r = settings.down_then_over ? index % rows : index / columns;
    const std::size_t c = settings.down_then_over ? index / rows : index % columns;
    PagePlace place{a, area.row_bands[r], area.column_bands[c], false, false};
    place.title_rows = settings.title_rows && place.rows.first > settings.title_rows->last;
    place.title_columns =
        settings.title_columns && place.columns.first > settings.title_columns->last;
    return place;
  }
  return {};
}

double SheetPlan::ColumnWidth(int32_t column) const {
  return host::ColumnWidth(*sheet, column) * unit;
}

double SheetPlan::RowHeight(int32_t row) const { return host::RowHeight(*sheet, row); }

double SheetPlan::HeadingWidth() const {
  if (!settings.headings) return 0;
  int32_t last = 1;
  for (const AreaPages& area : areas) last = std::max(last, area.range.last.row);
  const auto digits = static_cast<double>(std::to_string(last).size());
  return unit * (digits + 1);
}

double SheetPlan::HeadingHeight() const {
  return settings.headings ? host::Layout(*sheet).default_row_height : 0;
}

std::optional<host::RangeRef> PrintedRange(const host::Worksheet& sheet) {
  const std::optional<host::RangeRef> used = sheet.UsedRange();
  if (!used) return std::nullopt;
  const host::Workbook& book = sheet.Book();
  std::vector<int8_t> visible(host::StyleCount(book), -1);
  auto shows = [&](uint32_t style) {
    if (style >= visible.size()) style = 0;
    int8_t& known = visible[style];
    if (known < 0) {
      const host::CellStyle& st = host::ResolvedStyle(book, style);
      const auto none = host::BorderLine::kNone;
      known = st.fill.set || st.left.line != none || st.right.line != none || st.top.line != none ||
              st.bottom.line != none;
    }
    return known == 1;
  };
  // The last value of each column, then the formats shown below it.
  std::vector<int32_t> last_value(static_cast<std::size_t>(used->last.column) + 1, 0);
  host::ForEachCell(sheet, *used, [&](const host::CellView& cell) {
    if (cell.kind != host::CellKind::kEmpty)
      last_value[static_cast<std::size_t>(cell.ref.column)] = cell.ref.row;
  });
  int32_t last_row = 0;
  int32_t last_column = 0;
  for (int32_t column = used->first.column; column <= used->last.column; ++column) {
    const int32_t value = last_value[static_cast<std::size_t>(column)];
    const int32_t format = LastShownFormat(sheet, column, value, used->last.row, shows);
    if (value == 0 && format == 0) continue;
    last_row = std::max({last_row, value, format});
    last_column = column;
  }
  if (last_row == 0) return std::nullopt;
  // A merged region that starts inside prints whole.
  for (const host::RangeRef& merge : sheet.MergedRanges()) {
    if (merge.first.row <= last_row && merge.first.column <= last_column) {
      last_row = std::max(last_row, merge.last.row);
      last_column = std::max(last_column, merge.last.column);
    }
  }
  return host::RangeRef{{1, 1}, {last_row, last_column}};
}

SheetPlan PlanSheet(const host::Worksheet& sheet, const PrintSettings& settings, double unit) {
  SheetPlan plan;
  plan.sheet = &sheet;
  plan.settings = settings;
  plan.unit = unit;
  if (!settings.areas.empty()) {
    for (const host::RangeRef& area : settings.areas) plan.areas.push_back({area, {}, {}});
  } else if (const auto printed = PrintedRange(sheet)) {
    plan.areas.push_back({*printed, {}, {}});
  }
  plan.zoom = settings.fit ? FitZoom(plan) : settings.scale / 100.0;
  for (AreaPages& area : plan.areas) {
    area.row_bands = RowBands(plan, area.range, plan.zoom);
    area.column_bands = ColumnBands(plan, area.range, plan.zoom);
  }
  return plan;
}

}  // namespace vardex::print
