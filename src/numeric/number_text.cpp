// Numeric texts: the grammar of typed numbers and the general text of a double.
#include "numeric/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "numeric/decimal_digits.hpp"

namespace vardex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a text of numeric form, as views into it.
struct NumericParts {
  bool negative = false;
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after the point
  std::string_view body;      // from the first digit or point to the end of the exponent
  long exponent = 0;          // clamped far beyond the double range
};

std::optional<NumericParts> Scan(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view rest = text.substr(begin, end - begin);

  NumericParts parts;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    parts.negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  parts.body = rest;
  std::size_t i = 0;
  while (i < rest.size() && IsDigit(rest[i])) ++i;
  parts.whole = rest.substr(0, i);
  if (i < rest.size() && rest[i] == '.') {
    const std::size_t start = ++i;
    while (i < rest.size() && IsDigit(rest[i])) ++i;
    parts.fraction = rest.substr(start, i - start);
  }
  if (parts.whole.empty() && parts.fraction.empty()) return std::nullopt;
  if (i < rest.size() && (rest[i] == 'e' || rest[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) {
      exponent_negative = rest[i] == '-';
      ++i;
    }
    const std::size_t start = i;
    while (i < rest.size() && IsDigit(rest[i])) {
      parts.exponent = std::min(parts.exponent * 10 + (rest[i] - '0'), 1'000'000L);
      ++i;
    }
    if (i == start) return std::nullopt;
    if (exponent_negative) parts.exponent = -parts.exponent;
  }
  if (i != rest.size()) return std::nullopt;
  return parts;
}

// Power of ten of the first significant digit; only asked for nonzero numbers.
long LeadingPower(const NumericParts& parts) {
  const auto first = parts.whole.find_first_not_of('0');
  if (first != std::string_view::npos) {
    return static_cast<long>(parts.whole.size() - first) - 1 + parts.exponent;
  }
  const auto first_fraction = parts.fraction.find_first_not_of('0');
  return -static_cast<long>(first_fraction) - 1 + parts.exponent;
}

}  // namespace

bool IsNumericText(std::string_view text) noexcept { return Scan(text).has_value(); }

std::optional<double> ParseNumericText(std::string_view text) noexcept {
  const auto parts = Scan(text);
  if (!parts) return std::nullopt;
  double magnitude = 0;
  const auto parsed =
      std::from_chars(parts->body.data(), parts->body.data() + parts->body.size(), magnitude);
  if (parsed.ec == std::errc::result_out_of_range) {
    if (LeadingPower(*parts) > 0) return std::nullopt;  // too large for a double
    magnitude = 0;                                      // too small: reads as zero
  } else if (parsed.ec != std::errc() || parsed.ptr != parts->body.data() + parts->body.size()) {
    return std::nullopt;
  }
  return parts->negative ? -magnitude : magnitude;
}

std::string GeneralNumberText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  detail::DecimalDigits number = detail::ToDecimalDigits(value, 15);
  if (number.digits.empty()) return "0";
  if (number.exponent == std::numeric_limits<double>::max_exponent10 &&
      std::isinf(detail::FromDecimalDigits(number))) {
    // Rounded to nearest, the doubles from 1.797693134862315E+308 up give 1.79769313486232E+308,
    // beyond the largest double, which would read back as an overflow. These alone round toward
    // zero: the rounding went up, so one unit less in the 15th digit is the truncated value.
    number.digits.resize(15, '0');
    std::size_t i = number.digits.size() - 1;
    while (number.digits[i] == '0') number.digits[i--] = '9';
    --number.digits[i];
    number.digits.erase(number.digits.find_last_not_of('0') + 1);
  }
  std::string text = number.negative ? "-" : "";
  if (number.exponent >= 15 || number.exponent < -15) {
    text += number.digits.front();
    if (number.digits.size() > 1) text += "." + number.digits.substr(1);
    text += number.exponent < 0 ? "E-" : "E+";
    const std::string power = std::to_string(std::abs(number.exponent));
    if (power.size() < 2) text += '0';
    return text + power;
  }
  const int decimals = static_cast<int>(number.digits.size()) - 1 - number.exponent;
  return text + detail::FixedMagnitudeText(number, decimals);
}

}  // namespace vardex
