// Decimal digit strings for the number-format renderer.
#include "host/number_format_decimal.hpp"

#include <charconv>
#include <cstddef>

namespace vardex::host::detail {
namespace {

void TrimTrailingZeros(DecimalDigits& number) {
  const std::size_t last = number.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    number.digits.clear();
    number.point = 0;
  } else {
    number.digits.resize(last + 1);
  }
}

}  // namespace

DecimalDigits ToDecimal15(double magnitude) {
  DecimalDigits result;
  if (!(magnitude > 0.0)) return result;
  // "d.dddddddddddddde±x": to_chars rounds correctly from the binary value, locale-free.
  char buffer[40];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
  if (error != std::errc()) return result;
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = text.find('e');
  result.digits.reserve(15);
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') result.digits.push_back(text[i]);
  }
  int exponent = 0;
  std::string_view exponentText = text.substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  result.point = exponent + 1;
  TrimTrailingZeros(result);
  return result;
}

void RoundToDecimals(DecimalDigits& number, int decimals) {
  if (number.IsZero()) return;
  const long keep = static_cast<long>(number.point) + decimals;
  if (keep >= static_cast<long>(number.digits.size())) return;
  if (keep < 0) {
    // Below half a unit of the last kept place.
    number.digits.clear();
    number.point = 0;
    return;
  }
  const bool roundUp = number.digits[static_cast<std::size_t>(keep)] >= '5';
  number.digits.resize(static_cast<std::size_t>(keep));
  if (roundUp) {
    std::size_t i = number.digits.size();
    while (i > 0 && number.digits[i - 1] == '9') {
      number.digits[i - 1] = '0';
      --i;
    }
    if (i == 0) {
      number.digits.insert(number.digits.begin(), '1');
      ++number.point;
    } else {
      ++number.digits[i - 1];
    }
  }
  TrimTrailingZeros(number);
}

void RoundToSignificant(DecimalDigits& number, int significant) {
  if (number.IsZero()) return;
  RoundToDecimals(number, significant - number.point);
}

std::string IntegerDigits(const DecimalDigits& number) {
  if (number.IsZero() || number.point <= 0) return {};
  const auto count = static_cast<std::size_t>(number.point);
  std::string result = number.digits.substr(0, count);
  if (result.size() < count) result.append(count - result.size(), '0');
  return result;
}

std::string FractionDigits(const DecimalDigits& number, int count) {
  std::string result;
  result.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    const long index = static_cast<long>(number.point) + i;
    if (index >= 0 && index < static_cast<long>(number.digits.size())) {
      result.push_back(number.digits[static_cast<std::size_t>(index)]);
    } else {
      result.push_back('0');
    }
  }
  return result;
}

}  // namespace vardex::host::detail
