// The sheets a print takes.
#include "project/print_selection.hpp"

#include "host/workbook.hpp"
#include "levelling/levelling_texts.hpp"
#include "plane/plane_texts.hpp"

namespace vardex {

std::vector<std::string> RecordTableSheets() {
  return {std::string(levelling_texts::kRecordSheet), std::string(plane_text::kStakeOutSheet),
          std::string(plane_text::kInspectionSheet)};
}

std::vector<std::string> SheetsToPrint(const host::Workbook& book, PrintChoice choice) {
  switch (choice) {
    case PrintChoice::kActiveSheet:
      return {book.ActiveSheet().Name()};
    case PrintChoice::kRecordTables:
      return RecordTableSheets();
    case PrintChoice::kWholeWorkbook:
      break;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) names.push_back(book.SheetAt(i).Name());
  return names;
}

}  // namespace vardex
