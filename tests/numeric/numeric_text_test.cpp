// Rounding rules and the side, space-free and decimal texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "numeric/numeric_helpers.hpp"

namespace vardex {
namespace {

struct RoundCase {
  double value;
  int decimals;
  double expected;
};

// Whole numbers: ties to even, up to the last binade that holds halves. With decimal places the
// ties are judged on the decimal value as typed: 1.2345 is stored a little below the tie, yet it
// is a tie and goes to the even neighbour.
TEST(RoundHalfEven, TiesToEven) {
  const std::pair<double, double> whole[] = {
      {2.5, 2},  {3.5, 4},       {-2.5, -2},
      {0.5, 0},  {2.6, 3},       {-2.6, -3},
      {-0.4, 0}, {1e300, 1e300}, {4503599627370495.5, 4503599627370496},
  };
  for (const auto& [value, expected] : whole) {
    EXPECT_EQ(RoundHalfEven(value), expected) << value;
  }
  const RoundCase cases[] = {
      {2.5, 0, 2},
      {1.2345, 3, 1.234},
      {1.2355, 3, 1.236},
      {-1.2345, 3, -1.234},
      {12.3465, 3, 12.346},
      {1.23451, 3, 1.235},
      {12.345 + 0.002, 3, 12.347},
      {0.0005, 3, 0},
      {9.9995, 3, 10},
      {1250, -2, 1200},
      {1350, -2, 1400},
      {3, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " to " << c.decimals);
    EXPECT_EQ(RoundHalfEven(c.value, c.decimals), c.expected);
  }
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN(), 3)));
}

struct TextCase {
  double value;
  int decimals;
  std::string text;
};

// 1.0005 is stored as 1.000499999..., yet a half as typed; -0.4 rounds to zero without a sign.
TEST(DecimalText, WholeNumbersPlainOthersByPatternHalvesAwayFromZero) {
  const TextCase cases[] = {
      {12, 3, "12"},       {-0.0, 0, "0"},       {8.485, 0, "8"},        {2.5, 0, "3"},
      {-2.5, 0, "-3"},     {-0.4, 0, "0"},       {12.3456, 3, "12.346"}, {12.5, 3, "12.5"},
      {12.0004, 3, "12."}, {99.9999, 3, "100."}, {1.0005, 3, "1.001"},   {-1.0005, 3, "-1.001"},
      {-0.0004, 3, "0."},  {2.675, 2, "2.68"},   {0.1 + 0.2, 3, "0.3"},  {-12.3456, 1, "-12.3"},
      {1e20, 3, "1E+20"},  {123.456, -1, "123"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " with " << c.decimals);
    EXPECT_EQ(DecimalText(c.value, c.decimals), c.text);
  }
  EXPECT_EQ(DecimalText(std::numeric_limits<double>::quiet_NaN(), 3), "NaN");
}

TEST(DecimalPatternText, WritesThePointEvenForWholeNumbers) {
  const TextCase cases[] = {
      {5, 3, "5."}, {0, 3, "0."}, {-7, 1, "-7."}, {5, 0, "5"}, {0.9996, 3, "1."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecimalPatternText(c.value, c.decimals), c.text);
  }
}

// A decimal comma is no number: shown as a remark, never misread. A numeric form without a double
// value shows as -1.
TEST(OffsetSideText, SideWordsAndRemarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"    ", ""},
      {"-3.2", "左3.2米"},
      {"5", "右5.米"},
      {"-0", "中"},
      {"0.1234", "右0.123米"},
      {"  2.5 ", "右2.5米"},
      {"-0.0004", "左0.米"},
      {"1e3", "右1000.米"},
      {"  边沟 ", "边沟"},
      {"0,6", "0,6"},
      {"1e999", "-1"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE("\"" + text + "\"");
    EXPECT_EQ(OffsetSideText(text), expected);
  }
}

TEST(RemoveSpaces, RemovesOnlyTheSpaceCharacter) {
  const std::pair<std::string, std::string> cases[] = {
      {"K1+100 左 3.2 米", "K1+100左3.2米"},
      {"  ", ""},
      {"", ""},
      {"A\tB", "A\tB"},
      {"A\xE3\x80\x80"
       "B",
       "A\xE3\x80\x80"
       "B"},  // ideographic space stays
      {" Z D 1 ", "ZD1"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE("\"" + text + "\"");
    EXPECT_EQ(RemoveSpaces(text), expected);
  }
}

}  // namespace
}  // namespace vardex
