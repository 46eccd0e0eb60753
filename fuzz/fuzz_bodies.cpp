// The fuzz target bodies: each turns one input into calls on the core and checks what the core
// promises about the result, beyond not crashing.
#include "fuzz_bodies.hpp"

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/host_error.hpp"
#include "host/number_format.hpp"
#include "host/workbook.hpp"
#include "host/workbook_impl.hpp"
#include "host/xlsx_package.hpp"
#include "levelling/levelling_check.hpp"
#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "plane/plane_check.hpp"
#include "project/calculation_run.hpp"
#include "settings/survey_settings.hpp"

namespace vardex::fuzz {
namespace {

using host::CellRef;
using host::CellValue;
using host::HostError;
using host::RangeRef;
using host::Workbook;

[[noreturn]] void Finding(const std::string& what) { throw FuzzFinding(what); }

// --- package ---------------------------------------------------------------------------------

// Reading every cell of a sheet whose used range is A1:XFD1048576 would take minutes; a fixed
// budget keeps each input fast while still touching the cells that exist near the corners.
constexpr std::size_t kCellBudget = 20000;

struct Seen {
  std::size_t sheet;
  CellRef cell;
  CellValue value;
};

std::vector<Seen> VisitCells(const Workbook& book) {
  std::vector<Seen> seen;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const host::Worksheet& sheet = book.SheetAt(i);
    (void)sheet.MergedRanges();
    const std::optional<RangeRef> used = sheet.UsedRange();
    if (!used) continue;
    if (used->first.row < 1 || used->first.column < 1 || used->last.row > host::kMaxRows ||
        used->last.column > host::kMaxColumns || used->first.row > used->last.row ||
        used->first.column > used->last.column) {
      Finding("used range outside the sheet: " + host::FormatRangeRef(*used));
    }
    for (int32_t r = used->first.row; r <= used->last.row && seen.size() < kCellBudget; ++r) {
      for (int32_t c = used->first.column; c <= used->last.column && seen.size() < kCellBudget;
           ++c) {
        const CellRef cell{r, c};
        CellValue value = sheet.Value(cell);
        (void)sheet.Text(cell);
        (void)sheet.NumberFormatCode(cell);
        seen.push_back(Seen{i, cell, std::move(value)});
      }
    }
  }
  return seen;
}

bool SameValue(const CellValue& a, const CellValue& b) {
  if (a.index() != b.index()) return false;
  if (const double* x = std::get_if<double>(&a)) {
    const double y = std::get<double>(b);
    return std::memcmp(x, &y, sizeof y) == 0;
  }
  return a == b;
}

std::string Describe(const CellValue& v) {
  switch (v.index()) {
    case 0:
      return "(empty)";
    case 1: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", std::get<double>(v));
      return buf;
    }
    case 2:
      return "text \"" + std::get<std::string>(v) + "\"";
    case 3:
      return std::get<bool>(v) ? "TRUE" : "FALSE";
    default:
      return "error " + std::get<host::ErrorValue>(v).code;
  }
}

// --- stored zip for PackageParts --------------------------------------------------------------

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

struct Part {
  std::string name;
  std::string_view data;
};

std::string StoredZip(const std::vector<Part>& parts) {
  std::string out;
  std::string directory;
  for (const Part& p : parts) {
    const auto offset = static_cast<uint32_t>(out.size());
    const uint32_t crc = libdeflate_crc32(0, p.data.data(), p.data.size());
    const auto size = static_cast<uint32_t>(p.data.size());
    const auto name_size = static_cast<uint32_t>(p.name.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, 0x0800);      // names are UTF-8
    Put16(out, 0);           // stored
    Put32(out, 0x58210000);  // 2024-01-01 00:00
    Put32(out, crc);
    Put32(out, size);
    Put32(out, size);
    Put16(out, name_size);
    Put16(out, 0);
    out += p.name;
    out += p.data;
    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0x0800);
    Put16(directory, 0);
    Put32(directory, 0x58210000);
    Put32(directory, crc);
    Put32(directory, size);
    Put32(directory, size);
    Put16(directory, name_size);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += p.name;
  }
  const auto directory_offset = static_cast<uint32_t>(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(parts.size()));
  Put16(out, static_cast<uint32_t>(parts.size()));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, directory_offset);
  Put16(out, 0);
  return out;
}

// --- calculation -----------------------------------------------------------------------------

