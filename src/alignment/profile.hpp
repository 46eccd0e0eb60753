// The vertical side of the alignment: the profile (grades and symmetric parabolic vertical
// curves at the grade points) and the cross slopes that take the centre line's elevation out to
// an offset point. Both by distance along the centre line, metres.
#pragma once

#include <optional>
#include <vector>

namespace vardex {

class Profile {
 public:
  /// A grade point: distance along the centre line, elevation, radius of its vertical curve
  /// (0: none), metres.
  struct Point {
    double Distance = 0;
    double Elevation = 0;
    double Radius = 0;
  };

  Profile() = default;
  /// `points` in strictly increasing distance, radii ≥ 0 and 0 at both ends, curves not
  /// overlapping (the caller checks, knowing where the values came from). Empty: no profile.
  explicit Profile(std::vector<Point> points);

  bool Empty() const { return points_.empty(); }
  const std::vector<Point>& Points() const { return points_; }

  /// Half the length of the vertical curve at grade point `index`, T = R·|Δi| / 2, metres.
  double TangentLength(std::size_t index) const;
  /// Elevation of the centre line at `distance`; empty before the first grade point, after the
  /// last and when there is no profile. On a curve of radius R starting x metres before, the
  /// grade line's elevation plus or minus x² / 2R.
  std::optional<double> ElevationAt(double distance) const;

 private:
  double Grade(std::size_t segment) const;

  std::vector<Point> points_;
};

class CrossSlopes {
 public:
  /// The slopes from one distance on, in percent; negative falls away from the centre line.
  struct Point {
    double Distance = 0;
    double Left = -2.0;
    double Right = -2.0;
  };

  /// `points` in increasing distance (checked by the caller). Empty: −2 % on both sides.
  explicit CrossSlopes(std::vector<Point> points = {});

  /// The slopes at `distance`: linear between listed distances, constant before the first and
  /// after the last.
  Point At(double distance) const;

 private:
  std::vector<Point> points_;
};

}  // namespace vardex
