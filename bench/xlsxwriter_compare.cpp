// Writes the cells of a workbook into a new file with libxlsxwriter in its constant-memory mode,
// the fastest C writer, as the yardstick for `vardex calc`: vardex-cli-bench runs both on the same
// 65,000-point project and prints the ratio.
//
//   xlsxwriter-compare IN.xlsx OUT.xlsx
//
// Reads IN with the workbook engine (not timed), then prints the seconds libxlsxwriter takes to
// write every number and text of every sheet, in the same places, to OUT.
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"

namespace {

struct Cell {
  uint32_t row;
  uint16_t column;
  bool text;
  double number;
  std::string value;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace vardex::host;
  if (argc != 3) {
    std::fputs("usage: xlsxwriter-compare IN.xlsx OUT.xlsx\n", stderr);
    return 2;
  }
  std::vector<std::pair<std::string, std::vector<Cell>>> sheets;
  std::size_t count = 0;
  {
    const Workbook book = Workbook::Open(argv[1]);
    for (std::size_t i = 0; i < book.SheetCount(); ++i) {
      auto& [name, cells] = sheets.emplace_back(book.SheetAt(i).Name(), std::vector<Cell>{});
      ForEachCell(book.SheetAt(i), {{1, 1}, {kMaxRows, kMaxColumns}}, [&](const CellView& v) {
        if (v.kind == CellKind::kNumber)
          cells.push_back({static_cast<uint32_t>(v.ref.row - 1),
                           static_cast<uint16_t>(v.ref.column - 1),
                           false,
                           v.number,
                           {}});
        if (v.kind == CellKind::kText)
          cells.push_back({static_cast<uint32_t>(v.ref.row - 1),
                           static_cast<uint16_t>(v.ref.column - 1), true, 0, std::string(v.text)});
      });
      count += cells.size();
    }
  }
  const auto start = std::chrono::steady_clock::now();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* workbook = workbook_new_opt(argv[2], &options);
  for (const auto& [name, cells] : sheets) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.c_str());
    for (const Cell& c : cells) {
      if (c.text) {
        worksheet_write_string(sheet, c.row, c.column, c.value.c_str(), nullptr);
      } else {
        worksheet_write_number(sheet, c.row, c.column, c.number, nullptr);
      }
    }
  }
  if (workbook_close(workbook) != LXW_NO_ERROR) {
    std::fputs("xlsxwriter-compare: writing failed\n", stderr);
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu %.3f\n", count, seconds);
  return 0;
}
