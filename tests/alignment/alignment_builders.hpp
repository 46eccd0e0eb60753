// Alignments typed as the design tables give them, for the alignment tests.
#pragma once

#include <string>
#include <vector>

#include "alignment/alignment_input.hpp"

namespace vardex::test {

/// A point of the horizontal alignment; an intersection point when `radius` > 0.
inline AlignmentPoint Point(std::string name, double x, double y, double radius = 0,
                            double spiral_in = 0, double spiral_out = 0) {
  AlignmentPoint point;
  point.Name = std::move(name);
  point.X = x;
  point.Y = y;
  point.Radius = radius;
  point.SpiralIn = spiral_in;
  point.SpiralOut = spiral_out;
  const std::string place = "第" + point.Name + "行";
  point.Where = {place, place, place, place, place + "半径", place + "Ls1", place + "Ls2"};
  return point;
}

/// The alignment through `points`, the first at `start_station`.
inline AlignmentInput Road(std::vector<AlignmentPoint> points, double start_station = 0) {
  AlignmentInput input;
  input.Place = "测试线路";
  points.front().Station = start_station;
  input.Points = std::move(points);
  return input;
}

inline GradePoint Grade(double station, double elevation, double radius = 0) {
  const std::string place = "变坡点" + std::to_string(static_cast<long>(station));
  return GradePoint{station, elevation, radius, {place, place, place + "半径"}};
}

}  // namespace vardex::test
