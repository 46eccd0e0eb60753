// Project workbooks built in memory for the levelling tests: a levelling block typed into
// "数据输入", an empty "水准表", and readable dumps of records and findings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "host/workbook.hpp"
#include "leveling/numeric/numeric_helpers.hpp"
#include "leveling/numeric/record_check.hpp"
#include "settings/number_text.hpp"

namespace vardex::levelling_test {

inline const std::string kInput = "数据输入";
inline const std::string kRecord = "水准表";

/// A text kept as text even when it reads as a number.
struct Text {
  std::string text;
};

/// What a test puts into a cell: nothing, a number, a text typed by the user (a numeric text
/// becomes a number), or a text kept as text.
using Typed = std::variant<std::monostate, double, std::string, Text>;

inline void Put(host::Worksheet& sheet, host::CellRef cell, const Typed& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    sheet.SetValue(cell, *number);
  } else if (const auto* typed = std::get_if<std::string>(&value)) {
    sheet.SetValue(cell, *typed);
  } else if (const auto* text = std::get_if<Text>(&value)) {
    sheet.SetText(cell, text->text);
  }
}

/// One point row of the levelling block: columns A, B, E and F.
struct InputRow {
  Typed name;
  Typed offset;
  Typed design;
  Typed measured;
};

struct InputBlock {
  Typed start_name = std::string("BM1");
  Typed start_elevation = 100.0;
  Typed end_name = std::string("BM2");
  Typed end_elevation = 100.0;
  std::vector<InputRow> rows;
};

/// Types the block into "数据输入" (E5, E6, F5, F6, then A, B, E, F from row 8), first clearing
/// the point rows of an earlier block.
inline void TypeInput(host::Workbook& book, const InputBlock& block) {
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

/// A workbook with "数据输入" and "水准表" (after the default "Sheet1") holding `block`.
inline host::Workbook MakeProject(const InputBlock& block) {
  host::Workbook book;
  book.AddSheet(kInput);
  book.AddSheet(kRecord);
  TypeInput(book, block);
  return book;
}

/// A random source that remembers the bounds of every draw and answers with the lower bound.
class RecordingSource final : public RandomSource {
 public:
  struct Draw {
    int32_t lo;
    int32_t hi;
  };
  int32_t Next(int32_t lo, int32_t count) override {
    draws.push_back({lo, lo + count - 1});
    return lo;
  }
  std::vector<Draw> draws;
};

inline std::string Describe(const host::CellValue& value) {
  if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return "\"" + *text + "\"";
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
  if (std::holds_alternative<host::ErrorValue>(value)) return "#error";
  return "(empty)";
}

/// Rows 1 to `last_row`, columns A to I, for failure messages.
inline std::string DumpSheet(const host::Worksheet& sheet, int32_t last_row) {
  std::ostringstream out;
  for (int32_t row = 1; row <= last_row; ++row) {
    out << row << ":";
    for (int32_t column = 1; column <= 9; ++column) {
      out << " " << Describe(sheet.Value({row, column}));
    }
    out << "\n";
  }
  return out.str();
}

inline std::string DumpFindings(const std::vector<CheckFinding>& findings) {
  std::ostringstream out;
  for (const CheckFinding& f : findings) {
    out << f.sheet << "!" << host::FormatCellRef(f.cell) << ": " << f.message << "\n";
  }
  return out.str();
}

/// True when some finding names `cell` of `sheet`.
inline bool HasFindingAt(const std::vector<CheckFinding>& findings, const std::string& sheet,
                         host::CellRef cell) {
  for (const CheckFinding& f : findings) {
    if (f.sheet == sheet && f.cell == cell) return true;
  }
  return false;
}

}  // namespace vardex::levelling_test
