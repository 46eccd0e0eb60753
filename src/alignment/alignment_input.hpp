// The alignment as the design gives it, read from "线路数据" or from a LandXML file and not yet
// checked: the horizontal alignment by intersection points, the grade points of the profile,
// the cross slopes and the station equations. Every value keeps the place it came from, so that
// a check can name the cell or the element.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alignment/station.hpp"

namespace vardex {

/// One row of the horizontal alignment (交点法): the start point, an intersection point (交点)
/// with its curve, or the end point.
struct AlignmentPoint {
  std::string Name;
  double X = 0;  ///< north, metres
  double Y = 0;  ///< east, metres
  /// Station in metres. On the start point it fixes the stationing; on an intersection point it
  /// fixes it when the start has none, and is checked against the alignment otherwise.
  std::optional<double> Station;
  double Radius = 0;     ///< R of the circular curve, metres; intersection points only
  double SpiralIn = 0;   ///< Ls1, length of the transition before the circle, metres (0: none)
  double SpiralOut = 0;  ///< Ls2, length of the transition after it, metres (0: none)
  /// Where each value came from ("road.xlsx：工作表“线路数据”单元格 E7").
  struct Places {
    std::string Name, X, Y, Station, Radius, SpiralIn, SpiralOut;
  } Where;
};

/// One grade point (变坡点) of the profile.
struct GradePoint {
  double Station = 0;    ///< metres
  double Elevation = 0;  ///< metres
  double Radius = 0;     ///< radius of the parabolic vertical curve, metres (0: none)
  struct Places {
    std::string Station, Elevation, Radius;
  } Where;
};

/// The cross slopes from one station on, in percent; negative falls away from the centre line.
/// Between listed stations the slopes change linearly.
struct CrossSlope {
  double Station = 0;  ///< metres
  double Left = -2.0;  ///< percent
  double Right = -2.0;
  struct Places {
    std::string Station, Left, Right;
  } Where;
};

struct EquationRow {
  StationEquation Value;
  struct Places {
    std::string Back, Ahead;
  } Where;
};

/// Everything that makes one road alignment, in the order of the design tables.
struct AlignmentInput {
  std::string Name;   ///< the alignment's name where the source has one
  std::string Place;  ///< where the alignment as a whole came from, for messages
  std::vector<AlignmentPoint> Points;
  std::vector<GradePoint> Grades;
  std::vector<CrossSlope> Slopes;
  std::vector<EquationRow> Equations;
};

}  // namespace vardex