std::string& TemplateBytes() {
  static std::string bytes;
  return bytes;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Typing a synthetic road lets mutations reach long point lists and the repeated template rows
// without the input having to spell out every row.
void TypeSyntheticPoints(host::Worksheet& sheet, int32_t first_row, int32_t count, double step) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t row = first_row + i;
    sheet.SetText({row, 1}, "P" + std::to_string(i + 1));
    sheet.SetValue({row, 2}, static_cast<double>(i % 3 - 1) * 5.0);
    sheet.SetValue({row, 3}, 3412600.0 + step * i);
    sheet.SetValue({row, 4}, 512900.0 + step * 0.5 * i);
    sheet.SetValue({row, 5}, 108.0 + std::sin(i * 0.1) * step);
  }
}

}  // namespace

void PackageBytes(std::string_view input) {
  std::optional<Workbook> book;
  try {
    book.emplace(Workbook::OpenBytes(input, "fuzz.xlsx"));
  } catch (const HostError&) {
    return;  // refused with a message: what the engine is supposed to do
  }
  const std::vector<Seen> before = VisitCells(*book);

  std::string saved;
  try {
    saved =
        host::detail::BuildPackage(*book, host::detail::ZipOptions{1, 1}, book->impl().main_type);
  } catch (const HostError&) {
    return;  // a save refused with a message leaves the file alone
  }
  std::optional<Workbook> again;
  try {
    again.emplace(Workbook::OpenBytes(saved, "fuzz.xlsx"));
  } catch (const HostError& e) {
    Finding(std::string("a package the engine wrote does not open again: ") + e.what());
  }
  if (again->SheetCount() != book->SheetCount()) Finding("sheet count changed by a save");
  for (std::size_t i = 0; i < book->SheetCount(); ++i) {
    if (again->SheetAt(i).Name() != book->SheetAt(i).Name())
      Finding("sheet name changed by a save: " + book->SheetAt(i).Name());
  }
  for (const Seen& s : before) {
    const CellValue now = again->SheetAt(s.sheet).Value(s.cell);
    if (!SameValue(now, s.value)) {
      Finding("value of " + book->SheetAt(s.sheet).Name() + "!" + host::FormatCellRef(s.cell) +
              " changed by a save: " + Describe(s.value) + " became " + Describe(now));
    }
  }
}

void PackageParts(std::string_view input) {
  std::vector<Part> parts;
  // "--- name" at the start of the input or of a line opens the next part.
  std::size_t pos = input.starts_with("--- ") ? 0 : input.find("\n--- ");
  if (pos == std::string_view::npos) return;
  while (pos != std::string_view::npos && parts.size() < 64) {
    if (input[pos] == '\n') ++pos;
    const std::size_t name_end = input.find('\n', pos);
    const std::string_view name = input.substr(
        pos + 4, name_end == std::string_view::npos ? std::string_view::npos : name_end - pos - 4);
    if (name.empty() || name.size() > 200) return;
    const std::size_t data_start = name_end == std::string_view::npos ? input.size() : name_end + 1;
    const std::size_t next = input.find("\n--- ", data_start);
    const std::size_t data_end = next == std::string_view::npos ? input.size() : next;
    parts.push_back(Part{std::string(name), input.substr(data_start, data_end - data_start)});
    pos = next;
  }
  PackageBytes(StoredZip(parts));
}

void NumberFormat(std::string_view input) {
  const std::size_t newline = input.find('\n');
  const std::string value_text(input.substr(0, newline));
  const std::string_view code =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  const double value = std::strtod(value_text.c_str(), nullptr);
  const std::string shown = host::FormatNumber(value, code);
  (void)host::FormatNumber(value, code, host::FormatOptions{true});
  (void)host::FormatTextValue(value_text, code);
  (void)host::NumberFormatColor(value, code);
  try {
    const std::string text = host::WorksheetText(value, code);
    if (text != shown) {
      Finding("TEXT gives \"" + text + "\" but the cell shows \"" + shown + "\" for " + value_text +
              " under \"" + std::string(code) + "\"");
    }
  } catch (const HostError&) {
    // TEXT refuses unreadable codes and values a date cannot show.
  }
}

