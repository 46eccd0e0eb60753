// The horizontal alignment held to an independent computation: the clothoid series against
// adaptive quadrature, and whole curves against the centre line integrated from the start point
// along the curvature that the curve table describes. Also the published worked example, chords
// against arcs, mirror symmetry and the reverse computation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <ostream>
#include <random>

#include "alignment/alignment_error.hpp"
#include "alignment/clothoid.hpp"
#include "alignment/curve_table.hpp"
#include "alignment/road_alignment.hpp"
#include "alignment_builders.hpp"

namespace vardex {
namespace {

using test::Point;
using test::Road;

constexpr double kPi = std::numbers::pi;
constexpr double kTenthMillimetre = 1e-4;
constexpr double kTenthSecond = 0.1 / 3600 * kPi / 180;

double Simpson(const std::function<double(double)>& f, double a, double fa, double b, double fb,
               double m, double fm, double whole, double tolerance, int depth) {
  const double lm = (a + m) / 2, rm = (m + b) / 2;
  const double flm = f(lm), frm = f(rm);
  const double left = (m - a) / 6 * (fa + 4 * flm + fm);
  const double right = (b - m) / 6 * (fm + 4 * frm + fb);
  if (depth <= 0 || std::fabs(left + right - whole) <= 15 * tolerance) {
    return left + right + (left + right - whole) / 15;
  }
  return Simpson(f, a, fa, m, fm, lm, flm, left, tolerance / 2, depth - 1) +
         Simpson(f, m, fm, b, fb, rm, frm, right, tolerance / 2, depth - 1);
}

// Adaptive Simpson quadrature of `f` over [a, b] to about `tolerance`.
double Integrate(const std::function<double(double)>& f, double a, double b,
                 double tolerance = 1e-12) {
  if (b <= a) return 0;
  const double m = (a + b) / 2;
  const double fa = f(a), fb = f(b), fm = f(m);
  return Simpson(f, a, fa, b, fb, m, fm, (b - a) / 6 * (fa + 4 * fm + fb), tolerance, 40);
}

double AngleBetween(double a, double b) { return std::remainder(a - b, 2 * kPi); }

TEST(Clothoid, SeriesAgreesWithQuadrature) {
  // Length and A², from a gentle transition to one whose tangent turns by almost π.
  const struct {
    double length, a2;
  } cases[] = {{0, 100},           {5, 30 * 20},   {20, 30 * 20},      {110, 95.78 * 110},
               {100, 95.78 * 100}, {80, 400 * 80}, {300, 10000 * 300}, {300, 250 * 300},
               {62, 620},          {61.5, 610.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "l = " << c.length << ", A² = " << c.a2);
    const ClothoidOffsets series = ClothoidPoint(c.length, c.a2);
    const double x = Integrate([&](double s) { return std::cos(s * s / (2 * c.a2)); }, 0, c.length);
    const double y = Integrate([&](double s) { return std::sin(s * s / (2 * c.a2)); }, 0, c.length);
    EXPECT_NEAR(static_cast<double>(series.X), x, 1e-9);
    EXPECT_NEAR(static_cast<double>(series.Y), y, 1e-9);
  }
}

// The centre line integrated from the start point: heading from the curvature (straights, linear
// in the transitions, constant on the circle), position from the heading.
class IntegratedLine {
 public:
  IntegratedLine(const AlignmentInput& input, const HorizontalAlignment& layout) : layout_(layout) {
    const AlignmentPoint& a = input.Points[0];
    const AlignmentPoint& b = input.Points[1];
    start_heading_ = std::atan2(b.Y - a.Y, b.X - a.X);
    double x = a.X, y = a.Y, at = 0;
    knots_.push_back({0, x, y});
    for (const CurveElements& c : layout.Curves()) {
      for (const double next : {c.AtZH, c.AtHY, c.AtYH, c.AtHZ}) {
        x += Integrate([&](double s) { return std::cos(Heading(s)); }, at, next);
        y += Integrate([&](double s) { return std::sin(Heading(s)); }, at, next);
        knots_.push_back({next, x, y});
        at = next;
      }
    }
  }

