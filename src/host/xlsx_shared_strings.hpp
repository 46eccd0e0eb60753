// The shared-string table (xl/sharedStrings.xml): read into the string pool in table order;
// written back as the original bytes with new entries appended, never renumbering old ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/load_limits.hpp"
#include "host/workbook_impl.hpp"

namespace vardex::host::detail {

/// Appends every <si> of the table to `pool` in order (rich text and phonetic runs as their
/// plain text), each counted against `budget` when one is given. A table in UTF-16 is read too.
/// Throws HostError(kErrCannotOpen) naming the file and part.
void ReadSharedStrings(std::string_view xml, StringPool& pool, const std::string& file,
                       const std::string& part, LoadBudget* budget = nullptr);

/// The table with the pool entries `added` appended; `original` may be empty (new table).
std::string WriteSharedStrings(std::string_view original, const StringPool& pool,
                               const std::vector<uint32_t>& added, std::size_t total);

}  // namespace vardex::host::detail
