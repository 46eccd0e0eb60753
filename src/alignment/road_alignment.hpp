// The road alignment as one checked whole: the horizontal alignment, its stationing with the
// station equations, the profile and the cross slopes. Answers "where is station s at offset
// o, and how high is it there", and the reverse, "at which station and offset is this point".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alignment/alignment_input.hpp"
#include "alignment/horizontal.hpp"
#include "alignment/profile.hpp"
#include "alignment/station.hpp"

namespace vardex {

/// A point of the road.
struct RoadPoint {
  double Station = 0;   ///< metres
  double Distance = 0;  ///< along the centre line from its start, metres
  double Offset = 0;    ///< from the centre line, metres: > 0 right, < 0 left (facing ahead)
  double X = 0;         ///< north, metres
  double Y = 0;         ///< east, metres
  /// Design elevation, metres: the centre line's from the profile plus offset × cross slope.
  /// Empty when the alignment has no profile or the station lies outside it.
  std::optional<double> Elevation;
  double Azimuth = 0;  ///< of the centre line's tangent, degrees clockwise from north, [0, 360)
};

/// A main point of a curve: ZH, HY, QZ, YH, HZ, or ZY, QZ, YZ where there are no transitions.
struct MainPoint {
  std::string Label;  ///< "ZH", "HY", "QZ", "YH", "HZ", "ZY", "YZ"
  std::string Curve;  ///< name of the intersection point
  double Distance = 0;
  double Station = 0;
};

class RoadAlignment {
 public:
  /// Checks and lays out `input`. The stationing comes from the first point that has a station
  /// (with station equations, the start point must have it); any later station given on a point
  /// must agree with the layout within 1 cm. Grade points and cross-slope stations must lie on
  /// the alignment in increasing order; vertical curves must not overlap and the end grade
  /// points carry none. Throws AlignmentError naming the place of the first fault.
  static RoadAlignment Build(const AlignmentInput& input);

  const std::string& Name() const { return name_; }
  const HorizontalAlignment& Horizontal() const { return horizontal_; }
  const Chainage& Stations() const { return chainage_; }
  const Profile& VerticalProfile() const { return profile_; }
  bool HasProfile() const { return !profile_.Empty(); }

  /// The point at `station` (its first occurrence where a long chain repeats it) and `offset`.
  /// Throws AlignmentRequestError for a station before the start, after the end or in the gap
  /// of a short chain.
  RoadPoint AtStation(double station, double offset) const;
  /// The point at `distance` along the centre line (clamped to it) and `offset`.
  RoadPoint AtDistance(double distance, double offset) const;
  /// Station and offset of the point (`x`, `y`) from its perpendicular foot on the centre line,
  /// the nearest where there are several. The result's X and Y are the point's own. Throws
  /// AlignmentRequestError when no foot lies between start and end.
  RoadPoint Nearest(double x, double y) const;

  /// The main points of every curve in order along the line.
  std::vector<MainPoint> MainPoints() const;

 private:
  std::string name_;
  HorizontalAlignment horizontal_;
  Chainage chainage_;
  Profile profile_;
  CrossSlopes slopes_;
};

}  // namespace vardex
