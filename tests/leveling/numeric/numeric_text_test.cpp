// Rounding rules and the side, space-free and decimal texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "leveling/numeric/numeric_helpers.hpp"

namespace vardex {
namespace {

struct RoundCase {
  double value;
  int decimals;
  double expected;
};

TEST(RoundHalfEven, WholeNumbersTiesToEven) {
  const RoundCase cases[] = {
      {2.5, 0, 2},       {3.5, 0, 4},
      {-2.5, 0, -2},     {-3.5, 0, -4},
      {0.5, 0, 0},       {1.5, 0, 2},
      {2.4, 0, 2},       {2.6, 0, 3},
      {-0.4, 0, 0},      {-2.6, 0, -3},
      {7, 0, 7},         {4503599627370495.5, 0, 4503599627370496},  // last binade with halves
      {1e300, 0, 1e300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(RoundHalfEven(c.value), c.expected);
  }
}

// Ties are judged on the decimal value as typed: 1.2345 is stored a little below the tie, yet
// it is a tie and goes to the even neighbour.
TEST(RoundHalfEven, DecimalPlacesTiesToEvenOnTheDecimalValue) {
  const RoundCase cases[] = {
      {1.2345, 3, 1.234},
      {1.2355, 3, 1.236},
      {-1.2345, 3, -1.234},
      {12.3465, 3, 12.346},
      {1.23451, 3, 1.235},
      {1.23449, 3, 1.234},
      {12.345 + 0.002, 3, 12.347},
      {0.0005, 3, 0},
      {0.0015, 3, 0.002},
      {9.9995, 3, 10},
      {2.5, 0, 2},
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

TEST(DecimalText, WholeNumbersPlainOthersByPatternHalvesAwayFromZero) {
  const TextCase cases[] = {
      {12, 3, "12"},
      {-3, 3, "-3"},
      {0, 3, "0"},
      {-0.0, 0, "0"},
      {6, 0, "6"},
      {8.485, 0, "8"},
      {10.39, 0, "10"},
      {2.5, 0, "3"},
      {-2.5, 0, "-3"},
      {0.5, 0, "1"},
      {-0.4, 0, "0"},  // rounds to zero: no sign
      {12.3456, 3, "12.346"},
      {12.5, 3, "12.5"},
      {12.0004, 3, "12."},
      {0.25, 3, "0.25"},
      {99.9999, 3, "100."},
      {0.1234, 3, "0.123"},
      {1.0005, 3, "1.001"},  // stored as 1.000499999..., a half as typed
      {-1.0005, 3, "-1.001"},
      {0.0005, 3, "0.001"},
      {0.0004, 3, "0."},
      {-0.0004, 3, "0."},
      {9.9995, 3, "10."},
      {1.005, 2, "1.01"},
      {2.675, 2, "2.68"},
      {0.1 + 0.2, 3, "0.3"},
      {-12.3456, 1, "-12.3"},
      {1e20, 3, "1E+20"},
      {123.456, -1, "123"},
      {std::numeric_limits<double>::quiet_NaN(), 3, "NaN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " with " << c.decimals);
    EXPECT_EQ(DecimalText(c.value, c.decimals), c.text);
  }
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

TEST(OffsetSideText, SideWordsAndRemarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"    ", ""},
      {"-3.2", "左3.2米"},
      {"5", "右5.米"},
      {"0", "中"},
      {"-0", "中"},
      {"+2", "右2.米"},
      {"0.1234", "右0.123米"},
      {"  2.5 ", "右2.5米"},
      {"-0.0004", "左0.米"},
      {"12.3455", "右12.346米"},
      {"1e3", "右1000.米"},
      {"边沟", "边沟"},
      {"  边沟 ", "边沟"},
      {"K1+100", "K1+100"},
      {"0,6", "0,6"},   // a decimal comma is no number: shown as a remark, never misread
      {"1e999", "-1"},  // numeric form without a double value
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
