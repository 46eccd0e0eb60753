// Reading lines of levelling from field files: Leica GSI-8 and GSI-16 line files of digital
// levels, the M5 format of Trimble (Zeiss) digital levels, and CSV field books of optical levels.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fielddata/field_file.hpp"
#include "numeric/field_records.hpp"

namespace vardex {

enum class LevellingFileFormat { Gsi, M5, FieldBook };

/// "Leica GSI", "M5", "CSV 手簿".
std::string_view LevellingFileFormatName(LevellingFileFormat format);

/// The format of a levelling file, told from its first line that is not blank. Throws
/// FieldDataError naming the file and line when it is none of them (not a field file at all).
LevellingFileFormat DetectLevellingFormat(const FieldFile& file);

/// The line of levelling recorded in `files`, read in the order given as one line: set-ups with
/// their back, intermediate and fore sights, and the heights the instrument stored.
///
/// What the record does not need (station and line information, codes, remarks, measure-only and
/// stake-out readings, sums) is passed over. Repeated readings of one target in one set-up
/// (BFFB, double sights) are averaged. Throws FieldDataError naming file and line for a word or
/// field that cannot be read, a reading outside any staff (beyond ±7 m), a sight distance outside
/// 0 to 1000 m, sights out of order (a fore sight before any back sight, a new back sight before
/// the fore sight, a back sight not on the previous fore sight's point), a back sight without a
/// fore sight at the end, a point id used twice, and files without any reading.
MeasuredLevellingLine ReadLevellingLine(const std::vector<FieldFile>& files);

}  // namespace vardex
