// Laying out the horizontal alignment from its intersection points, and finding points on it.
#include "alignment/horizontal.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_texts.hpp"
#include "alignment/clothoid.hpp"
#include "numeric/portable_math.hpp"

namespace vardex {
namespace {

constexpr double kPi = std::numbers::pi;
// Two points closer than this are one point, metres.
constexpr double kSamePoint = 1e-3;
// A turn smaller than this is no turn at all (about 0.002″), radians.
constexpr double kNoTurn = 1e-8;
// Curves may touch within this much, metres: the straight between them is then of length 0.
constexpr double kTouch = 1e-6;
// Most a polyline chord of the foot search strays from the curve, metres; and its longest piece.
constexpr double kSagitta = 0.01;
constexpr double kLongestPiece = 20.0;
// Samples per block of the foot search.
constexpr std::size_t kBlockSegments = 16;

double Wrapped(double azimuth) {
  azimuth = std::fmod(azimuth, 2 * kPi);
  if (azimuth < 0) azimuth += 2 * kPi;
  // fmod of a value just below 0 can land on 2π exactly after the addition.
  return azimuth >= 2 * kPi ? 0.0 : azimuth;
}

// A pair of north and east values: a position, or a unit vector along an azimuth and the one to
// its right.
struct XY {
  double x, y;
};
XY Along(double azimuth) { return {Cos(azimuth), Sin(azimuth)}; }
XY RightOf(double azimuth) { return {-Sin(azimuth), Cos(azimuth)}; }

// Shift p of the circle and tangent offset q of a transition of length `spiral` before a circle
// of `radius`: how far the circle moves in from the tangent, and where along the tangent its
// foot lies measured from ZH. Metres.
struct SpiralShift {
  double p = 0, q = 0, x = 0, y = 0;
};
SpiralShift ShiftOf(double radius, double spiral) {
  if (spiral <= 0) return {};
  const ClothoidOffsets end = ClothoidPoint(spiral, radius * spiral);
  const long double beta = static_cast<long double>(spiral) / (2.0L * radius);
  const long double half = Sin(static_cast<double>(beta / 2.0L));
  SpiralShift shift;
  shift.x = static_cast<double>(end.X);
  shift.y = static_cast<double>(end.Y);
  shift.p = static_cast<double>(end.Y - 2.0L * radius * half * half);
  shift.q = static_cast<double>(end.X - radius * Sin(static_cast<double>(beta)));
  return shift;
}

// Squared distance from (px, py) to the segment a-b, and the distance along the line at the
// segment's nearest point.
double SegmentDistance2(double px, double py, const HorizontalAlignment::Sample& a,
                        const HorizontalAlignment::Sample& b, double* along) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double squared = dx * dx + dy * dy;
  double t = squared > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / squared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  *along = a.distance + t * (b.distance - a.distance);
  const double ex = px - (a.x + t * dx);
  const double ey = py - (a.y + t * dy);
  return ex * ex + ey * ey;
}

}  // namespace