void CellReference(std::string_view input) {
  const std::optional<CellRef> cell = host::ParseCellRef(input);
  const std::optional<RangeRef> range = host::ParseRangeRef(input);
  if (cell) {
    if (cell->row < 1 || cell->row > host::kMaxRows || cell->column < 1 ||
        cell->column > host::kMaxColumns) {
      Finding("ParseCellRef accepted a cell outside the sheet");
    }
    const std::string text = host::FormatCellRef(*cell);
    if (host::ParseCellRef(text) != cell) Finding("cell " + text + " does not parse back");
    if (host::ColumnName(cell->column) + std::to_string(cell->row) != text)
      Finding("FormatCellRef and ColumnName disagree for " + text);
    if (!range || range->first != *cell || range->last != *cell)
      Finding("ParseRangeRef refuses the single cell " + text);
  }
  if (range) {
    if (range->first.row > range->last.row || range->first.column > range->last.column)
      Finding("range corners not normalised: " + host::FormatRangeRef(*range));
    const std::string text = host::FormatRangeRef(*range);
    if (host::ParseRangeRef(text) != range) Finding("range " + text + " does not parse back");
  }
}

void NumericText(std::string_view input) {
  const bool has_form = IsNumericText(input);
  const std::optional<double> parsed = ParseNumericText(input);
  if (parsed && !has_form) Finding("ParseNumericText read a text without numeric form");

  std::string trimmed(input);
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!trimmed.empty() && blank(trimmed.back())) trimmed.pop_back();
  trimmed.erase(0, static_cast<std::size_t>(
                       std::find_if_not(trimmed.begin(), trimmed.end(), blank) - trimmed.begin()));
  if (has_form) {
    if (trimmed.find('\0') != std::string::npos) Finding("a NUL byte passed as numeric form");
    errno = 0;
    char* end = nullptr;
    const double reference = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size())
      Finding("numeric form that strtod does not read whole: \"" + trimmed + "\"");
    if (!parsed) {
      if (std::isfinite(reference))
        Finding("numeric form within range refused: \"" + trimmed + "\"");
      return;
    }
    if (!std::isfinite(*parsed)) Finding("ParseNumericText gave a non-finite value");
    if (std::signbit(reference) != std::signbit(*parsed))
      Finding("sign differs from strtod for \"" + trimmed + "\"");
    // Below the normal range the grammar only promises zero of the right sign or the nearest
    // subnormal; above it the value must be the nearest double, exactly as strtod gives it.
    if (std::fabs(reference) >= DBL_MIN && reference != *parsed) {
      char buf[80];
      std::snprintf(buf, sizeof buf, "%.17g vs strtod %.17g", *parsed, reference);
      Finding("not the nearest double for \"" + trimmed + "\": " + buf);
    }
  }
  if (parsed) {
    const std::string general = GeneralNumberText(*parsed);
    const std::optional<double> back = ParseNumericText(general);
    if (!back) Finding("GeneralNumberText gave an unreadable \"" + general + "\"");
    if (std::fabs(*back - *parsed) > std::fabs(*parsed) * 1e-14 + 1e-307)
      Finding("GeneralNumberText \"" + general + "\" reads back too far from the value");
    if (GeneralNumberText(*back) != general)
      Finding("GeneralNumberText is not stable for \"" + general + "\"");
    for (int decimals = 0; decimals <= 6; decimals += 3) {
      (void)DecimalText(*parsed, decimals);
      (void)OffsetSideText(trimmed);
    }
  }
}

