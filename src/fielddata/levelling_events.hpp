// The readers' common output: the sights and heights of a levelling file in recorded order,
// before they are grouped into set-ups. Internal to src/fielddata.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fielddata/field_file.hpp"
#include "numeric/field_records.hpp"

namespace vardex::detail {

enum class EventKind {
  Back,
  Fore,
  Intermediate,
  Height,         ///< a height the instrument stored for the point
  CancelStation,  ///< the readings of the set-up in progress were taken again
  CancelLast,     ///< the last reading was taken again
};

struct LevellingEvent {
  EventKind Kind = EventKind::Back;
  std::string Point;
  double Value = 0;  ///< reading or height, metres
  std::optional<double> Distance;
  FieldSource Source;
};

std::vector<LevellingEvent> ReadGsiLevelling(const FieldFile& file,
                                             const std::vector<FieldLine>& lines);
std::vector<LevellingEvent> ReadM5Levelling(const FieldFile& file,
                                            const std::vector<FieldLine>& lines);
std::vector<LevellingEvent> ReadFieldBook(const FieldFile& file,
                                          const std::vector<FieldLine>& lines);

/// Groups the events into set-ups (see ReadLevellingLine for what it refuses).
MeasuredLevellingLine BuildLevellingLine(const std::vector<LevellingEvent>& events);

/// Throws FieldDataError when the staff reading or distance lies outside what any level records.
void CheckSight(double reading, const std::optional<double>& distance, const FieldSource& source);

}  // namespace vardex::detail