HorizontalAlignment HorizontalAlignment::Build(const std::vector<AlignmentPoint>& points,
                                               const std::string& table_place) {
  namespace t = alignment_text;
  if (points.size() < 2) throw AlignmentError(t::At(table_place, t::kTooFewPoints));
  for (const AlignmentPoint* end : {&points.front(), &points.back()}) {
    if (end->Radius != 0 || end->SpiralIn != 0 || end->SpiralOut != 0) {
      throw AlignmentError(t::At(end->Where.Radius, t::CurveOnEnd(end->Name)));
    }
  }

  const std::size_t n = points.size();
  std::vector<double> lengths(n - 1);
  std::vector<double> azimuths(n - 1);
  for (std::size_t i = 1; i < n; ++i) {
    const double dx = points[i].X - points[i - 1].X;
    const double dy = points[i].Y - points[i - 1].Y;
    lengths[i - 1] = Hypot(dx, dy);
    if (!(lengths[i - 1] >= kSamePoint)) {
      throw AlignmentError(
          t::At(points[i].Where.Name, t::SamePoint(points[i].Name, points[i - 1].Name)));
    }
    azimuths[i - 1] = Wrapped(Atan2(dy, dx));
  }

  HorizontalAlignment road;
  road.point_distances_.assign(n, 0.0);
  XY from{points[0].X, points[0].Y};
  double distance = 0;      // along the line, at `from`
  double tangent_back = 0;  // T2 of the curve before, 0 at the start
  auto add = [&road](Element::Kind kind, double start, double length, XY at, double azimuth,
                     double turn, double radius, double a2) {
    if (length > 0) {
      road.elements_.push_back({kind, start, length, at.x, at.y, azimuth, turn, radius, a2});
    }
  };

  for (std::size_t j = 1; j + 1 < n; ++j) {
    const AlignmentPoint& point = points[j];
    const double a_in = azimuths[j - 1];
    const double a_out = azimuths[j];
    const XY in = Along(a_in);
    const XY out = Along(a_out);
    const double deflection = Atan2(in.x * out.y - in.y * out.x, in.x * out.x + in.y * out.y);
    const double turn = deflection > 0 ? 1.0 : -1.0;
    const double angle = std::fabs(deflection);
    if (angle < kNoTurn) throw AlignmentError(t::At(point.Where.Name, t::NoTurn(point.Name)));
    if (angle > kPi - 1e-6) {
      throw AlignmentError(t::At(point.Where.Name, t::TurnsBack(point.Name)));
    }
    const double radius = point.Radius;
    if (!(radius > 0)) {
      throw AlignmentError(t::At(point.Where.Radius, t::RadiusNotPositive(point.Name, radius)));
    }
    if (point.SpiralIn < 0) {
      throw AlignmentError(
          t::At(point.Where.SpiralIn, t::SpiralNegative(point.Name, point.SpiralIn)));
    }
    if (point.SpiralOut < 0) {
      throw AlignmentError(
          t::At(point.Where.SpiralOut, t::SpiralNegative(point.Name, point.SpiralOut)));
    }
    // The transitions turn the tangent by Ls / 2R each; the circle takes the rest of the turn.
    const double most = 2 * radius * angle;
    if (point.SpiralIn + point.SpiralOut > most * (1 + 1e-12)) {
      throw AlignmentError(t::At(
          point.SpiralIn > 0 ? point.Where.SpiralIn : point.Where.SpiralOut,
          t::SpiralTooLong(point.Name, point.SpiralIn + point.SpiralOut, radius, angle, most)));
    }
    const SpiralShift s1 = ShiftOf(radius, point.SpiralIn);
    const SpiralShift s2 = ShiftOf(radius, point.SpiralOut);
    const double beta1 = point.SpiralIn / (2 * radius);
    const double beta2 = point.SpiralOut / (2 * radius);

    CurveElements curve;
    curve.Name = point.Name;
    curve.X = point.X;
    curve.Y = point.Y;
    curve.Deflection = deflection;
    curve.Radius = radius;
    curve.SpiralIn = point.SpiralIn;
    curve.SpiralOut = point.SpiralOut;
    // The circle, moved in by p1 from the tangent before it and by p2 from the one after it,
    // fixes both tangent lengths; with p1 ≠ p2 they differ by (p1 − p2) / sin Δ each way.
    const double tangent = Tan(angle / 2);
    const double unequal = (s1.p - s2.p) / Sin(angle);
    curve.TangentIn = (radius + s1.p) * tangent - unequal + s1.q;
    curve.TangentOut = (radius + s2.p) * tangent + unequal + s2.q;
    curve.CircularLength = std::max(0.0, radius * (angle - beta1 - beta2));
    curve.Length = point.SpiralIn + curve.CircularLength + point.SpiralOut;
    curve.Correction = curve.TangentIn + curve.TangentOut - curve.Length;
    const XY right_in = RightOf(a_in);
    const double foot = curve.TangentIn - s1.q;
    curve.CentreX = point.X - foot * in.x + turn * (radius + s1.p) * right_in.x;
    curve.CentreY = point.Y - foot * in.y + turn * (radius + s1.p) * right_in.y;
    curve.External = Hypot(curve.CentreX - point.X, curve.CentreY - point.Y) - radius;

    const double straight = lengths[j - 1] - tangent_back - curve.TangentIn;
    if (straight < -kTouch) {
      if (j == 1) {
        throw AlignmentError(t::At(point.Where.Name, t::PastStart(point.Name, points[0].Name,
                                                                  lengths[0], curve.TangentIn)));
      }
      throw AlignmentError(
          t::At(point.Where.Name, t::Overlap(points[j - 1].Name, point.Name, lengths[j - 1],
                                             tangent_back + curve.TangentIn)));
    }
    add(Element::Kind::Straight, distance, straight, from, a_in, 1, 0, 0);
    curve.AtZH = distance + std::max(straight, 0.0);
    curve.AtHY = curve.AtZH + point.SpiralIn;
    curve.AtYH = curve.AtHY + curve.CircularLength;
    curve.AtHZ = curve.AtYH + point.SpiralOut;
    curve.AtQZ = curve.AtZH + curve.Length / 2;
    curve.AtIntersection = curve.AtZH + curve.TangentIn;
    road.point_distances_[j] = curve.AtIntersection;

    const XY zh{point.X - curve.TangentIn * in.x, point.Y - curve.TangentIn * in.y};
    const XY hy{zh.x + s1.x * in.x + turn * s1.y * right_in.x,
                zh.y + s1.x * in.y + turn * s1.y * right_in.y};
    const XY hz{point.X + curve.TangentOut * out.x, point.Y + curve.TangentOut * out.y};
    add(Element::Kind::SpiralIn, curve.AtZH, point.SpiralIn, zh, a_in, turn, 0,
        radius * point.SpiralIn);
    add(Element::Kind::Arc, curve.AtHY, curve.CircularLength, hy, Wrapped(a_in + turn * beta1),
        turn, radius, 0);
    // The transition after the circle is laid out back from HZ, where it is straight.
    add(Element::Kind::SpiralOut, curve.AtYH, point.SpiralOut, hz, a_out, turn, 0,
        radius * point.SpiralOut);
    from = hz;
    distance = curve.AtHZ;
    tangent_back = curve.TangentOut;
    road.curves_.push_back(curve);
  }

  const double last = lengths[n - 2] - tangent_back;
  if (last < -kTouch) {
    const AlignmentPoint& before = points[n - 2];
    throw AlignmentError(t::At(before.Where.Name, t::PastEnd(before.Name, points[n - 1].Name,
                                                             lengths[n - 2], tangent_back)));
  }
  add(Element::Kind::Straight, distance, last, from, azimuths[n - 2], 1, 0, 0);
  road.length_ = distance + std::max(last, 0.0);
  road.point_distances_[n - 1] = road.length_;
  for (const Element& e : road.elements_) road.element_starts_.push_back(e.start);
  road.BuildIndex();
  return road;
}

