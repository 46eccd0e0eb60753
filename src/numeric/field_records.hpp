// What instruments and field books recorded, as the domain modules take it: the set-ups of a line
// of levelling and the surveyed coordinates of staked points, each value with the field file and
// line it came from. Read by src/fielddata, turned into records by src/levelling and src/plane.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vardex {

/// Where a value stands in a field file: the file's name (no folder) and its 1-based line.
struct FieldSource {
  std::string File;
  int32_t Line = 0;
};

/// One staff reading of a set-up. Repeated readings of the same target (double sights, BFFB)
/// are already averaged.
struct MeasuredSight {
  std::string Point;               ///< point id as recorded, trimmed
  double Reading = 0;              ///< staff reading, metres
  std::optional<double> Distance;  ///< horizontal sight distance, metres, when recorded
  FieldSource Source;              ///< the line of the (first) reading
};

/// One set-up of the level: the back sight, the intermediate sights in the order taken, and the
/// fore sight that ends it. The next set-up's back sight stands on this fore sight's point.
struct MeasuredSetup {
  MeasuredSight Back;
  std::vector<MeasuredSight> Intermediates;
  MeasuredSight Fore;
};

/// A height the instrument stored with its readings. Instruments often start from 0 or an
/// arbitrary value, so it serves only as a cross-check of the heights worked from the readings.
struct RecordedHeight {
  std::string Point;
  double Height = 0;  ///< metres
  FieldSource Source;
};

/// A line of levelling as observed, from the start benchmark to the end benchmark, across all the
/// files given (in the order given).
struct MeasuredLevellingLine {
  std::vector<MeasuredSetup> Setups;
  std::vector<RecordedHeight> RecordedHeights;
};

/// A point whose plane coordinates were surveyed (or are to be set out).
struct SurveyedPoint {
  std::string Name;
  double X = 0;             ///< north, metres
  double Y = 0;             ///< east, metres
  std::optional<double> H;  ///< elevation, metres, when the file has one
  FieldSource Source;
};

/// A point named on one side only: recorded in a field file but not in "数据输入", or the other
/// way round.
struct UnmatchedPoint {
  std::string Name;
  std::string Where;  ///< "文件“a.gsi”第 12 行" or "数据输入 A12"
  std::string Note;   ///< why it did not match, when there is more to say than that it is absent
};

}  // namespace vardex
