// The number grammar of typed texts and the general text of a double.
#include "numeric/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace vardex {
namespace {

// Sign, digits, one point, an exponent and blanks around; nothing else. Numeric forms beyond the
// double range are numeric without a value. A comma is neither decimal separator nor grouping,
// whatever the user's locale: refused rather than silently read as 0.6, 1 or 1000. Nor are a
// full-width digit or an ideographic space blanks and digits.
TEST(ParseNumericText, Grammar) {
  const std::pair<std::string, double> numeric[] = {
      {"0", 0.0},   {"-3", -3.0},   {"+2", 2.0},     {" 2.5 ", 2.5},  {"\t4.8\t", 4.8},
      {"5.", 5.0},  {".5", 0.5},    {"-.25", -0.25}, {"1E-3", 0.001}, {"-1.5e+2", -150.0},
      {"007", 7.0}, {"2.29", 2.29}, {"5.e1", 50.0},  {"1e-999", 0.0},
  };
  for (const auto& [text, value] : numeric) {
    SCOPED_TRACE("text \"" + text + "\"");
    EXPECT_TRUE(IsNumericText(text));
    EXPECT_EQ(ParseNumericText(text), value);
  }
  for (const std::string text : {"1e999", "-1e400", "123456e305"}) {
    EXPECT_TRUE(IsNumericText(text)) << text;
    EXPECT_EQ(ParseNumericText(text), std::nullopt) << text;
  }
  EXPECT_EQ(ParseNumericText("1.7976931348623157e308"), std::numeric_limits<double>::max());

  // The last two: the full-width digit one (U+FF11), and 3 with an ideographic space (U+3000).
  const std::string refused[] = {"-",    ".",   "NaN",   "infinity", "--1",   "",      " ",
                                 "+",    "-.",  "1e",    "1e+",      "e5",    "1.2.3", "- 3",
                                 "+-1",  "nan", "inf",   "0x10",     "12abc", "1 2",   "5%",
                                 "1e 3", "0,6", "1,000", ",5",       "１",    "3　"};
  for (const auto& text : refused) {
    SCOPED_TRACE("text \"" + text + "\"");
    EXPECT_FALSE(IsNumericText(text));
    EXPECT_EQ(ParseNumericText(text), std::nullopt);
  }
}

TEST(ParseNumericText, KeepsTheSignOfZero) {
  EXPECT_TRUE(std::signbit(*ParseNumericText("-0")));
  EXPECT_TRUE(std::signbit(*ParseNumericText("-1e-999")));
  EXPECT_FALSE(std::signbit(*ParseNumericText("0")));
}

struct GeneralCase {
  double value;
  std::string text;
};

TEST(GeneralNumberText, FifteenSignificantDigitsWithoutTrailingZeros) {
  // 999999999999999.9 rounds up into the exponent form.
  const double inf = std::numeric_limits<double>::infinity();
  const GeneralCase cases[] = {
      {512.125, "512.125"},
      {500, "500"},
      {-0.0, "0"},
      {0.1 + 0.2, "0.3"},
      {-2.0 / 3, "-0.666666666666667"},
      {123456789012345.6, "123456789012346"},
      {999999999999999.4, "999999999999999"},
      {1e-15, "0.000000000000001"},
      {999999999999999.9, "1E+15"},
      {1.5e-20, "1.5E-20"},
      {-1.25e100, "-1.25E+100"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {inf, "INF"},
      {-inf, "-INF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(GeneralNumberText(c.value), c.text);
  }
}

// What the settings form shows must read back to the same setting.
TEST(GeneralNumberText, ReadsBackUnchanged) {
  for (const double value : {0.2, 4.8, 2.29, -0.5, 1e-5, 123.456, -1.5e-20, 7e22, 0.6}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ParseNumericText(GeneralNumberText(value)), value);
  }
}

}  // namespace
}  // namespace vardex
