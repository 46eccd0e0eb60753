// The horizontal alignment by intersection points (交点法): straights, circular curves and
// clothoid transitions of any length on either side, laid out from the points of the design
// table; points of the centre line by distance, and the nearest perpendicular foot of a point.
#pragma once

#include <optional>
#include <vector>

#include "alignment/alignment_input.hpp"

namespace vardex {

/// What the design's curve table (直线、曲线及转角表) lists for one intersection point.
/// Lengths in metres, distances along the centre line in metres from its start.
struct CurveElements {
  std::string Name;
  double X = 0, Y = 0;        ///< the intersection point, metres
  double Deflection = 0;      ///< turn, radians: > 0 to the right (clockwise), < 0 to the left
  double Radius = 0;          ///< R
  double SpiralIn = 0;        ///< Ls1
  double SpiralOut = 0;       ///< Ls2
  double TangentIn = 0;       ///< T1, from the intersection point back to ZH
  double TangentOut = 0;      ///< T2, from the intersection point on to HZ
  double CircularLength = 0;  ///< Ly, HY to YH
  double Length = 0;          ///< L, ZH to HZ
  double External = 0;        ///< E, from the intersection point to the circle through its centre
  double Correction = 0;      ///< 切曲差 D = T1 + T2 − L
  double CentreX = 0, CentreY = 0;  ///< centre of the circle
  double AtIntersection = 0;        ///< ZH + T1, the intersection point's own station
  double AtZH = 0, AtHY = 0, AtQZ = 0, AtYH = 0, AtHZ = 0;  ///< main points (QZ halfway along L)
};

/// A point of the centre line.
struct CentrePoint {
  double X = 0, Y = 0;   ///< metres
  double Azimuth = 0;    ///< of the tangent, radians clockwise from north, in [0, 2π)
  double Curvature = 0;  ///< 1/metres, > 0 turning right
};

/// The perpendicular foot of a point on the centre line.
struct CentreFoot {
  double Distance = 0;  ///< along the centre line, metres
  double Offset = 0;    ///< of the point from the centre line, metres, > 0 to the right
};

class HorizontalAlignment {
 public:
  HorizontalAlignment() = default;

  /// Lays out the alignment through `points`: the first is the start, the last the end, every
  /// one between an intersection point with its radius and transitions. Throws AlignmentError,
  /// naming the place of the value, for fewer than two points, a point on the one before it, an
  /// intersection point without a turn or turning back, a radius of 0 or less, a negative or too
  /// long transition, a curve on the start or end point, and curves that overlap each other or
  /// reach past the start or end.
  /// `table_place` names the table in the message for too few points.
  static HorizontalAlignment Build(const std::vector<AlignmentPoint>& points,
                                   const std::string& table_place);

  /// Length of the centre line from start to end, metres.
  double Length() const { return length_; }
  /// Distance of each input point along the centre line: 0 for the start, the intersection
  /// point's station (ZH + T1) for an intersection point, Length() for the end.
  const std::vector<double>& PointDistances() const { return point_distances_; }
  const std::vector<CurveElements>& Curves() const { return curves_; }

  /// The centre line at `distance` metres from the start (clamped to the line).
  CentrePoint At(double distance) const;
  /// The perpendicular foot of (`x`, `y`) on the centre line, the nearest where there are
  /// several; empty when the point lies before the start or after the end, where no foot is.
  std::optional<CentreFoot> Foot(double x, double y) const;

  struct Element;
  struct Sample;

 private:
  void BuildIndex();
  const Element& ElementAt(double distance) const;
  std::optional<CentreFoot> Refine(double x, double y, double distance) const;

  double length_ = 0;
  std::vector<double> point_distances_;
  std::vector<CurveElements> curves_;
  std::vector<Element> elements_;
  std::vector<double> element_starts_;
  // A polyline close to the centre line, for finding where a point's foot lies: blocks of
  // consecutive samples with their bounding boxes, and groups of consecutive blocks with theirs.
  std::vector<Sample> samples_;
  struct Block {
    std::size_t first = 0, last = 0;  // samples (or, for a group, blocks) [first, last]
    double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  };
  std::vector<Block> blocks_;
  std::vector<Block> groups_;
  double chord_tolerance_ = 0;  // most a polyline segment strays from the centre line, metres
};

struct HorizontalAlignment::Element {
  enum class Kind { Straight, SpiralIn, Arc, SpiralOut } kind = Kind::Straight;
  double start = 0;  // distance of the element's start along the line
  double length = 0;
  double x = 0, y = 0;  // the anchor: the start, or for SpiralOut the end (HZ)
  double azimuth = 0;   // at the anchor, radians
  double turn = 1;      // +1 right, -1 left
  double radius = 0;    // Arc
  double a2 = 0;        // spirals: A² = R·Ls
};

struct HorizontalAlignment::Sample {
  double distance = 0, x = 0, y = 0;
};

}  // namespace vardex
