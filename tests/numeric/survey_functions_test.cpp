// Distance, azimuth and angle text against hand-worked and published figures.
#include "numeric/survey_functions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

namespace vardex {
namespace {

PlanePoint At(double x, double y) { return {"", x, y, 0}; }

// Exact on the axes; the 15-digit pi leaves the north-east diagonal a few ulps off 45 degrees,
// which the stake-out record shows. Other directions: the atan2 reference below.
TEST(PlaneAzimuthTest, CompassDirectionsExactly) {
  const std::pair<PlanePoint, double> cases[] = {
      {At(0, 0), 0},    {At(5, 0), 0},    {At(0, 5), 90},
      {At(-5, 0), 180}, {At(0, -5), 270}, {At(7, 7), 44.99999999999996},
  };
  const PlanePoint a = At(1000.5, -250.25);
  for (const auto& [step, azimuth] : cases) {
    SCOPED_TRACE(azimuth);
    EXPECT_EQ(PlaneAzimuth(a, At(a.X + step.X, a.Y + step.Y)), azimuth);
  }
}

TEST(PlaneAzimuthTest, AgreesWithAtan2ReferenceInAllQuadrants) {
  std::mt19937_64 engine(20240611);
  std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
  for (int i = 0; i < 2000; ++i) {
    const PlanePoint a = At(coordinate(engine), coordinate(engine));
    const PlanePoint b = At(coordinate(engine), coordinate(engine));
    double reference = std::atan2(b.Y - a.Y, b.X - a.X) * 180.0 / std::numbers::pi;
    if (reference < 0) reference += 360.0;
    const double result = PlaneAzimuth(a, b);
    EXPECT_NEAR(result, reference, 1e-9) << a.X << "," << a.Y << " -> " << b.X << "," << b.Y;
    EXPECT_GE(result, 0.0);
    EXPECT_LT(result, 360.0);
  }
}

struct DistanceCase {
  const char* label;
  PlanePoint a;
  PlanePoint b;
  double distance;
  double tolerance;
};

TEST(PlaneDistanceTest, HandWorkedFigures) {
  const DistanceCase cases[] = {
      {"same point", At(12.5, 7), At(12.5, 7), 0, 0},
      {"3-4-5 reversed", At(103, 104), At(100, 100), 5, 0},
      // sqrt(244.092^2 + 39.637^2) and sqrt(52.110^2 + 63.775^2), worked by hand.
      {"J to K", At(502.110, 496.225), At(746.202, 456.588), 247.2893, 5e-5},
      {"J to P", At(502.110, 496.225), At(450.000, 560.000), 82.3572, 5e-5},
      {"worked row", At(1000, 1000), At(1010.003, 1009.998), 14.1428, 5e-5},
      {"elevation ignored", PlanePoint{"a", 0, 0, 100}, PlanePoint{"b", 6, 8, -40}, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_NEAR(PlaneDistance(c.a, c.b), c.distance, c.tolerance);
  }
}

struct DmsCase {
  double degrees;
  const char* text;
};

// Degree sign U+00B0, prime U+2032, double prime U+2033. The carries and rounding of the angle
// code are the number format's (NumberFormat.AngleCodeInEverySpelling).
TEST(AngleToDmsTextTest, WritesDegreesMinutesSecondsWithCarry) {
  const DmsCase cases[] = {
      {45.2625, "45\u00B015\u203245.00\u2033"},
      {359.999999999, "360\u00B000\u203200.00\u2033"},
      {720.25, "720\u00B015\u203200.00\u2033"},  // no wrap at 24 hours or 360 degrees
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.degrees);
    EXPECT_EQ(AngleToDmsText(c.degrees), c.text);
  }
}

// Published-style stake-out exercise: station J, directions to K and P, to the second.
TEST(AngleToDmsTextTest, ReferenceAzimuthsToTheSecond) {
  const PlanePoint j = At(502.110, 496.225);
  const std::string to_k = AngleToDmsText(PlaneAzimuth(j, At(746.202, 456.588)));
  const std::string to_p = AngleToDmsText(PlaneAzimuth(j, At(450.000, 560.000)));
  EXPECT_EQ(to_k.substr(0, to_k.find('.')), "350\u00B046\u203235");
  EXPECT_EQ(to_p.substr(0, to_p.find('.')), "129\u00B015\u203207");
}

}  // namespace
}  // namespace vardex
