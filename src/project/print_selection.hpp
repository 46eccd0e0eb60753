// Which sheets of a project a print or PDF takes: the sheet shown, the three record tables, or
// every sheet of the workbook.
#pragma once

#include <string>
#include <vector>

namespace vardex::host {
class Workbook;
}

namespace vardex {

enum class PrintChoice { kActiveSheet, kRecordTables, kWholeWorkbook };

/// "水准表", "放线记录表", "平面位置检测表".
std::vector<std::string> RecordTableSheets();

/// The names of the sheets `choice` stands for in `book`, in workbook order.
std::vector<std::string> SheetsToPrint(const host::Workbook& book, PrintChoice choice);

}  // namespace vardex