void SetProjectTemplate(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  TemplateBytes().assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Calculation(std::string_view input) {
  std::optional<Workbook> book;
  if (!TemplateBytes().empty()) {
    book.emplace(Workbook::OpenBytes(TemplateBytes(), "work.xltx"));
  } else {
    book.emplace();
    for (const char* name : {"数据输入", "水准表", "放线记录表", "平面位置检测表"})
      book->AddSheet(name);
  }
  host::Worksheet* input_sheet = book->FindSheet("数据输入");
  if (input_sheet == nullptr) Finding("the project has no input sheet");

  uint64_t seed = 1;
  SettingsForm form = GetConfig(InitConfig());
  // Cells typed by range fills or synthetic points: bounded so that one input stays well
  // inside the fuzzer's time limit.
  int64_t typed_budget = 30000;

  std::size_t pos = 0;
  while (pos < input.size()) {
    std::size_t end = input.find('\n', pos);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(pos, end - pos);
    pos = end + 1;
    if (line.starts_with("!")) {
      const std::vector<std::string_view> w = Words(line.substr(1));
      if (w.empty()) continue;
      auto number = [&](std::size_t i) {
        return i < w.size() ? std::string(w[i]) : std::string("x");
      };
      if (w[0] == "seed" && w.size() > 1) {
        std::from_chars(w[1].data(), w[1].data() + w[1].size(), seed);
      } else if (w[0] == "staff") {
        form.TextSZ[0] = number(1);
        form.TextSZ[1] = number(2);
      } else if (w[0] == "mid") {
        form.TextSZ[2] = number(1);
        form.TextSZ[3] = number(2);
      } else if (w[0] == "closure") {
        form.TextSZ[4] = number(1);
        form.TextSZ[5] = number(2);
      } else if (w[0] == "quick") {
        form.TextSZ[6] = number(1);
      } else if (w[0] == "prefix") {
        form.TextSZ[7] = std::string(line.substr(std::min(line.size(), std::size_t{8})));
      } else if (w[0] == "plane") {
        form.TextPM[0] = number(1);
        form.TextPM[1] = number(2);
      } else if (w[0] == "switches") {
        const std::string s = number(1);
        form.CheckSZ = s.size() > 0 && s[0] == '1';
        form.CheckZJD = s.size() > 1 && s[1] == '1';
        form.CheckMiters = s.size() > 2 && s[2] == '1';
      } else if (w[0] == "points" && w.size() > 2) {
        int32_t first = 8, count = 0;
        double step = 10;
        std::from_chars(w[1].data(), w[1].data() + w[1].size(), first);
        std::from_chars(w[2].data(), w[2].data() + w[2].size(), count);
        if (w.size() > 3) std::from_chars(w[3].data(), w[3].data() + w[3].size(), step);
        if (first < 1 || count < 0 || count > typed_budget / 5 || !std::isfinite(step) ||
            int64_t{first} + count > host::kMaxRows)
          continue;
        TypeSyntheticPoints(*input_sheet, first, count, step);
        typed_budget -= int64_t{count} * 5;
      }
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const std::string_view ref = line.substr(0, tab);
    const std::string_view value = line.substr(tab + 1);
    // The engine refuses some texts (invalid UTF-8) with a HostError, as it should; such a line
    // simply types nothing.
    try {
      if (const std::optional<CellRef> cell = host::ParseCellRef(ref)) {
        input_sheet->SetValue(*cell, value);
      } else if (const std::optional<RangeRef> range = host::ParseRangeRef(ref)) {
        const int64_t area = range->RowCount() * range->ColumnCount();
        if (area > typed_budget) continue;
        typed_budget -= area;
        for (int32_t r = range->first.row; r <= range->last.row; ++r)
          for (int32_t c = range->first.column; c <= range->last.column; ++c)
            input_sheet->SetValue(CellRef{r, c}, value);
      }
    } catch (const HostError&) {
    }
  }

  SetConfigResult checked = SetConfig(form);
  const SurveySettings settings = checked.settings ? *checked.settings : InitConfig();
  const std::unique_ptr<RandomSource> random = MakeSeededRandomSource(seed);
  CalculationOutcome outcome;
  try {
    outcome = RunCalculation(&*book, settings, *random);
  } catch (const HostError&) {
    return;
  }
  // Records just generated from this input with these settings must pass their own check.
  const std::vector<CheckFinding> levelling = CheckLevellingRecord(*book, settings);
  const std::vector<CheckFinding> plane = CheckPlaneTables(*book, settings);
  if (outcome.levellingWritten && !levelling.empty()) {
    Finding("fresh levelling record fails its check at " + levelling.front().sheet + "!" +
            host::FormatCellRef(levelling.front().cell) + ": " + levelling.front().message);
  }
  if (outcome.planeWritten && !plane.empty()) {
    Finding("fresh plane tables fail their check at " + plane.front().sheet + "!" +
            host::FormatCellRef(plane.front().cell) + ": " + plane.front().message);
  }
}

Body FindBody(std::string_view target) {
  if (target == "package_bytes") return PackageBytes;
  if (target == "package_parts") return PackageParts;
  if (target == "number_format") return NumberFormat;
  if (target == "cell_reference") return CellReference;
  if (target == "numeric_text") return NumericText;
  if (target == "calculation") return Calculation;
  return nullptr;
}

}  // namespace vardex::fuzz
