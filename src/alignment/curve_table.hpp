// The curve table of the alignment as the design prints it (直线、曲线及转角表): for every
// intersection point its turn, curve elements and main points, as texts ready to show.
#pragma once

#include <string>
#include <vector>

#include "alignment/road_alignment.hpp"

namespace vardex {

struct CurveTable {
  std::vector<std::string> Headings;
  std::vector<std::vector<std::string>> Rows;  ///< one per intersection point, as Headings
};

/// The table of `road`: intersection point, its station, the turn ("右 30°00′00.00″"), R, Ls1,
/// Ls2, T1, T2, L, E, 切曲差 (metres to the millimetre), and the stations of ZH (or ZY), HY, QZ,
/// YH and HZ (or YZ); "—" where a curve has no transition on that side.
CurveTable MakeCurveTable(const RoadAlignment& road);

}  // namespace vardex
