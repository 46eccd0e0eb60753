// Faults that fuzzing found in code outside the fuzz harness, pinned as plain tests. Disabled
// ones wait for their owner's fix (see the comment on each); enable them with the fix.
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "host/number_format.hpp"
#include "settings/number_text.hpp"

namespace {

// GeneralNumberText promises a text that ParseNumericText reads back as the value rounded to 15
// significant digits. For the doubles from 1.797693134862315e308 up to the largest double, the
// 15-digit rounding (1.79769313486232E+308) lies beyond the largest double, so the text reads as
// an overflow and a saved setting or cell would not load again. Waiting for the owner of
// src/settings/number_text.cpp: round such values down (toward zero) to 15 digits instead.
TEST(FuzzFindings, DISABLED_GeneralNumberTextOfTheLargestDoubles) {
  for (const double value : {std::numeric_limits<double>::max(), 1.797693134862315e308,
                             -std::numeric_limits<double>::max()}) {
    const std::string text = vardex::GeneralNumberText(value);
    const std::optional<double> back = vardex::ParseNumericText(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_NEAR(*back / value, 1.0, 1e-14) << text;
  }
}

// A fraction whose denominator has more than 18 placeholder digits multiplied 10^18 by 10 in a
// long long (signed overflow, undefined behaviour; UBSan stops the program). Waiting for the
// owner of src/host/number_format.cpp: cap the denominator digits used for the search (a double
// holds no more than about 15 significant digits anyway).
TEST(FuzzFindings, DISABLED_FractionWithTwentyDenominatorDigits) {
  const std::string code = "# ?/????????????????????";
  const std::string shown = vardex::host::FormatNumber(1.2, code);
  EXPECT_EQ(shown.rfind("1 ", 0), 0U) << shown;
  EXPECT_NE(shown.find('/'), std::string::npos) << shown;
}

}  // namespace
