// Checking the alignment as a whole and answering station, offset and point questions on it.
#include "alignment/road_alignment.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_texts.hpp"
#include "numeric/portable_math.hpp"

namespace vardex {
namespace {

namespace t = alignment_text;

// A station given on a point may differ this much from the layout, metres: design tables
// round to the millimetre and some to the centimetre.
constexpr double kStationAgreement = 0.01;
constexpr double kSlack = 1e-6;

Chainage LayOutStations(const AlignmentInput& input, const HorizontalAlignment& horizontal) {
  const std::vector<AlignmentPoint>& points = input.Points;
  if (!input.Equations.empty() && !points.front().Station) {
    throw AlignmentError(t::At(points.front().Where.Station, t::kEquationsNeedStart));
  }
  std::size_t anchor = 0;
  while (anchor < points.size() && !points[anchor].Station) ++anchor;
  if (anchor == points.size()) {
    throw AlignmentError(t::At(points.front().Where.Station, t::kNoStation));
  }
  const double start = *points[anchor].Station - horizontal.PointDistances()[anchor];
  const double length = horizontal.Length();

  // Each equation must fall within the stretch that the one before it begins.
  std::vector<StationEquation> equations;
  double from_distance = 0;
  double from_station = start;
  for (const EquationRow& row : input.Equations) {
    const double at = from_distance + (row.Value.Back - from_station);
    if (!(at >= from_distance - kSlack && at <= length + kSlack)) {
      throw AlignmentError(
          t::At(row.Where.Back, t::EquationOutside(row.Value.Back, from_station,
                                                   from_station + (length - from_distance))));
    }
    equations.push_back(row.Value);
    from_distance = at;
    from_station = row.Value.Ahead;
  }
  Chainage chainage(start, length, equations);

  for (std::size_t i = anchor + 1; i < points.size(); ++i) {
    if (!points[i].Station) continue;
    const double laid_out = chainage.StationAt(horizontal.PointDistances()[i]);
    if (std::fabs(laid_out - *points[i].Station) > kStationAgreement) {
      throw AlignmentError(t::At(points[i].Where.Station,
                                 t::StationMismatch(points[i].Name, *points[i].Station, laid_out)));
    }
  }
  return chainage;
}

// Where a station of a table lies, or an error at its cell.
double DistanceOf(const Chainage& chainage, double station, const std::string& place) {
  if (const auto distance = chainage.DistanceAt(station)) return *distance;
  throw AlignmentError(
      t::At(place, t::StationOutside(station, chainage.StartStation(), chainage.EndStation())));
}

Profile LayOutProfile(const AlignmentInput& input, const Chainage& chainage) {
  const std::vector<GradePoint>& grades = input.Grades;
  if (grades.empty()) return Profile();
  if (grades.size() < 2)
    throw AlignmentError(t::At(grades.front().Where.Station, t::kTooFewGrades));
  std::vector<Profile::Point> points;
  for (std::size_t k = 0; k < grades.size(); ++k) {
    const GradePoint& grade = grades[k];
    const double distance = DistanceOf(chainage, grade.Station, grade.Where.Station);
    if (k > 0 && distance <= points.back().Distance + kSlack) {
      throw AlignmentError(
          t::At(grade.Where.Station, t::NotIncreasing(grade.Station, grades[k - 1].Station)));
    }
    if (grade.Radius < 0) {
      throw AlignmentError(t::At(grade.Where.Radius, t::VerticalRadiusNegative(grade.Radius)));
    }
    if ((k == 0 || k + 1 == grades.size()) && grade.Radius != 0) {
      throw AlignmentError(t::At(grade.Where.Radius, t::kVerticalCurveOnEnd));
    }
    points.push_back({distance, grade.Elevation, grade.Radius});
  }
  Profile profile(points);
  for (std::size_t k = 1; k < points.size(); ++k) {
    const double tangents = profile.TangentLength(k - 1) + profile.TangentLength(k);
    const double spacing = points[k].Distance - points[k - 1].Distance;
    if (tangents > spacing + kSlack) {
      throw AlignmentError(
          t::At(grades[k].Where.Station,
                t::VerticalOverlap(grades[k - 1].Station, grades[k].Station, spacing, tangents)));
    }
  }
  return profile;
}

CrossSlopes LayOutSlopes(const AlignmentInput& input, const Chainage& chainage) {
  std::vector<CrossSlopes::Point> points;
  for (std::size_t k = 0; k < input.Slopes.size(); ++k) {
    const CrossSlope& slope = input.Slopes[k];
    const double distance = DistanceOf(chainage, slope.Station, slope.Where.Station);
    if (k > 0 && distance < points.back().Distance) {
      throw AlignmentError(
          t::At(slope.Where.Station, t::NotIncreasing(slope.Station, input.Slopes[k - 1].Station)));
    }
    points.push_back({distance, slope.Left, slope.Right});
  }
  return CrossSlopes(points);
}

}  // namespace

RoadAlignment RoadAlignment::Build(const AlignmentInput& input) {
  RoadAlignment road;
  road.name_ = input.Name;
  road.horizontal_ = HorizontalAlignment::Build(input.Points, input.Place);
  road.chainage_ = LayOutStations(input, road.horizontal_);
  road.profile_ = LayOutProfile(input, road.chainage_);
  road.slopes_ = LayOutSlopes(input, road.chainage_);
  return road;
}

RoadPoint RoadAlignment::AtStation(double station, double offset) const {
  if (const auto distance = chainage_.DistanceAt(station)) {
    RoadPoint point = AtDistance(*distance, offset);
    point.Station = station;
    return point;
  }
  double lowest = chainage_.StartStation();
  double highest = chainage_.EndStation();
  for (const Chainage::Segment& segment : chainage_.Segments()) {
    lowest = std::min(lowest, segment.FromStation);
    highest = std::max(highest, segment.ToStation());
  }
  if (station > lowest && station < highest) {
    throw AlignmentRequestError(t::StationInGap(station));
  }
  throw AlignmentRequestError(
      t::StationOutside(station, chainage_.StartStation(), chainage_.EndStation()));
}

RoadPoint RoadAlignment::AtDistance(double distance, double offset) const {
  distance = std::clamp(distance, 0.0, horizontal_.Length());
  const CentrePoint centre = horizontal_.At(distance);
  RoadPoint point;
  point.Station = chainage_.StationAt(distance);
  point.Distance = distance;
  point.Offset = offset;
  point.X = centre.X - offset * Sin(centre.Azimuth);
  point.Y = centre.Y + offset * Cos(centre.Azimuth);
  point.Azimuth = centre.Azimuth * 180.0 / std::numbers::pi;
  if (point.Azimuth >= 360.0) point.Azimuth -= 360.0;
  if (const auto elevation = profile_.ElevationAt(distance)) {
    const CrossSlopes::Point slope = slopes_.At(distance);
    const double percent = offset < 0 ? slope.Left : slope.Right;
    point.Elevation = *elevation + std::fabs(offset) * percent / 100.0;
  }
  return point;
}

RoadPoint RoadAlignment::Nearest(double x, double y) const {
  const std::optional<CentreFoot> foot = horizontal_.Foot(x, y);
  if (!foot) throw AlignmentRequestError(t::PointOutside(x, y));
  RoadPoint point = AtDistance(foot->Distance, foot->Offset);
  point.X = x;
  point.Y = y;
  return point;
}

std::vector<MainPoint> RoadAlignment::MainPoints() const {
  std::vector<MainPoint> points;
  auto add = [&](const char* label, const CurveElements& curve, double distance) {
    points.push_back({label, curve.Name, distance, chainage_.StationAt(distance)});
  };
  for (const CurveElements& curve : horizontal_.Curves()) {
    if (curve.SpiralIn > 0) {
      add("ZH", curve, curve.AtZH);
      add("HY", curve, curve.AtHY);
    } else {
      add("ZY", curve, curve.AtZH);
    }
    add("QZ", curve, curve.AtQZ);
    if (curve.SpiralOut > 0) {
      add("YH", curve, curve.AtYH);
      add("HZ", curve, curve.AtHZ);
    } else {
      add("YZ", curve, curve.AtHZ);
    }
  }
  // A long first transition puts QZ before HY.
  std::stable_sort(points.begin(), points.end(),
                   [](const MainPoint& a, const MainPoint& b) { return a.Distance < b.Distance; });
  return points;
}

}  // namespace vardex
