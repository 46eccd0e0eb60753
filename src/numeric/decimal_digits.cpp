// Decimal digit strings of doubles: 15-significant-digit conversion and decimal rounding.
#include "numeric/decimal_digits.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vardex::detail {
namespace {

void StripTrailingZeros(DecimalDigits& number) {
  const auto last = number.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    number.digits.clear();
    number.exponent = 0;
  } else {
    number.digits.erase(last + 1);
  }
}

}  // namespace

DecimalDigits ToDecimalDigits(double value, int significant) {
  DecimalDigits result;
  result.negative = std::signbit(value);
  if (value == 0) return result;
  // "d.ddddde+XX": std::to_chars is exact and ignores the C locale, unlike printf.
  std::array<char, 64> buffer{};
  const auto converted =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                    std::chars_format::scientific, significant - 1);
  const std::string_view text(buffer.data(),
                              static_cast<std::size_t>(converted.ptr - buffer.data()));
  const auto e = text.find('e');
  for (const char c : text.substr(0, e)) {
    if (c != '.') result.digits.push_back(c);
  }
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  result.exponent);
  StripTrailingZeros(result);
  return result;
}

double FromDecimalDigits(const DecimalDigits& number) {
  const double sign = number.negative ? -1.0 : 1.0;
  if (number.digits.empty()) return sign * 0.0;
  const std::string text =
      number.digits + 'e' +
      std::to_string(number.exponent - static_cast<int>(number.digits.size()) + 1);
  double magnitude = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (parsed.ec == std::errc::result_out_of_range) {
    magnitude = number.exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return sign * magnitude;
}

void RoundDecimalDigits(DecimalDigits& number, int decimals, TieRule rule) {
  const int length = static_cast<int>(number.digits.size());
  const int kept = number.exponent + 1 + decimals;  // digits before the rounding position
  if (length == 0 || kept >= length) return;
  if (kept < 0) {  // the whole number lies more than one place below the rounding position
    number.digits.clear();
    number.exponent = 0;
    return;
  }
  const char first_dropped = number.digits[static_cast<std::size_t>(kept)];
  const bool more_after = length > kept + 1;  // trailing zeros are stripped: any digit is nonzero
  const char last_kept = kept > 0 ? number.digits[static_cast<std::size_t>(kept - 1)] : '0';
  bool round_up = first_dropped > '5' || (first_dropped == '5' && more_after);
  if (first_dropped == '5' && !more_after) {
    round_up = rule == TieRule::kHalfAwayFromZero || (last_kept - '0') % 2 == 1;
  }
  number.digits.erase(static_cast<std::size_t>(kept));
  if (round_up) {
    int i = kept - 1;
    while (i >= 0 && number.digits[static_cast<std::size_t>(i)] == '9') {
      number.digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++number.digits[static_cast<std::size_t>(i)];
    } else {  // carry out of the first digit: 9.995 -> 10.00, or 0.6 -> 1 with nothing kept
      number.digits.insert(number.digits.begin(), '1');
      ++number.exponent;
    }
  }
  StripTrailingZeros(number);
}

std::string FixedMagnitudeText(const DecimalDigits& number, int decimals) {
  const auto digit_at = [&number](int power) {
    const int index = number.exponent - power;
    return index >= 0 && index < static_cast<int>(number.digits.size())
               ? number.digits[static_cast<std::size_t>(index)]
               : '0';
  };
  std::string text;
  if (number.digits.empty() || number.exponent < 0) {
    text = "0";
  } else {
    for (int power = number.exponent; power >= 0; --power) text.push_back(digit_at(power));
  }
  if (decimals > 0) {
    text.push_back('.');
    for (int power = -1; power >= -decimals; --power) text.push_back(digit_at(power));
  }
  return text;
}

}  // namespace vardex::detail
