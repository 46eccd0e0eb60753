// Project workbooks made in memory: the four sheets of the template, control data and point rows
// typed into "数据输入", the worked examples, and readable dumps for failure messages.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "host/workbook.hpp"
#include "numeric/numeric_helpers.hpp"
#include "numeric/record_check.hpp"

namespace vardex::test {

inline const std::string kInput = "数据输入";
inline const std::string kLevelling = "水准表";
inline const std::string kStakeOut = "放线记录表";
inline const std::string kInspection = "平面位置检测表";

/// What a test puts into a cell: nothing, a number, or a text kept as text even when it reads as
/// a number (as a cell formatted as text holds it).
using Typed = std::variant<std::monostate, double, std::string>;

void Put(host::Worksheet& sheet, host::CellRef cell, const Typed& value);

/// A workbook with the project's sheets in the template's order (after the default "Sheet1").
host::Workbook MakeProjectBook(bool with_stake_out = true, bool with_inspection = true);

/// One point row of the levelling block: columns A, B, E and F from row 8.
struct LevellingRow {
  Typed name = {};
  Typed offset = {};
  Typed design = {};
  Typed measured = {};
};

struct LevellingBlock {
  Typed start_name = std::string("BM1");  // E5
  Typed start_elevation = 100.0;          // E6
  Typed end_name = std::string("BM2");    // F5
  Typed end_elevation = 100.0;            // F6
  std::vector<LevellingRow> rows;
};

/// Types the block into "数据输入", first clearing the rows of an earlier block.
void TypeLevellingInput(host::Workbook& book, const LevellingBlock& block);
host::Workbook MakeLevellingProject(const LevellingBlock& block);

/// The worked levelling example: BM1 100, K0+000 (左3.2米, design 100.5), K0+050 (design 108),
/// BM2 108.5; measured elevations typed (100.502, 108.003) or simulated. With the draws below
/// and the default settings the record is BM1, K0+000, ZD1, K0+050, BM2 in rows 5 to 9.
LevellingBlock LevellingWorkedExample(bool measured_typed);
std::vector<int32_t> LevellingWorkedDraws(bool measured_typed);

/// One point row of the plane block: columns A to D from row 8.
struct PlaneRow {
  Typed name = {};
  Typed offset = {};
  Typed x = {};
  Typed y = {};
};

/// Types station (A6, B4:B6), back-sight (C6, D4:D6) and the point rows into "数据输入".
void TypePlaneInput(host::Workbook& book, const Typed& station_name, double sx, double sy,
                    double sh, const Typed& back_name, double bx, double by, double bh,
                    const std::vector<PlaneRow>& rows);
/// MakeProjectBook() with the plane block typed.
host::Workbook MakePlaneProject(const Typed& station_name, double sx, double sy, double sh,
                                const Typed& back_name, double bx, double by, double bh,
                                const std::vector<PlaneRow>& rows);

/// The cell's number, or NaN (unequal to everything) when it holds none.
double NumberAt(const host::Worksheet& sheet, host::CellRef cell);
/// The cell's text, or "<not a text>".
std::string TextAt(const host::Worksheet& sheet, host::CellRef cell);

/// Where rows `first_row`, ... of `sheet` differ from `rows`, one line per cell; empty when they
/// agree. Each row lists its cells from column A to `last_column` separated by "|": empty for an
/// empty cell (trailing ones may be left out), a number for a number (to within 1e-9), anything
/// else for that text, and a text that reads as a number after a quote ('25).
std::string RowDifferences(const host::Worksheet& sheet, int32_t first_row,
                           const std::vector<std::string>& rows, int32_t last_column);

/// Rows 1 to `last_row`, columns A to `last_column`, one line a row.
std::string DumpSheet(const host::Worksheet& sheet, int32_t last_row, int32_t last_column = 9);
std::string DumpFindings(const std::vector<CheckFinding>& findings);
bool HasFindingAt(const std::vector<CheckFinding>& findings, const std::string& sheet,
                  const std::string& cell);

/// A random source that records the bounds of every draw and answers with the lower bound.
class RecordingSource final : public RandomSource {
 public:
  struct Draw {
    int32_t lo;
    int32_t hi;
    friend bool operator==(const Draw&, const Draw&) = default;
  };
  int32_t Next(int32_t lo, int32_t count) override {
    draws.push_back({lo, lo + count - 1});
    return lo;
  }
  std::vector<Draw> draws;
};

/// `book` saved as `file_name` in the temporary folder and opened again (the file is removed).
host::Workbook SavedAndReopened(host::Workbook& book,
                                const std::string& file_name = "vardex-test.xlsx");

/// The project template and the sample projects the build makes.
std::filesystem::path TemplateFile();
std::filesystem::path ExampleFile(const std::string& name);

}  // namespace vardex::test
