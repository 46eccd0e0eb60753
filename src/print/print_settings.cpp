// Judging a sheet's page setup.
#include "print/print_settings.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "print/print_texts.hpp"

namespace vardex::print {
namespace {

constexpr double kPointsPerInch = 72;
constexpr double kPointsPerMm = 72 / 25.4;

struct Paper {
  uint32_t code;
  double width_mm;
  double height_mm;
};

// The paper size codes in common use; the rest print on A4.
constexpr Paper kPapers[] = {{1, 215.9, 279.4},
                             {2, 215.9, 279.4},
                             {3, 279.4, 431.8},
                             {4, 431.8, 279.4},
                             {5, 215.9, 355.6},
                             {6, 139.7, 215.9},
                             {7, 184.15, 266.7},
                             {8, 297, 420},
                             {9, 210, 297},
                             {10, 210, 297},
                             {11, 148, 210},
                             {12, 257, 364},
                             {13, 182, 257},
                             {14, 215.9, 330.2},
                             {66, 420, 594},
                             {70, 105, 148},
                             {119, 270, 390} /* 16K */,
                             {120, 195, 270} /* 32K */};

// "210mm", "21cm", "8.5in", "595pt" or a bare number of millimetres; nothing when unreadable
// or not positive.
std::optional<double> Length(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(value) || value <= 0) return std::nullopt;
  const std::string_view unit(end);
  if (unit.empty() || unit == "mm") return value * kPointsPerMm;
  if (unit == "cm") return value * 10 * kPointsPerMm;
  if (unit == "in") return value * kPointsPerInch;
  if (unit == "pt") return value;
  return std::nullopt;
}

int ClampedInt(double value, int low, int high) {
  if (!std::isfinite(value)) return low;
  return static_cast<int>(
      std::lround(std::clamp(value, static_cast<double>(low), static_cast<double>(high))));
}

// A1-style reference parts: "$A$1", "A1", "$A", "$1".
struct Part {
  std::optional<int32_t> row;
  std::optional<int32_t> column;
};

std::optional<Part> ParsePart(std::string_view s) {
  Part part;
  std::size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  int64_t column = 0;
  std::size_t letters = 0;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && letters < 4) {
    column = column * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
    ++i;
    ++letters;
  }
  if (letters > 0) {
    if (column > host::kMaxColumns) return std::nullopt;
    part.column = static_cast<int32_t>(column);
  }
  if (i < s.size() && s[i] == '$') ++i;
  int64_t row = 0;
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && digits < 8) {
    row = row * 10 + (s[i] - '0');
    ++i;
    ++digits;
  }
  if (digits > 0) {
    if (row < 1 || row > host::kMaxRows) return std::nullopt;
    part.row = static_cast<int32_t>(row);
  }
  if (i != s.size() || (letters == 0 && digits == 0)) return std::nullopt;
  return part;
}

std::optional<host::RangeRef> ParseRange(std::string_view s) {
  const std::size_t colon = s.find(':');
  const auto a = ParsePart(s.substr(0, colon));
  const auto b = colon == std::string_view::npos ? a : ParsePart(s.substr(colon + 1));
  if (!a || !b) return std::nullopt;
  // Both corners whole rows, whole columns, or cells.
  if (a->row.has_value() != b->row.has_value() || a->column.has_value() != b->column.has_value())
    return std::nullopt;
  host::RangeRef r;
  r.first = {a->row.value_or(1), a->column.value_or(1)};
  r.last = {b->row.value_or(host::kMaxRows), b->column.value_or(host::kMaxColumns)};
  if (r.first.row > r.last.row) std::swap(r.first.row, r.last.row);
  if (r.first.column > r.last.column) std::swap(r.first.column, r.last.column);
  return r;
}

}  // namespace

std::optional<std::pair<double, double>> PaperSize(uint32_t code) {
  for (const Paper& p : kPapers) {
    if (p.code == code) return std::pair{p.width_mm * kPointsPerMm, p.height_mm * kPointsPerMm};
  }
  return std::nullopt;
}

std::optional<std::vector<host::RangeRef>> ParseAreaReference(std::string_view text,
                                                              std::string_view sheet) {
  std::vector<host::RangeRef> ranges;
  std::size_t i = 0;
  while (i < text.size()) {
    // The sheet name, quoted ('It''s') or bare, up to the '!'.
    std::string name;
    if (text[i] == '\'') {
      ++i;
      for (; i < text.size(); ++i) {
        if (text[i] == '\'') {
          if (i + 1 < text.size() && text[i + 1] == '\'') {
            name += '\'';
            ++i;
            continue;
          }
          break;
        }
        name += text[i];
      }
      if (i >= text.size()) return std::nullopt;
      ++i;
    } else {
      const std::size_t bang = text.find('!', i);
      if (bang == std::string_view::npos) return std::nullopt;
      name = std::string(text.substr(i, bang - i));
      i = bang;
    }
    if (i >= text.size() || text[i] != '!' || name != sheet) return std::nullopt;
    ++i;
    const std::size_t comma = std::min(text.find(',', i), text.size());
    const auto range = ParseRange(text.substr(i, comma - i));
    if (!range) return std::nullopt;
    ranges.push_back(*range);
    i = comma < text.size() ? comma + 1 : comma;
  }
  if (ranges.empty()) return std::nullopt;
  return ranges;
}