const HorizontalAlignment::Element& HorizontalAlignment::ElementAt(double distance) const {
  auto it = std::upper_bound(element_starts_.begin(), element_starts_.end(), distance);
  const std::size_t index = it == element_starts_.begin()
                                ? 0
                                : static_cast<std::size_t>(it - element_starts_.begin()) - 1;
  return elements_[index];
}

CentrePoint HorizontalAlignment::At(double distance) const {
  distance = std::clamp(distance, 0.0, length_);
  const Element& e = ElementAt(distance);
  const double s = std::clamp(distance - e.start, 0.0, e.length);
  CentrePoint point;
  switch (e.kind) {
    case Element::Kind::Straight: {
      const XY d = Along(e.azimuth);
      point = {e.x + s * d.x, e.y + s * d.y, e.azimuth, 0.0};
      break;
    }
    case Element::Kind::SpiralIn: {
      const ClothoidOffsets local = ClothoidPoint(s, e.a2);
      const XY d = Along(e.azimuth);
      const XY r = RightOf(e.azimuth);
      const double x = static_cast<double>(local.X);
      const double y = e.turn * static_cast<double>(local.Y);
      point = {e.x + x * d.x + y * r.x, e.y + x * d.y + y * r.y,
               Wrapped(e.azimuth + e.turn * s * s / (2 * e.a2)), e.turn * s / e.a2};
      break;
    }
    case Element::Kind::Arc: {
      // Along the chord rather than from the centre: no large radius is subtracted from
      // coordinates, so a radius of 10 km loses nothing.
      const double half = s / (2 * e.radius);
      const double chord = 2 * e.radius * Sin(half);
      const XY d = Along(e.azimuth + e.turn * half);
      point = {e.x + chord * d.x, e.y + chord * d.y, Wrapped(e.azimuth + e.turn * 2 * half),
               e.turn / e.radius};
      break;
    }
    case Element::Kind::SpiralOut: {
      // Measured back from HZ, where the transition is straight again.
      const double back = e.length - s;
      const ClothoidOffsets local = ClothoidPoint(back, e.a2);
      const XY d = Along(e.azimuth);
      const XY r = RightOf(e.azimuth);
      const double x = static_cast<double>(local.X);
      const double y = e.turn * static_cast<double>(local.Y);
      point = {e.x - x * d.x + y * r.x, e.y - x * d.y + y * r.y,
               Wrapped(e.azimuth - e.turn * back * back / (2 * e.a2)), e.turn * back / e.a2};
      break;
    }
  }
  return point;
}

