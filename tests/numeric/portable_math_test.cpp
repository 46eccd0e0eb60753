// The core's own trigonometric functions: true values in every quadrant, identities across the
// working range, and the IEEE special cases.
#include "numeric/portable_math.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace vardex {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

double Ulp(double x) { return std::nextafter(std::fabs(x), kInf) - std::fabs(x); }

// Reference values: the true results rounded to double (worked to 50 digits).
TEST(PortableMathTest, CorrectlyRoundedValues) {
  const struct {
    double got, want;
  } cases[] = {
      {Sin(1.0), 0.8414709848078965},
      {Cos(1.0), 0.5403023058681398},
      {Tan(1.0), 1.5574077246549023},
      {Sin(2.0), 0.9092974268256817},
      {Cos(3.0), -0.9899924966004454},
      {Tan(2.0), -2.185039863261519},
      {Sin(100.0), -0.5063656411097588},
      {Cos(4.71238898038469), -1.8369701987210297e-16},  // next to 3pi/2: cancellation
      {Sin(1.0e6), -0.34999350217129294},
      {Atan(0.5), 0.4636476090008061},
      {Atan(-3.0), -1.2490457723982544},
      {Atan2(-1.0, -1.0), -3 * kPi / 4},
      {Atan2(3.0, -4.0), 2.498091544796509},
      {Hypot(3e300, 4e300), 5e300},
      {Hypot(3e-320, 4e-320), 5e-320},
      {Hypot(1.0, 1e-20), 1.0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.want;
}

// Identities over the whole working range, against nothing but IEEE arithmetic and sqrt (the C
// libraries' own functions are what these replace): a wrong coefficient breaks the first, a wrong
// quadrant the second.
TEST(PortableMathTest, IdentitiesHoldAcrossTheRange) {
  std::mt19937_64 random(21);
  std::uniform_real_distribution<double> angle(-2e5, 2e5), side(-8, 8);
  for (int i = 0; i < 20000; ++i) {
    const double x = angle(random), y = side(random), z = side(random);
    const double s = Sin(x), c = Cos(x);
    EXPECT_NEAR(s * s + c * c, 1.0, 4e-16) << x;
    EXPECT_NEAR(Atan2(s, c), std::remainder(x, 2 * kPi), 1e-11) << x;
    if (std::fabs(c) > 1e-3) {
      EXPECT_NEAR(Tan(x), s / c, 4 * Ulp(s / c)) << x;
    }
    EXPECT_NEAR(Atan(Tan(x / 1.4e5)), x / 1.4e5, 2 * Ulp(x / 1.4e5)) << x;
    EXPECT_NEAR(Hypot(y, z), std::sqrt(y * y + z * z), 2 * Ulp(Hypot(y, z))) << y << " " << z;
  }
}

TEST(PortableMathTest, SpecialValues) {
  EXPECT_TRUE(std::signbit(Sin(-0.0)) && std::signbit(Tan(-0.0)) && std::signbit(Atan(-0.0)));
  EXPECT_EQ(Cos(-0.0), 1.0);
  EXPECT_TRUE(std::isnan(Sin(kInf)) && std::isnan(Cos(-kInf)) && std::isnan(Tan(NAN)));
  EXPECT_EQ(Atan(kInf), kPi / 2);
  const struct {
    double y, x, want;
  } atan2_cases[] = {
      {0.0, 5.0, 0.0},
      {-0.0, -5.0, -kPi},
      {0.0, -0.0, kPi},
      {2.0, 0.0, kPi / 2},
      {-2.0, -0.0, -kPi / 2},
      {kInf, kInf, kPi / 4},
      {kInf, -kInf, 3 * kPi / 4},
      {-1.0, kInf, -0.0},
      {1.0, -kInf, kPi},
      {1e300, 1e-300, kPi / 2},
  };
  for (const auto& c : atan2_cases) {
    EXPECT_EQ(Atan2(c.y, c.x), c.want) << c.y << ", " << c.x;
    EXPECT_EQ(std::signbit(Atan2(c.y, c.x)), std::signbit(c.want)) << c.y << ", " << c.x;
  }
  EXPECT_EQ(Hypot(NAN, -kInf), kInf);
  EXPECT_TRUE(std::isnan(Hypot(NAN, 1.0)));
  EXPECT_EQ(Hypot(-0.0, 0.0), 0.0);
}

}  // namespace
}  // namespace vardex
