// Faults that fuzzing found in code outside the fuzz harness, pinned as plain tests.
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "host/number_format.hpp"
#include "numeric/number_text.hpp"

namespace {

// GeneralNumberText promises a text that ParseNumericText reads back. For the doubles from
// 1.797693134862315e308 up to the largest double, the 15-digit rounding to nearest
// (1.79769313486232E+308) lay beyond the largest double and read back as an overflow, so a saved
// setting or cell would not load again; these now round toward zero.
TEST(FuzzFindings, GeneralNumberTextOfTheLargestDoubles) {
  for (const double value : {std::numeric_limits<double>::max(), 1.797693134862315e308,
                             -std::numeric_limits<double>::max()}) {
    const std::string text = vardex::GeneralNumberText(value);
    const std::optional<double> back = vardex::ParseNumericText(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_NEAR(*back / value, 1.0, 1e-14) << text;
  }
  EXPECT_EQ(vardex::GeneralNumberText(std::numeric_limits<double>::max()), "1.79769313486231E+308");
  // Just below the top of the range the rounding to nearest still reads back and stays.
  EXPECT_EQ(vardex::GeneralNumberText(1.7976931348623149e308), "1.79769313486231E+308");
  EXPECT_EQ(vardex::GeneralNumberText(1.7976931348623e308), "1.7976931348623E+308");
}

// A fraction whose denominator has more than 18 placeholder digits multiplied 10^18 by 10 in a
// long long (signed overflow, undefined behaviour; UBSan stops the program). The search now
// stops at 15 denominator digits, about all a double holds.
TEST(FuzzFindings, FractionWithTwentyDenominatorDigits) {
  const std::string code = "# ?/????????????????????";
  const std::string shown = vardex::host::FormatNumber(1.2, code);
  EXPECT_EQ(shown.rfind("1 1/5", 0), 0U) << shown;
  EXPECT_NE(shown.find('/'), std::string::npos) << shown;
}

// Without an integer part the numerator grows with the value: for 123456789.123 over up to 15
// denominator digits the continued-fraction terms passed the range of a long long well before the
// denominator limit and wrapped around into a wrong fraction.
TEST(FuzzFindings, FractionWithoutIntegerPartKeepsItsNumeratorInRange) {
  for (const double value : {123456789.123, 4567502610.673153, 3.3351168085647003}) {
    const std::string shown = vardex::host::FormatNumber(value, "?/???????????????");
    const std::size_t slash = shown.find('/');
    ASSERT_NE(slash, std::string::npos) << shown;
    const double numerator = std::stod(shown.substr(0, slash));
    const double denominator = std::stod(shown.substr(slash + 1));
    ASSERT_GT(denominator, 0) << shown;
    EXPECT_NEAR(numerator / denominator / value, 1.0, 1e-12) << value << " shows " << shown;
  }
}

}  // namespace