void HorizontalAlignment::BuildIndex() {
  samples_.clear();
  chord_tolerance_ = 0;
  for (const Element& e : elements_) {
    std::size_t pieces = 1;
    if (e.kind != Element::Kind::Straight) {
      // Both the circle and the transitions are no tighter than the circle's radius.
      const double radius = e.kind == Element::Kind::Arc ? e.radius : e.a2 / e.length;
      const double piece = std::min(kLongestPiece, std::sqrt(8 * radius * kSagitta));
      pieces = static_cast<std::size_t>(std::ceil(e.length / piece));
      const double used = e.length / static_cast<double>(pieces);
      chord_tolerance_ = std::max(chord_tolerance_, used * used / (8 * radius));
    }
    for (std::size_t k = 0; k < pieces; ++k) {
      const double d = e.start + e.length * static_cast<double>(k) / static_cast<double>(pieces);
      const CentrePoint c = At(d);
      samples_.push_back({d, c.X, c.Y});
    }
  }
  const CentrePoint end = At(length_);
  samples_.push_back({length_, end.X, end.Y});

  // Blocks of consecutive segments, then groups of consecutive blocks, each with its box.
  auto boxes = [](std::size_t count, std::size_t per, const auto& box_of) {
    std::vector<Block> out;
    for (std::size_t first = 0; first < count; first += per) {
      Block block;
      block.first = first;
      block.last = std::min(first + per, count);
      block.min_x = block.min_y = std::numeric_limits<double>::infinity();
      block.max_x = block.max_y = -std::numeric_limits<double>::infinity();
      for (std::size_t i = first; i < block.last; ++i) box_of(i, block);
      out.push_back(block);
    }
    return out;
  };
  blocks_ = boxes(samples_.size() - 1, kBlockSegments, [this](std::size_t i, Block& b) {
    for (const Sample& s : {samples_[i], samples_[i + 1]}) {
      b.min_x = std::min(b.min_x, s.x);
      b.max_x = std::max(b.max_x, s.x);
      b.min_y = std::min(b.min_y, s.y);
      b.max_y = std::max(b.max_y, s.y);
    }
  });
  groups_ = boxes(blocks_.size(), kBlockSegments, [this](std::size_t i, Block& g) {
    g.min_x = std::min(g.min_x, blocks_[i].min_x);
    g.max_x = std::max(g.max_x, blocks_[i].max_x);
    g.min_y = std::min(g.min_y, blocks_[i].min_y);
    g.max_y = std::max(g.max_y, blocks_[i].max_y);
  });
}

