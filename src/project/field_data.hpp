// Field data on a whole project: a levelling record from the level's files, the plane tables from
// the coordinates a total station surveyed, and the points to set out as files for the instrument
// or CAD. Shared by the command-line tool and the desktop app, which differ only in how they show
// the report lines these return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fielddata/field_file.hpp"
#include "fielddata/stakeout_files.hpp"
#include "host/workbook.hpp"
#include "levelling/measured_record.hpp"
#include "project/provenance.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

struct LevelImportResult {
  MeasuredLineSummary summary;
  std::vector<FieldFileRecord> files;
};

/// Reads `files` as one line of levelling (in the order given), builds its record against the
/// levelling block of "数据输入", writes it to "水准表" and records in the workbook's properties
/// that the record came from these files (names and SHA-256) with `form`'s settings. Everything is
/// read and built before the first cell changes, so a workbook is either unchanged or holds the
/// complete record. Throws FieldDataError (file and line), LevellingInputError (sheet and cell)
/// or host::HostError.
LevelImportResult ImportLevellingFieldData(host::Workbook& book,
                                           const std::vector<FieldFile>& files,
                                           const SettingsForm& form, const SurveySettings& settings,
                                           MisclosureDistribution distribution);

struct StakeoutImportResult {
  std::size_t stakePoints = 0;
  std::size_t measured = 0;
  std::vector<UnmatchedPoint> notInProject;
  std::vector<UnmatchedPoint> notMeasured;
  std::vector<std::string> outOfTolerance;  ///< names with side text
  std::vector<std::string> controlPoints;   ///< station and back-sight found in the file
  FieldFileRecord file;
};

/// Reads the surveyed coordinates of `file`, pairs them with the points of "数据输入", rewrites
/// "放线记录表" and "平面位置检测表" from them and records the file in the workbook's properties.
/// Unchanged workbook on any error, as for ImportLevellingFieldData.
StakeoutImportResult ImportStakeoutMeasurements(host::Workbook& book, const FieldFile& file,
                                                const SettingsForm& form,
                                                const SurveySettings& settings);

struct StakeoutExport {
  std::string bytes;       ///< the file's content
  std::size_t points = 0;  ///< station, back-sight and stake points written
};

/// The station, the back-sight point and the points to set out of "数据输入" (design
/// coordinates, the design elevation of column E where there is one) in `format`. A point whose
/// name other rows share is named with its side text ("K1+240左12.5米"; in GSI, which holds only
/// ASCII, "K1+240L12.5"), which is how the import finds it again. `target` names the file in
/// messages; `stamp` is the local date and time for LandXML. Throws FieldDataError for a name the
/// format cannot hold and host::HostError for an unreadable input sheet.
StakeoutExport ExportStakeoutPoints(const host::Workbook& book, StakeoutFormat format,
                                    FileEncoding encoding, std::string_view target,
                                    std::string_view stamp);

/// What an import did, in lines for the terminal or a message box; lists of points name at
/// most `most` of them and then how many more there are.
std::vector<std::string> LevelImportReport(const LevelImportResult& result,
                                           std::size_t most = SIZE_MAX);
std::vector<std::string> StakeoutImportReport(const StakeoutImportResult& result,
                                              std::size_t most = SIZE_MAX);

}  // namespace vardex