PrintSettings ResolvePrintSettings(std::string_view sheet, const host::PageSetup& setup) {
  PrintSettings s;
  // Paper: explicit dimensions first, then the code.
  double width = 210 * kPointsPerMm;
  double height = 297 * kPointsPerMm;
  if (!setup.paper_width.empty() || !setup.paper_height.empty()) {
    const auto w = Length(setup.paper_width);
    const auto h = Length(setup.paper_height);
    constexpr double kLargest = 10000 * kPointsPerMm;
    if (!w || *w > kLargest)
      throw PrintError(text::BadSetting(sheet, "纸张宽度", setup.paper_width));
    if (!h || *h > kLargest)
      throw PrintError(text::BadSetting(sheet, "纸张高度", setup.paper_height));
    width = *w;
    height = *h;
  } else if (const auto paper = PaperSize(setup.paper_size)) {
    width = paper->first;
    height = paper->second;
  }
  if (setup.landscape) std::swap(width, height);
  s.paper_width = width;
  s.paper_height = height;

  const std::pair<const char*, double> margins[] = {{"左", setup.left},     {"右", setup.right},
                                                    {"上", setup.top},      {"下", setup.bottom},
                                                    {"页眉", setup.header}, {"页脚", setup.footer}};
  for (const auto& [side, value] : margins) {
    if (!std::isfinite(value) || value < 0)
      throw PrintError(text::NegativeMargin(sheet, side, value));
  }
  s.left = setup.left * kPointsPerInch;
  s.right = setup.right * kPointsPerInch;
  s.top = setup.top * kPointsPerInch;
  s.bottom = setup.bottom * kPointsPerInch;
  s.header = setup.header * kPointsPerInch;
  s.footer = setup.footer * kPointsPerInch;
  // A page needs at least an inch of room for cells either way.
  if (s.left + s.right > s.paper_width - kPointsPerInch)
    throw PrintError(text::MarginsTooWide(sheet, "左右", setup.left + setup.right));
  if (s.top + s.bottom > s.paper_height - kPointsPerInch)
    throw PrintError(text::MarginsTooWide(sheet, "上下", setup.top + setup.bottom));

  s.fit = setup.fit_to_page;
  s.fit_width = ClampedInt(setup.fit_to_width, 0, 32767);
  s.fit_height = ClampedInt(setup.fit_to_height, 0, 32767);
  s.scale = ClampedInt(setup.scale, 10, 400);
  s.down_then_over = setup.down_then_over;
  s.center_horizontally = setup.center_horizontally;
  s.center_vertically = setup.center_vertically;
  s.gridlines = setup.gridlines;
  s.headings = setup.headings;
  s.first_page_number =
      setup.use_first_page_number ? ClampedInt(setup.first_page_number, -32768, 32767) : 1;

  if (!setup.print_area.empty()) {
    const auto areas = ParseAreaReference(setup.print_area, sheet);
    if (!areas) throw PrintError(text::BadSetting(sheet, "打印区域", setup.print_area));
    s.areas = *areas;
  }
  if (!setup.print_titles.empty()) {
    const auto titles = ParseAreaReference(setup.print_titles, sheet);
    if (!titles || titles->size() > 2)
      throw PrintError(text::BadSetting(sheet, "打印标题", setup.print_titles));
    for (const host::RangeRef& r : *titles) {
      const bool whole_rows = r.first.column == 1 && r.last.column == host::kMaxColumns;
      const bool whole_columns = r.first.row == 1 && r.last.row == host::kMaxRows;
      if (whole_rows && !s.title_rows) {
        s.title_rows = Span{r.first.row, r.last.row};
      } else if (whole_columns && !s.title_columns) {
        s.title_columns = Span{r.first.column, r.last.column};
      } else {
        throw PrintError(text::BadSetting(sheet, "打印标题", setup.print_titles));
      }
    }
  }
  s.row_breaks = setup.row_breaks;
  s.column_breaks = setup.column_breaks;
  s.odd_header = setup.odd_header;
  s.odd_footer = setup.odd_footer;
  s.even_header = setup.even_header;
  s.even_footer = setup.even_footer;
  s.first_header = setup.first_header;
  s.first_footer = setup.first_footer;
  s.different_odd_even = setup.different_odd_even;
  s.different_first = setup.different_first;
  s.scale_header_footer = setup.scale_header_footer;
  return s;
}

}  // namespace vardex::print