  double Heading(double d) const {
    double heading = start_heading_;
    for (const CurveElements& c : layout_.Curves()) {
      if (d <= c.AtZH) return heading;
      const double turn = c.Deflection > 0 ? 1 : -1;
      const double r = c.Radius, s = d - c.AtZH, l1 = c.SpiralIn, l2 = c.SpiralOut;
      if (s <= l1) return heading + turn * s * s / (2 * r * l1);
      if (s <= l1 + c.CircularLength) return heading + turn * (l1 / 2 + (s - l1)) / r;
      if (s <= c.Length) {
        const double back = c.Length - s;
        return heading + turn * (l1 / 2 + c.CircularLength + l2 / 2 - back * back / (2 * l2)) / r;
      }
      heading += turn * (l1 / 2 + c.CircularLength + l2 / 2) / r;
    }
    return heading;
  }

  std::pair<double, double> Position(double d) const {
    const Knot* knot = &knots_.front();
    for (const Knot& k : knots_) {
      if (k.at <= d) knot = &k;
    }
    return {knot->x + Integrate([&](double s) { return std::cos(Heading(s)); }, knot->at, d),
            knot->y + Integrate([&](double s) { return std::sin(Heading(s)); }, knot->at, d)};
  }

 private:
  struct Knot {
    double at, x, y;
  };
  const HorizontalAlignment& layout_;
  double start_heading_ = 0;
  std::vector<Knot> knots_;
};

// An intersection point turning by `turn_degrees` (> 0 right) between two 1.5 km straights, in
// a grid like the projects' (X about 3.4e6, Y about 5e5).
AlignmentInput OneCurve(double radius, double l1, double l2, double turn_degrees,
                        double start_azimuth_degrees = 23.4) {
  const double a_in = start_azimuth_degrees * kPi / 180;
  const double a_out = a_in + turn_degrees * kPi / 180;
  const double x0 = 3412345.678, y0 = 512345.678, leg = 1500;
  const double xj = x0 + leg * std::cos(a_in), yj = y0 + leg * std::sin(a_in);
  return Road({Point("BP", x0, y0), Point("JD1", xj, yj, radius, l1, l2),
               Point("EP", xj + leg * std::cos(a_out), yj + leg * std::sin(a_out))},
              1000);
}

struct CurveCase {
  const char* what;
  double radius, l1, l2, turn;
  friend std::ostream& operator<<(std::ostream& out, const CurveCase& c) { return out << c.what; }
};

class CurveLayout : public testing::TestWithParam<CurveCase> {};

TEST_P(CurveLayout, AgreesWithTheIntegratedCentreLine) {
  const CurveCase& c = GetParam();
  const AlignmentInput input = OneCurve(c.radius, c.l1, c.l2, c.turn);
  const RoadAlignment road = RoadAlignment::Build(input);
  const HorizontalAlignment& layout = road.Horizontal();
  const CurveElements& curve = layout.Curves().at(0);
  const IntegratedLine line(input, layout);

  // The curve integrated from ZH must leave at HZ, T2 along the outgoing tangent, heading along
  // it: this holds T1, T2 and the length of the circle to the geometry of the points.
  const AlignmentPoint& jd = input.Points[1];
  const AlignmentPoint& ep = input.Points[2];
  const double a_out = std::atan2(ep.Y - jd.Y, ep.X - jd.X);
  const auto [hz_x, hz_y] = line.Position(curve.AtHZ);
  EXPECT_NEAR(hz_x, jd.X + curve.TangentOut * std::cos(a_out), kTenthMillimetre);
  EXPECT_NEAR(hz_y, jd.Y + curve.TangentOut * std::sin(a_out), kTenthMillimetre);
  EXPECT_NEAR(AngleBetween(line.Heading(curve.AtHZ), a_out), 0, kTenthSecond);
  EXPECT_NEAR(curve.Correction, curve.TangentIn + curve.TangentOut - curve.Length, 1e-9);

  // Every few metres and on both sides of every main point.
  std::vector<double> distances;
  for (double d = 0; d < layout.Length(); d += 7.3) distances.push_back(d);
  for (const double main : {curve.AtZH, curve.AtHY, curve.AtQZ, curve.AtYH, curve.AtHZ}) {
    for (const double step : {-1e-3, -1e-6, 0.0, 1e-6, 1e-3}) distances.push_back(main + step);
  }
  for (const double d : distances) {
    SCOPED_TRACE(testing::Message() << "distance " << d);
    const CentrePoint at = layout.At(d);
    const auto [x, y] = line.Position(d);
    EXPECT_NEAR(at.X, x, kTenthMillimetre);
    EXPECT_NEAR(at.Y, y, kTenthMillimetre);
    EXPECT_NEAR(AngleBetween(at.Azimuth, line.Heading(d)), 0, kTenthSecond);
  }
}

INSTANTIATE_TEST_SUITE_P(Curves, CurveLayout,
                         testing::Values(CurveCase{"tight, no transitions, right", 30, 0, 0, 60},
                                         CurveCase{"tight, asymmetric, left", 30, 20, 15, -100},
                                         CurveCase{"worked example's", 95.78, 110, 100, 89.79},
                                         CurveCase{"asymmetric, right", 400, 80, 60, 30},
                                         CurveCase{"symmetric, left", 1000, 150, 150, -12},
                                         CurveCase{"transition on one side only", 600, 200, 0, 25},
                                         CurveCase{"transitions taking almost all the turn", 250,
                                                   70, 70, 32.2},
                                         CurveCase{"long, no transitions", 10000, 0, 0, 3},
                                         CurveCase{"long, asymmetric, left", 10000, 300, 200, -8},
                                         CurveCase{"sharp, nearly reversing", 60, 40, 40, 170}),
                         [](const testing::TestParamInfo<CurveCase>& param) {
                           return "case" + std::to_string(param.index);
                         });

// The published exercise: JD2 with R = 95.78 m, Ls1 = 110 m, Ls2 = 100 m at K23+389.92; the
// centre and the points 20 m left and right at K23+400, as numerical integration gives them.
TEST(WorkedExample, CentreAndBothSidesAtK23Plus400) {
  AlignmentInput input =
      Road({Point("JD1", 50151, 52616), Point("JD2", 50186, 52374, 95.78, 110, 100),
            Point("JD3", 50470, 52414)});
  input.Points[0].Station.reset();
  input.Points[1].Station = 23389.92;
  const RoadAlignment road = RoadAlignment::Build(input);
  const CurveElements& curve = road.Horizontal().Curves().at(0);
  EXPECT_NEAR(curve.TangentIn, 154.1154, 1e-4);
  EXPECT_NEAR(curve.TangentOut, 150.1611, 1e-4);
  EXPECT_NEAR(curve.Length, 255.0958, 1e-4);
  EXPECT_NEAR(road.Stations().StationAt(curve.AtZH), 23235.8046, 1e-4);
  EXPECT_NEAR(road.Stations().StationAt(curve.AtHZ), 23490.9003, 1e-4);
  const struct {
    double offset, x, y;
  } expected[] = {
      {-20, 50238.7969, 52376.1133}, {0, 50244.5432, 52395.2700}, {20, 50250.2895, 52414.4267}};
  for (const auto& e : expected) {
    const RoadPoint point = road.AtStation(23400, e.offset);
    EXPECT_NEAR(point.X, e.x, 1e-4) << e.offset;
    EXPECT_NEAR(point.Y, e.y, 1e-4) << e.offset;
    EXPECT_NEAR(point.Azimuth, 343.30276234, 0.1 / 3600);
  }
  // As the curve table prints it: a right turn of 89°47′15.28″ and the main points.
  const CurveTable table = MakeCurveTable(road);
  ASSERT_EQ(table.Rows.size(), 1u);
  const std::vector<std::string>& row = table.Rows[0];
  ASSERT_EQ(row.size(), table.Headings.size());
  EXPECT_EQ(row[0], "JD2");
  EXPECT_EQ(row[1], "K23+389.920");
  EXPECT_EQ(row[2], "右 89°47′15.28″");
  EXPECT_EQ(row[6], "154.115");
  EXPECT_EQ(row[11], "K23+235.805");
  EXPECT_EQ(row[15], "K23+490.900");
}

TEST(Symmetry, MirroredPointsGiveMirroredLineAndSymmetricCurveIsSymmetric) {
  // Mirroring the points across the X axis turns a right curve into a left one.
  const AlignmentInput right = OneCurve(300, 90, 90, 40, 0);
  AlignmentInput left = right;
  for (AlignmentPoint& p : left.Points) p.Y = -p.Y;
  const RoadAlignment a = RoadAlignment::Build(right);
  const RoadAlignment b = RoadAlignment::Build(left);
  const CurveElements& curve = a.Horizontal().Curves().at(0);
  ASSERT_NEAR(b.Horizontal().Length(), a.Horizontal().Length(), 1e-9);
  for (double d = 0; d <= a.Horizontal().Length(); d += 13.7) {
    const RoadPoint p = a.AtDistance(d, 5);
    const RoadPoint q = b.AtDistance(d, -5);
    EXPECT_NEAR(q.X, p.X, 1e-6);
    EXPECT_NEAR(q.Y, -p.Y, 1e-6);
  }
  // Equal transitions: points as far from ZH as from HZ lie mirrored across the line from the
  // intersection point through the circle's centre.
  const double jx = right.Points[1].X, jy = right.Points[1].Y;
  const double ux = (curve.CentreX - jx) / std::hypot(curve.CentreX - jx, curve.CentreY - jy);
  const double uy = (curve.CentreY - jy) / std::hypot(curve.CentreX - jx, curve.CentreY - jy);
  for (double s = 0; s <= curve.Length / 2; s += 11.1) {
    const CentrePoint p = a.Horizontal().At(curve.AtZH + s);
    const CentrePoint q = a.Horizontal().At(curve.AtHZ - s);
    const double along_p = (p.X - jx) * ux + (p.Y - jy) * uy;
    const double along_q = (q.X - jx) * ux + (q.Y - jy) * uy;
    const double across_p = (p.X - jx) * uy - (p.Y - jy) * ux;
    const double across_q = (q.X - jx) * uy - (q.Y - jy) * ux;
    EXPECT_NEAR(along_p, along_q, 1e-6) << s;
    EXPECT_NEAR(across_p, -across_q, 1e-6) << s;
  }
  EXPECT_NEAR(
      std::hypot(a.Horizontal().At(curve.AtQZ).X - jx, a.Horizontal().At(curve.AtQZ).Y - jy),
      curve.External, 1e-6);
}

TEST(Chords, AgreeWithArcsOnTheCircle) {
  const struct { double radius, turn; } cases[] = {{30, -50}, {400, -50}, {10000, -6}};
  for (const auto [radius, turn] : cases) {
    const RoadAlignment road = RoadAlignment::Build(
        OneCurve(radius, std::min(radius / 5, 300.0), std::min(radius / 8, 200.0), turn));
    const CurveElements& curve = road.Horizontal().Curves().at(0);
    for (const double arc : {0.5, 10.0, curve.CircularLength / 3, curve.CircularLength}) {
      const CentrePoint a = road.Horizontal().At(curve.AtHY);
      const CentrePoint b = road.Horizontal().At(curve.AtHY + arc);
      EXPECT_NEAR(std::hypot(b.X - a.X, b.Y - a.Y), 2 * radius * std::sin(arc / (2 * radius)), 1e-7)
          << radius << " " << arc;
      EXPECT_NEAR(std::hypot(b.X - curve.CentreX, b.Y - curve.CentreY), radius, 1e-6);
    }
  }
}

TEST(Reverse, ReturnsTheStationAndOffsetItWasGiven) {
  // Curves both ways, tight and wide, close together.
  const RoadAlignment road = RoadAlignment::Build(
      Road({Point("BP", 3400000, 500000), Point("JD1", 3400400, 500250, 120, 60, 40),
            Point("JD2", 3400600, 500700, 60, 30, 30), Point("JD3", 3401300, 500750, 500),
            Point("JD4", 3401700, 501500, 300, 100, 0), Point("EP", 3401650, 502300)},
           5000));
  std::mt19937 random(19);
  std::uniform_real_distribution<double> along(0, road.Horizontal().Length());
  std::uniform_real_distribution<double> across(-25, 25);
  for (int i = 0; i < 2000; ++i) {
    const double d = along(random);
    const double offset = across(random);
    const RoadPoint forward = road.AtDistance(d, offset);
    const RoadPoint back = road.Nearest(forward.X, forward.Y);
    ASSERT_NEAR(back.Distance, d, kTenthMillimetre) << d << " " << offset;
    ASSERT_NEAR(back.Offset, offset, kTenthMillimetre) << d << " " << offset;
  }
  // Beyond either end there is no foot.
  const RoadPoint start = road.AtDistance(0, 0);
  EXPECT_THROW(road.Nearest(start.X - 10, start.Y - 1), AlignmentRequestError);
}

}  // namespace
}  // namespace vardex
