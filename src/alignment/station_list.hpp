// The points to set out along the road: stations at a regular interval, the curves' main points
// and stations asked for, each at the offsets asked for, with coordinates and design
// elevations; and their entry into the point list of "数据输入".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alignment/road_alignment.hpp"
#include "host/workbook.hpp"

namespace vardex {

/// Which stations to list. Stations and lengths in metres.
struct StationListRequest {
  std::optional<double> From;  ///< first station of the range; the alignment's start if empty
  std::optional<double> To;    ///< last station of the range; the alignment's end if empty
  double Every = 0;            ///< the multiples of this within the range (整桩号); 0 for none
  std::vector<double> Offsets{0.0};  ///< each station at each offset, < 0 left, in this order
  bool MainPoints = false;           ///< the curves' main points within the range too
  std::vector<double> At;            ///< further stations, wherever they lie on the alignment
};

/// One point of the list: its name (the station, "K1+240"; a main point with its label,
/// "ZH K1+234.567") and where it is.
struct StakeOutRow {
  std::string Name;
  RoadPoint Point;
};

/// The most points the record tables hold (rows 8 to 65535).
inline constexpr std::size_t kMostStakeOutPoints = 65528;

/// The points of `request` in order along the road, the offsets of one station together. A
/// station that two sources give (an interval station that is also a main point) is listed
/// once, under the main point's name. Where a long chain repeats stations the range runs from
/// the first place of `From` to the last place of `To`. Throws AlignmentRequestError for a
/// range or station off the alignment, a range that ends before it starts, a request that
/// gives no station at all, a station outside the profile when the alignment has one, and more
/// than kMostStakeOutPoints points.
std::vector<StakeOutRow> ListStations(const RoadAlignment& road, const StationListRequest& request);

/// Replaces the point list of "数据输入" (columns A to F from row 8 down to the last used row)
/// with `rows`: A the name, B the offset, C X, D Y, E the design elevation (empty when there is
/// none), F left empty for the measured elevation. Coordinates and elevations to 0.1 mm. Throws
/// AlignmentError, before anything is written, when the sheet is missing.
void WritePointList(host::Workbook& book, const std::vector<StakeOutRow>& rows);

}  // namespace vardex
