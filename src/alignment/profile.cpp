// Elevations along the profile and the cross slopes.
#include "alignment/profile.hpp"

#include <algorithm>
#include <cmath>

namespace vardex {

Profile::Profile(std::vector<Point> points) : points_(std::move(points)) {}

double Profile::Grade(std::size_t segment) const {
  const Point& a = points_[segment];
  const Point& b = points_[segment + 1];
  return (b.Elevation - a.Elevation) / (b.Distance - a.Distance);
}

double Profile::TangentLength(std::size_t index) const {
  if (index == 0 || index + 1 >= points_.size()) return 0.0;
  return points_[index].Radius * std::fabs(Grade(index) - Grade(index - 1)) / 2;
}

std::optional<double> Profile::ElevationAt(double distance) const {
  constexpr double kSlack = 1e-6;
  if (points_.size() < 2 || distance < points_.front().Distance - kSlack ||
      distance > points_.back().Distance + kSlack) {
    return std::nullopt;
  }
  // The grade point nearest ahead and behind: a curve reaches at most halfway to either.
  auto ahead = std::lower_bound(points_.begin(), points_.end(), distance,
                                [](const Point& p, double d) { return p.Distance < d; });
  std::size_t next =
      std::min(static_cast<std::size_t>(ahead - points_.begin()), points_.size() - 1);
  if (next == 0) next = 1;
  const std::size_t before = next - 1;
  // The curve of the nearer grade point, if the distance lies on it.
  for (const std::size_t k : {before, next}) {
    const double tangent = TangentLength(k);
    if (tangent <= 0) continue;
    const double from = points_[k].Distance - tangent;
    if (distance < from || distance > points_[k].Distance + tangent) continue;
    const double grade_in = Grade(k - 1);
    const double change = Grade(k) - grade_in;
    const double x = distance - from;
    return points_[k].Elevation + grade_in * (distance - points_[k].Distance) +
           change * x * x / (4 * tangent);
  }
  return points_[before].Elevation + Grade(before) * (distance - points_[before].Distance);
}

CrossSlopes::CrossSlopes(std::vector<Point> points) : points_(std::move(points)) {}

CrossSlopes::Point CrossSlopes::At(double distance) const {
  if (points_.empty()) return Point{distance, -2.0, -2.0};
  if (distance <= points_.front().Distance)
    return Point{distance, points_.front().Left, points_.front().Right};
  if (distance >= points_.back().Distance)
    return Point{distance, points_.back().Left, points_.back().Right};
  auto ahead = std::upper_bound(points_.begin(), points_.end(), distance,
                                [](double d, const Point& p) { return d < p.Distance; });
  const Point& b = *ahead;
  const Point& a = *std::prev(ahead);
  const double t = (distance - a.Distance) / (b.Distance - a.Distance);
  return Point{distance, a.Left + t * (b.Left - a.Left), a.Right + t * (b.Right - a.Right)};
}

}  // namespace vardex