std::optional<CentreFoot> HorizontalAlignment::Foot(double x, double y) const {
  // Squared distances throughout: this runs for every point of a survey.
  auto bound2 = [x, y](const Block& b) {
    const double dx = std::max({b.min_x - x, 0.0, x - b.max_x});
    const double dy = std::max({b.min_y - y, 0.0, y - b.max_y});
    return dx * dx + dy * dy;
  };
  // The polyline's nearest segment first, from the most promising block of the most promising
  // group; then every segment that may hide a nearer point of the curve itself, which strays
  // from its chord by at most the chord tolerance.
  auto most_promising = [&](const std::vector<Block>& list, std::size_t first, std::size_t last) {
    std::size_t chosen = first;
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t i = first; i < last; ++i) {
      const double bound = bound2(list[i]);
      if (bound < lowest) {
        lowest = bound;
        chosen = i;
      }
    }
    return chosen;
  };
  const Block& group = groups_[most_promising(groups_, 0, groups_.size())];
  const Block& nearest = blocks_[most_promising(blocks_, group.first, group.last)];
  double best2 = std::numeric_limits<double>::infinity();
  double along = 0;
  for (std::size_t i = nearest.first; i < nearest.last; ++i) {
    best2 = std::min(best2, SegmentDistance2(x, y, samples_[i], samples_[i + 1], &along));
  }
  const double margin = 2 * chord_tolerance_ + 1e-6;
  auto reach2 = [&] {
    const double reach = std::sqrt(best2) + margin;
    return reach * reach;
  };
  double limit2 = reach2();
  struct Candidate {
    std::size_t segment;
    double distance2, along;
  };
  // Usually one or two; a point near the centre of a tight curve may see a few more.
  std::vector<Candidate> candidates;
  for (const Block& g : groups_) {
    if (bound2(g) > limit2) continue;
    for (std::size_t b = g.first; b < g.last; ++b) {
      const Block& block = blocks_[b];
      if (bound2(block) > limit2) continue;
      for (std::size_t i = block.first; i < block.last; ++i) {
        const double d2 = SegmentDistance2(x, y, samples_[i], samples_[i + 1], &along);
        if (d2 > limit2) continue;
        if (d2 < best2) {
          best2 = d2;
          limit2 = reach2();
        }
        // Neighbouring segments lead to the same foot; one of them is enough.
        if (!candidates.empty() && candidates.back().segment + 1 == i) {
          if (d2 < candidates.back().distance2) {
            candidates.back() = {i, d2, along};
          } else {
            candidates.back().segment = i;
          }
          continue;
        }
        candidates.push_back({i, d2, along});
      }
    }
  }
  std::optional<CentreFoot> found;
  for (const Candidate& candidate : candidates) {
    if (candidate.distance2 > limit2) continue;
    const std::optional<CentreFoot> foot = Refine(x, y, candidate.along);
    if (foot && (!found || std::fabs(foot->Offset) < std::fabs(found->Offset))) found = foot;
  }
  return found;
}

std::optional<CentreFoot> HorizontalAlignment::Refine(double x, double y, double distance) const {
  // Newton's method on the component of (point − centre) along the tangent, which vanishes at
  // the foot; its derivative is −(1 − κ·offset).
  double along = 0;
  double offset = 0;
  for (int iteration = 0; iteration < 50; ++iteration) {
    const CentrePoint c = At(distance);
    const double dx = x - c.X;
    const double dy = y - c.Y;
    along = dx * Cos(c.Azimuth) + dy * Sin(c.Azimuth);
    offset = -dx * Sin(c.Azimuth) + dy * Cos(c.Azimuth);
    // Near the centre of a circle the foot is ill-defined; a damped step still gets there.
    const double slope = std::max(1 - c.Curvature * offset, 0.2);
    const double next = std::clamp(distance + along / slope, 0.0, length_);
    if (std::fabs(next - distance) < 1e-9) break;
    distance = next;
  }
  if ((distance <= 0 && along < -1e-6) || (distance >= length_ && along > 1e-6)) {
    return std::nullopt;
  }
  return CentreFoot{distance, offset};
}

}  // namespace vardex
