// Worksheet parts: the cell data is read into the model; everything around <sheetData> is kept
// as it came and written back byte for byte, with only the dimension and merged cells updated.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/load_limits.hpp"
#include "host/workbook_impl.hpp"

namespace vardex::host::detail {

/// Marks a cell's text id as one of its sheet's own new texts (see ReadWorksheet).
inline constexpr uint32_t kSheetText = 0x80000000u;

/// Reads a worksheet part into `sheet` (rows, cells, merges, layout). Shared-string cells must
/// index below `shared_count`. The texts of inline, formula-result and error cells are appended
/// to `sheet_texts` and their cells hold the index there | kSheetText until AdoptSheetTexts, so
/// that several sheets can be read at once. Rows and cells count against `budget` when one is
/// given (texts when they are adopted).
/// Throws HostError(kErrCannotOpen) naming the file, part, sheet and cell.
/// `xml` is needed only during the call: cells keep offsets into it, and a later save reads the
/// part again (or the caller keeps it as the sheet's source).
void ReadWorksheet(Worksheet::Impl& sheet, std::string_view xml,
                   std::vector<std::string>& sheet_texts, std::size_t shared_count,
                   const std::string& file, LoadBudget* budget = nullptr);

/// Interns the texts ReadWorksheet left in `sheet_texts` (moved out) into `pool`, in their
/// order, and gives the sheet's cells their ids there; new texts count against `budget`. Sheets
/// adopted in tab order give every text the same id on each load, however the reads were
/// scheduled.
void AdoptSheetTexts(Worksheet::Impl& sheet, std::vector<std::string>& sheet_texts,
                     StringPool& pool, LoadBudget* budget = nullptr);

/// The worksheet part with the model's cells; untouched rows and cells keep their bytes.
/// `shared_index` maps string pool ids of written texts to shared-string table indices.
/// `tab_selected`, when given, sets or clears the sheet view's tabSelected flag.
/// The part is written into `out` (empty on entry); `source` is the part as it was read.
void WriteWorksheet(const Worksheet::Impl& sheet, std::string_view source, const StringPool& pool,
                    const std::vector<uint32_t>& shared_index, std::optional<bool> tab_selected,
                    ByteBuffer& out);
/// About the size WriteWorksheet will write, in bytes (to schedule the largest parts first).
std::size_t EstimateWorksheetSize(const Worksheet::Impl& sheet);

/// The part of a new, empty worksheet.
std::string EmptyWorksheetXml();

}  // namespace vardex::host::detail
