#include "support/project_book.hpp"

#include <cmath>
#include <limits>
#include <optional>
#include <sstream>

#include "host/path_text.hpp"
#include "numeric/number_text.hpp"
#include "support/package.hpp"

namespace vardex::test {

void Put(host::Worksheet& sheet, host::CellRef cell, const Typed& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    sheet.SetValue(cell, *number);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    sheet.SetText(cell, *text);
  }
}

host::Workbook MakeProjectBook(bool with_stake_out, bool with_inspection) {
  host::Workbook book;
  book.AddSheet(kInput);
  book.AddSheet(kLevelling);
  if (with_stake_out) book.AddSheet(kStakeOut);
  if (with_inspection) book.AddSheet(kInspection);
  return book;
}

void TypeLevellingInput(host::Workbook& book, const LevellingBlock& block) {
  host::Worksheet& input = book.Sheet(kInput);
  input.ClearContents({{5, 1}, {host::kMaxRows, 6}});
  Put(input, {5, 5}, block.start_name);
  Put(input, {6, 5}, block.start_elevation);
  Put(input, {5, 6}, block.end_name);
  Put(input, {6, 6}, block.end_elevation);
  for (std::size_t i = 0; i < block.rows.size(); ++i) {
    const int32_t row = 8 + static_cast<int32_t>(i);
    Put(input, {row, 1}, block.rows[i].name);
    Put(input, {row, 2}, block.rows[i].offset);
    Put(input, {row, 5}, block.rows[i].design);
    Put(input, {row, 6}, block.rows[i].measured);
  }
}

host::Workbook MakeLevellingProject(const LevellingBlock& block) {
  host::Workbook book = MakeProjectBook();
  TypeLevellingInput(book, block);
  return book;
}

LevellingBlock LevellingWorkedExample(bool measured_typed) {
  LevellingBlock block;
  block.end_elevation = 108.5;
  block.rows = {
      {std::string("K0+000"), -3.2, 100.5, measured_typed ? Typed{100.502} : Typed{}},
      {std::string("K0+050"), Typed{}, 108.0, measured_typed ? Typed{108.003} : Typed{}},
  };
  return block;
}

std::vector<int32_t> LevellingWorkedDraws(bool measured_typed) {
  // Simulated errors of the points (2 and 3 mm) and the closure (1 mm), then the readings in mm.
  if (measured_typed) return {1, 4400, 4700, 300};
  return {2, 3, 1, 4400, 4700, 300};
}

void TypePlaneInput(host::Workbook& book, const Typed& station_name, double sx, double sy,
                    double sh, const Typed& back_name, double bx, double by, double bh,
                    const std::vector<PlaneRow>& rows) {
  host::Worksheet& input = book.Sheet(kInput);
  Put(input, {6, 1}, station_name);
  Put(input, {6, 3}, back_name);
  for (const auto& [cell, value] : {std::pair{host::CellRef{4, 2}, sx},
                                    {{5, 2}, sy},
                                    {{6, 2}, sh},
                                    {{4, 4}, bx},
                                    {{5, 4}, by},
                                    {{6, 4}, bh}}) {
    input.SetValue(cell, value);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int32_t row = 8 + static_cast<int32_t>(i);
    Put(input, {row, 1}, rows[i].name);
    Put(input, {row, 2}, rows[i].offset);
    Put(input, {row, 3}, rows[i].x);
    Put(input, {row, 4}, rows[i].y);
  }
}

host::Workbook MakePlaneProject(const Typed& station_name, double sx, double sy, double sh,
                                const Typed& back_name, double bx, double by, double bh,
                                const std::vector<PlaneRow>& rows) {
  host::Workbook book = MakeProjectBook();
  TypePlaneInput(book, station_name, sx, sy, sh, back_name, bx, by, bh, rows);
  return book;
}

double NumberAt(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = sheet.Value(cell);
  if (const auto* number = std::get_if<double>(&value)) return *number;
  return std::numeric_limits<double>::quiet_NaN();
}

std::string TextAt(const host::Worksheet& sheet, host::CellRef cell) {
  const host::CellValue value = sheet.Value(cell);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return "<not a text>";
}

namespace {

// A cell as the dumps show it: - for empty, a number, a text in quotes, TRUE, FALSE or #error.
std::string Shown(const host::CellValue& value) {
  if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return '"' + *text + '"';
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
  return host::IsEmpty(value) ? "-" : "#error";
}

}  // namespace

std::string RowDifferences(const host::Worksheet& sheet, int32_t first_row,
                           const std::vector<std::string>& rows, int32_t last_column) {
  std::ostringstream out;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::istringstream fields(rows[i]);
    for (int32_t column = 1; column <= last_column; ++column) {
      std::string want;
      std::getline(fields, want, '|');
      const host::CellRef cell{first_row + static_cast<int32_t>(i), column};
      const std::optional<double> number = ParseNumericText(want);
      const bool agrees =
          want.empty() ? host::IsEmpty(sheet.Value(cell))
          : number     ? std::abs(NumberAt(sheet, cell) - *number) <= 1e-9
                       : TextAt(sheet, cell) == (want.starts_with('\'') ? want.substr(1) : want);
      if (!agrees) {
        out << host::FormatCellRef(cell) << ": " << Shown(sheet.Value(cell)) << ", not \"" << want
            << "\"\n";
      }
    }
  }
  return out.str();
}

std::string DumpSheet(const host::Worksheet& sheet, int32_t last_row, int32_t last_column) {
  std::ostringstream out;
  for (int32_t row = 1; row <= last_row; ++row) {
    out << row << ":";
    for (int32_t column = 1; column <= last_column; ++column) {
      out << " " << Shown(sheet.Value({row, column}));
    }
    out << "\n";
  }
  return out.str();
}

std::string DumpFindings(const std::vector<CheckFinding>& findings) {
  std::ostringstream out;
  for (const CheckFinding& f : findings) {
    out << f.sheet << "!" << host::FormatCellRef(f.cell) << ": " << f.message << "\n";
  }
  return out.str();
}

bool HasFindingAt(const std::vector<CheckFinding>& findings, const std::string& sheet,
                  const std::string& cell) {
  const host::CellRef ref = host::ParseCellRef(cell).value();
  for (const CheckFinding& f : findings) {
    if (f.sheet == sheet && f.cell == ref) return true;
  }
  return false;
}

host::Workbook SavedAndReopened(host::Workbook& book, const std::string& file_name) {
  const ScratchDir dir;
  // UTF-8 on every system: a narrow name would go through the ANSI code page on Windows.
  book.SaveAs(dir / host::PathFromText(file_name));
  return host::Workbook::Open(dir / host::PathFromText(file_name));
}

std::filesystem::path TemplateFile() { return VARDEX_TEMPLATE_FILE; }

std::filesystem::path ExampleFile(const std::string& name) {
  return std::filesystem::path(VARDEX_EXAMPLE_DIR) / (name + ".xlsx");
}

}  // namespace vardex::test
