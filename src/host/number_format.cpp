// Rendering of numbers and texts under spreadsheet number formats, and the TEXT function.
#include "host/number_format.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <unordered_map>

#include "host/host_error.hpp"
#include "host/number_format_code.hpp"
#include "host/number_format_decimal.hpp"

namespace vardex::host {
namespace {

using detail::CompiledFormat;
using detail::DecimalDigits;
using detail::DigitRole;
using detail::Section;
using detail::SectionKind;
using detail::Token;
using detail::TokenKind;

// What a cell shows when its value cannot be drawn under its format (a negative date, a date
// after 9999-12-31): the cell is filled with number signs.
constexpr std::string_view kCellOverflow = "########";

// Largest serial (exclusive) that is still a date: 10000-01-01 in each date system.
constexpr double kDateLimit1900 = 2958466.0;
constexpr double kDateLimit1904 = 2957004.0;

struct Rendered {
  std::string text;
  bool nonZero = false;  ///< the shown number is not zero (a sign may precede it)
  bool overflow = false;
};

std::string ToDecimalString(long long value) {
  char buffer[24];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::string PadLeft(std::string text, int width, char pad = '0') {
  if (static_cast<int>(text.size()) < width) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), pad);
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// General

std::string GeneralText(double magnitude) {
  if (magnitude == 0.0) return "0";
  const DecimalDigits exact = detail::ToDecimal15(magnitude);
  if (exact.IsZero()) return "0";

  // Fixed notation in eleven characters: integer digits, point and decimals.
  std::string fixed;
  std::size_t fixedDigits = 0;
  if (exact.point <= 11) {
    DecimalDigits shown = exact;
    const int decimals = exact.point > 0 ? std::max(0, 10 - exact.point) : 9;
    detail::RoundToDecimals(shown, decimals);
    if (!shown.IsZero() && shown.point <= 11) {
      fixed = detail::IntegerDigits(shown);
      if (fixed.empty()) fixed = "0";
      const int fractionCount = static_cast<int>(shown.digits.size()) - shown.point;
      if (fractionCount > 0) {
        fixed += '.';
        fixed += detail::FractionDigits(shown, fractionCount);
      }
      fixedDigits = shown.digits.size();
    }
  }

  // Scientific notation with six significant digits and an exponent of at least two digits.
  DecimalDigits mantissa = exact;
  detail::RoundToSignificant(mantissa, 6);
  if (!fixed.empty() && (exact.point > 0 || fixedDigits >= mantissa.digits.size())) return fixed;

  std::string scientific(1, mantissa.digits.front());
  if (mantissa.digits.size() > 1) {
    scientific += '.';
    scientific.append(mantissa.digits, 1);
  }
  const int exponent = mantissa.point - 1;
  scientific += exponent < 0 ? "E-" : "E+";
  scientific += PadLeft(ToDecimalString(std::abs(exponent)), 2);
  return scientific;
}

Rendered RenderGeneralSection(const Section& section, double magnitude) {
  Rendered result;
  result.nonZero = magnitude != 0.0;
  for (const Token& token : section.tokens) {
    result.text += token.kind == TokenKind::kGeneral ? GeneralText(magnitude) : token.text;
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Fixed-point and scientific

// Lays out `rounded` (already rounded to the section's decimals) over the section's tokens.
Rendered LayOutDigits(const Section& section, const DecimalDigits& rounded, int exponent) {
  Rendered result;
  result.nonZero = !rounded.IsZero();
  const std::string integer = detail::IntegerDigits(rounded);
  const std::string fraction = detail::FractionDigits(rounded, section.fractionDigits);

  // Trailing zero decimals vanish under '#' and turn into spaces under '?'.
  std::vector<char> fractionPlaceholders(static_cast<std::size_t>(section.fractionDigits), '0');
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::kDigit && token.role == DigitRole::kFraction) {
      fractionPlaceholders[static_cast<std::size_t>(token.index)] = token.placeholder;
    }
  }
  int significantDecimals = section.fractionDigits;
  while (significantDecimals > 0) {
    const auto i = static_cast<std::size_t>(significantDecimals - 1);
    if (fraction[i] != '0' || fractionPlaceholders[i] == '0') break;
    --significantDecimals;
  }

  std::string& out = result.text;
  const int integerCount = section.integerDigits;
  const int integerLength = static_cast<int>(integer.size());
  auto emitInteger = [&](char digit, int position) {
    out += digit;
    if (section.grouping && position > 0 && position % 3 == 0) out += digit == ' ' ? ' ' : ',';
  };
  bool exponentWritten = false;
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kLiteral:
        out += token.text;
        break;
      case TokenKind::kPoint:
        if (integerCount == 0) out += integer;
        out += '.';
        break;
      case TokenKind::kExponent:
        out += token.text.front();
        if (exponent < 0) {
          out += '-';
        } else if (token.text[1] == '+') {
          out += '+';
        }
        break;
      case TokenKind::kDigit:
        if (token.role == DigitRole::kInteger) {
          if (token.index == 0) {
            for (int position = integerLength - 1; position >= integerCount; --position) {
              emitInteger(integer[static_cast<std::size_t>(integerLength - 1 - position)],
                          position);
            }
          }
          const int position = integerCount - 1 - token.index;
          if (position < integerLength) {
            emitInteger(integer[static_cast<std::size_t>(integerLength - 1 - position)], position);
          } else if (token.placeholder == '0') {
            emitInteger('0', position);
          } else if (token.placeholder == '?') {
            emitInteger(' ', position);
          }
        } else if (token.role == DigitRole::kFraction) {
          if (token.index < significantDecimals) {
            out += fraction[static_cast<std::size_t>(token.index)];
          } else if (token.placeholder == '0') {
            out += '0';
          } else if (token.placeholder == '?') {
            out += ' ';
          }
        } else if (token.role == DigitRole::kExponent && !exponentWritten) {
          exponentWritten = true;
          out += PadLeft(ToDecimalString(std::abs(exponent)), section.exponentDigits);
        }
        break;
      default:
        break;
    }
  }
  return result;
}

int FloorDiv(int a, int b) {
  int quotient = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --quotient;
  return quotient;
}

Rendered RenderFixed(const Section& section, double magnitude) {
  DecimalDigits number = detail::ToDecimal15(magnitude);
  if (!number.IsZero()) number.point += section.decimalShift;
  detail::RoundToDecimals(number, section.fractionDigits);
  return LayOutDigits(section, number, 0);
}

Rendered RenderScientific(const Section& section, double magnitude) {
  DecimalDigits mantissa = detail::ToDecimal15(magnitude);
  int exponent = 0;
  if (!mantissa.IsZero()) {
    mantissa.point += section.decimalShift;
    // With more than one integer placeholder the exponent steps by their count (engineering
    // notation for "##0.0E+0").
    const int step = std::max(1, section.integerDigits);
    exponent = FloorDiv(mantissa.point - 1, step) * step;
    mantissa.point -= exponent;
    detail::RoundToDecimals(mantissa, section.fractionDigits);
    if (mantissa.point > step) {
      exponent += step;
      mantissa.point -= step;
    }
  }
  return LayOutDigits(section, mantissa, exponent);
}

// ---------------------------------------------------------------------------------------------
// Fractions

struct Fraction {
  long long numerator = 0;
  long long denominator = 1;
};

constexpr int kMaxSearchedDenominatorDigits = 15;

// a * p + q for the nonnegative terms of a convergent; empty where a long long cannot hold it.
std::optional<long long> NextTerm(long long a, long long p, long long q) {
  constexpr long long kMax = std::numeric_limits<long long>::max();
  if (p != 0 && a > (kMax - q) / p) return std::nullopt;
  return a * p + q;
}

// The last continued-fraction convergent of `x` whose denominator does not exceed
// `maxDenominator`; this picks 1/3 rather than 2/7 for 0.3 with one denominator digit.
Fraction Approximate(double x, long long maxDenominator) {
  long long h0 = 0, h1 = 1, k0 = 1, k1 = 0;
  double rest = x;
  for (int step = 0; step < 64; ++step) {
    const double whole = std::floor(rest);
    if (whole > 1e15) break;
    const auto a = static_cast<long long>(whole);
    // Without an integer part the numerator grows with the value: 1e12 over a 15-digit
    // denominator no longer fits, and the last convergent that does is the answer.
    const std::optional<long long> h2 = NextTerm(a, h1, h0);
    const std::optional<long long> k2 = NextTerm(a, k1, k0);
    if (!h2 || !k2 || *k2 > maxDenominator) break;
    h0 = h1, h1 = *h2, k0 = k1, k1 = *k2;
    const double remainder = rest - whole;
    if (remainder < 5e-8) break;
    rest = 1.0 / remainder;
  }
  if (k1 == 0) return {0, 1};
  return {h1, k1};
}

Rendered RenderFraction(const Section& section, double magnitude) {
  Rendered result;
  const bool hasInteger = section.integerDigits > 0;
  double whole = 0.0;
  double part = magnitude;
  if (hasInteger) {
    whole = std::floor(magnitude);
    part = magnitude - whole;
  }
  Fraction fraction;
  if (section.fixedDenominator > 0) {
    fraction.denominator = section.fixedDenominator;
    fraction.numerator = std::llround(part * static_cast<double>(section.fixedDenominator));
  } else {
    // A double carries about 15 significant digits, so longer denominators show nothing more;
    // the cap also keeps 10^digits inside a long long.
    const int searchedDigits = std::min(section.denominatorDigits, kMaxSearchedDenominatorDigits);
    long long maxDenominator = 1;
    for (int i = 0; i < searchedDigits; ++i) maxDenominator *= 10;
    fraction = Approximate(part, std::max(1LL, maxDenominator - 1));
  }
  if (hasInteger && fraction.numerator >= fraction.denominator) {
    whole += 1.0;
    fraction.numerator = 0;
  }
  const bool blankFraction = hasInteger && fraction.numerator == 0;
  result.nonZero = whole != 0.0 || fraction.numerator != 0;

  std::string integer;
  if (whole != 0.0) {
    DecimalDigits digits = detail::ToDecimal15(whole);
    integer = detail::IntegerDigits(digits);
  } else if (blankFraction) {
    integer = "0";  // zero still shows one digit
  }
  const std::string numerator = ToDecimalString(fraction.numerator);
  const std::string denominator = ToDecimalString(fraction.denominator);

  std::string& out = result.text;
  auto emitRightAligned = [&](const Token& token, const std::string& digits, int count) {
    const int length = static_cast<int>(digits.size());
    if (token.index == 0 && length > count)
      out.append(digits, 0, static_cast<std::size_t>(length - count));
    const int position = count - 1 - token.index;
    if (position < length) {
      out += digits[static_cast<std::size_t>(length - 1 - position)];
      if (section.grouping && &digits == &integer && position > 0 && position % 3 == 0) out += ',';
    } else if (token.placeholder == '0') {
      out += '0';
    } else if (token.placeholder == '?') {
      out += ' ';
    }
  };
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kLiteral:
        // Between the integer and the numerator, and after the fraction: literal text.
        out += token.text;
        break;
      case TokenKind::kSlash:
        out += blankFraction ? ' ' : '/';
        break;
      case TokenKind::kDigit:
        if (token.role == DigitRole::kInteger) {
          emitRightAligned(token, integer, section.integerDigits);
        } else if (token.role == DigitRole::kNumerator) {
          if (blankFraction) {
            out += ' ';
          } else {
            emitRightAligned(token, numerator, section.numeratorDigits);
          }
        } else if (!token.text.empty()) {  // fixed denominator
          out += blankFraction ? std::string(token.text.size(), ' ') : token.text;
        } else {
          const auto index = static_cast<std::size_t>(token.index);
          if (blankFraction) {
            out += ' ';
          } else if (index < denominator.size()) {
            out += denominator[index];
            if (token.index == section.denominatorDigits - 1) out.append(denominator, index + 1);
          } else if (token.placeholder == '0') {
            out += '0';
          } else if (token.placeholder == '?') {
            out += ' ';
          }
        }
        break;
      default:
        break;
    }
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Dates and times

constexpr std::string_view kMonthNames[12] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr std::string_view kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

struct CivilDate {
  long long year = 1900;
  int month = 1;
  int day = 0;
  int weekday = 0;  ///< 0 = Sunday
};

// Days since 1970-01-01 to a proleptic Gregorian date (era arithmetic over 400-year cycles).
CivilDate FromUnixDays(long long days) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

// The calendar date of a whole serial day. The 1900 system counts the non-existent
// 1900-02-29 as day 60, as spreadsheets have done since their early days, and shows day 0 as
// 1900-01-00.
CivilDate DateOfSerial(long long serial, bool date1904) {
  CivilDate date;
  if (date1904) {
    date = FromUnixDays(serial - 24107);  // 1904-01-01 is 24107 days before 1970-01-01
    date.weekday = static_cast<int>((serial + 5) % 7);
    return date;
  }
  date.weekday = static_cast<int>((serial + 6) % 7);
  if (serial == 0) {
    date.year = 1900, date.month = 1, date.day = 0;
  } else if (serial == 60) {
    date.year = 1900, date.month = 2, date.day = 29;
  } else {
    date = FromUnixDays(serial - (serial < 60 ? 25568 : 25569));
    date.weekday = static_cast<int>((serial + 6) % 7);
  }
  return date;
}

bool ShowsTime(const Section& section) {
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kHour:
      case TokenKind::kMinute:
      case TokenKind::kSecond:
      case TokenKind::kSubSecond:
      case TokenKind::kAmPm:
      case TokenKind::kElapsedHours:
      case TokenKind::kElapsedMinutes:
      case TokenKind::kElapsedSeconds:
        return true;
      default:
        break;
    }
  }
  return false;
}

Rendered RenderDateTime(const Section& section, double value, const FormatOptions& options) {
  Rendered result;
  const double limit = options.date1904 ? kDateLimit1904 : kDateLimit1900;
  const double magnitude = std::fabs(value);
  if ((!section.elapsed && (value < 0.0 || value >= limit)) || magnitude >= 1e10) {
    result.overflow = true;
    return result;
  }
  long long ticksPerSecond = 1;
  for (int i = 0; i < section.subSecondDigits; ++i) ticksPerSecond *= 10;
  long long ticks = 0;
  if (ShowsTime(section)) {
    // Time is rounded to the shown fraction of a second, from the value as shown to 15
    // significant digits, and carries into minutes, hours and days.
    DecimalDigits seconds = detail::ToDecimal15(magnitude * 86400.0);
    detail::RoundToDecimals(seconds, section.subSecondDigits);
    const std::string digits =
        detail::IntegerDigits(seconds) + detail::FractionDigits(seconds, section.subSecondDigits);
    std::from_chars(digits.data(), digits.data() + digits.size(), ticks);
  } else {
    ticks = static_cast<long long>(std::floor(magnitude)) * 86400 * ticksPerSecond;
  }
  result.nonZero = ticks != 0;
  const long long ticksPerDay = 86400 * ticksPerSecond;
  const long long serial = ticks / ticksPerDay;
  const long long dayTicks = ticks % ticksPerDay;
  const long long hour = dayTicks / (3600 * ticksPerSecond);
  const long long minute = dayTicks / (60 * ticksPerSecond) % 60;
  const long long second = dayTicks / ticksPerSecond % 60;
  const long long subSecond = dayTicks % ticksPerSecond;

  bool dateNeeded = false;
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::kYear || token.kind == TokenKind::kMonth ||
        token.kind == TokenKind::kDay) {
      dateNeeded = true;
    }
  }
  const CivilDate date = dateNeeded ? DateOfSerial(serial, options.date1904) : CivilDate{};

  std::string& out = result.text;
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::kLiteral:
        out += token.text;
        break;
      case TokenKind::kYear:
        out += token.width <= 2 ? PadLeft(ToDecimalString(date.year % 100), 2)
                                : PadLeft(ToDecimalString(date.year), 4);
        break;
      case TokenKind::kMonth: {
        const std::string_view name = kMonthNames[date.month - 1];
        if (token.width == 1) {
          out += ToDecimalString(date.month);
        } else if (token.width == 2) {
          out += PadLeft(ToDecimalString(date.month), 2);
        } else if (token.width == 3) {
          out += name.substr(0, 3);
        } else if (token.width == 5) {
          out += name.front();
        } else {
          out += name;
        }
        break;
      }
      case TokenKind::kDay: {
        const std::string_view name = kDayNames[date.weekday];
        if (token.width == 1) {
          out += ToDecimalString(date.day);
        } else if (token.width == 2) {
          out += PadLeft(ToDecimalString(date.day), 2);
        } else if (token.width == 3) {
          out += name.substr(0, 3);
        } else {
          out += name;
        }
        break;
      }
      case TokenKind::kHour: {
        long long shown = hour;
        if (section.twelveHour) {
          shown = hour % 12;
          if (shown == 0) shown = 12;
        }
        out += PadLeft(ToDecimalString(shown), token.width >= 2 ? 2 : 1);
        break;
      }
      case TokenKind::kMinute:
        out += PadLeft(ToDecimalString(minute), token.width >= 2 ? 2 : 1);
        break;
      case TokenKind::kSecond:
        out += PadLeft(ToDecimalString(second), token.width >= 2 ? 2 : 1);
        break;
      case TokenKind::kSubSecond: {
        out += '.';
        const std::string digits = PadLeft(ToDecimalString(subSecond), section.subSecondDigits);
        out.append(digits, 0, static_cast<std::size_t>(token.width));
        break;
      }
      case TokenKind::kAmPm: {
        const bool morning = hour < 12;
        if (token.text.size() == 5) {
          out += morning ? "AM" : "PM";  // in capitals however the code writes it
        } else {
          out += morning ? token.text[0] : token.text[2];
        }
        break;
      }
      case TokenKind::kElapsedHours:
        out += PadLeft(ToDecimalString(ticks / (3600 * ticksPerSecond)), token.width);
        break;
      case TokenKind::kElapsedMinutes:
        out += PadLeft(ToDecimalString(ticks / (60 * ticksPerSecond)), token.width);
        break;
      case TokenKind::kElapsedSeconds:
        out += PadLeft(ToDecimalString(ticks / ticksPerSecond), token.width);
        break;
      default:
        break;
    }
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Sections

struct Choice {
  const Section* section = nullptr;  ///< null: no section applies, shown as General
  bool magnitudeOnly = false;        ///< the section writes its own sign (or none)
  bool implicitNegative = false;     ///< the second section of a code without conditions
};

Choice ChooseSection(const CompiledFormat& format, double value) {
  Choice choice;
  const int count = format.numberSections;
  if (count == 0) return choice;
  const auto& sections = format.sections;
  if (!format.anyCondition) {
    if (count == 1 || value > 0.0 || (value == 0.0 && count == 2)) {
      choice.section = &sections[0];
    } else if (value < 0.0) {
      choice.section = &sections[1];
      choice.magnitudeOnly = true;
      choice.implicitNegative = true;
    } else {
      choice.section = &sections[2];
    }
    return choice;
  }
  for (int i = 0; i < count; ++i) {
    const Section& section = sections[static_cast<std::size_t>(i)];
    if (section.condition.op == detail::ConditionOp::kNone || section.condition.Holds(value)) {
      choice.section = &section;
      choice.magnitudeOnly = section.condition.OnlyNegatives();
      return choice;
    }
  }
  return choice;
}

Rendered RenderSection(const Section& section, double value, const Choice& choice,
                       const FormatOptions& options) {
  const double magnitude = std::fabs(value);
  // General keeps its sign in the plain negative section ("0;General" shows -5 as "-5"), but
  // not in a section chosen by a condition such as [<-25].
  const bool magnitudeOnly =
      choice.magnitudeOnly && !(choice.implicitNegative && section.kind == SectionKind::kGeneral);
  Rendered rendered;
  switch (section.kind) {
    case SectionKind::kGeneral:
      rendered = RenderGeneralSection(section, magnitude);
      break;
    case SectionKind::kNumber:
      rendered = RenderFixed(section, magnitude);
      if (section.integerDigits == 0 && section.fractionDigits == 0) {
        rendered.nonZero = value != 0.0;  // literal text only: the sign still shows
      }
      break;
    case SectionKind::kScientific:
      rendered = RenderScientific(section, magnitude);
      break;
    case SectionKind::kFraction:
      rendered = RenderFraction(section, magnitude);
      break;
    case SectionKind::kDateTime:
      rendered = RenderDateTime(section, magnitudeOnly ? magnitude : value, options);
      break;
    case SectionKind::kText:
      for (const Token& token : section.tokens) {
        rendered.text += token.kind == TokenKind::kText ? GeneralText(magnitude) : token.text;
      }
      rendered.nonZero = value != 0.0;
      break;
  }
  if (!magnitudeOnly && value < 0.0 && rendered.nonZero && !rendered.overflow) {
    rendered.text.insert(0, 1, '-');
  }
  return rendered;
}

std::string GeneralWithSign(double value) {
  std::string text = GeneralText(std::fabs(value));
  if (value < 0.0) text.insert(0, 1, '-');
  return text;
}

// ---------------------------------------------------------------------------------------------
// Compiled-format cache: a workbook uses a handful of codes for thousands of cells, and the
// command-line tool computes several workbooks on parallel threads.

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept {
    return std::hash<std::string_view>{}(text);
  }
};

class FormatCache {
 public:
  std::shared_ptr<const CompiledFormat> Get(std::string_view code) {
    {
      std::shared_lock lock(mutex_);
      const auto found = formats_.find(code);
      if (found != formats_.end()) return found->second;
    }
    auto compiled = std::make_shared<const CompiledFormat>(detail::CompileFormat(code));
    std::unique_lock lock(mutex_);
    // Codes come from workbooks and users; a bound keeps a long session from growing forever.
    if (formats_.size() >= kMaxEntries) formats_.clear();
    return formats_.emplace(std::string(code), std::move(compiled)).first->second;
  }

 private:
  static constexpr std::size_t kMaxEntries = 4096;
  std::shared_mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<const CompiledFormat>, StringHash,
                     std::equal_to<>>
      formats_;
};

std::shared_ptr<const CompiledFormat> Compiled(std::string_view code) {
  static FormatCache cache;
  // Neighbouring cells mostly share their code: remembering the last one per thread spares the
  // shared lock, on which parallel workbooks would otherwise queue.
  thread_local std::string lastCode;
  thread_local std::shared_ptr<const CompiledFormat> lastFormat;
  if (lastFormat && lastCode == code) return lastFormat;
  lastFormat = cache.Get(code);
  lastCode.assign(code);
  return lastFormat;
}

bool IsGeneralCode(std::string_view code) {
  if (code.empty()) return true;
  if (code.size() != 7) return false;
  constexpr std::string_view kGeneral = "general";
  for (std::size_t i = 0; i < 7; ++i) {
    char c = code[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kGeneral[i]) return false;
  }
  return true;
}

std::string QuoteForMessage(std::string_view code) { return "\"" + std::string(code) + "\""; }

}  // namespace

std::string FormatNumber(double value, std::string_view code, const FormatOptions& options) {
  if (!std::isfinite(value)) return "#NUM!";
  if (IsGeneralCode(code)) return GeneralWithSign(value);
  const auto format = Compiled(code);
  if (!format->valid) return GeneralWithSign(value);
  const Choice choice = ChooseSection(*format, value);
  if (choice.section == nullptr) return GeneralWithSign(value);
  Rendered rendered = RenderSection(*choice.section, value, choice, options);
  if (rendered.overflow) return std::string(kCellOverflow);
  return std::move(rendered.text);
}

std::string FormatTextValue(std::string_view text, std::string_view code) {
  if (IsGeneralCode(code)) return std::string(text);
  const auto format = Compiled(code);
  if (!format->valid || format->textSection < 0) return std::string(text);
  std::string result;
  for (const Token& token :
       format->sections[static_cast<std::size_t>(format->textSection)].tokens) {
    // General in the text section stands for the text, like "@".
    if (token.kind == TokenKind::kText || token.kind == TokenKind::kGeneral) {
      result += text;
    } else if (token.kind == TokenKind::kLiteral) {
      result += token.text;
    }
  }
  return result;
}

std::string WorksheetText(double value, std::string_view code, const FormatOptions& options) {
  if (!std::isfinite(value)) {
    throw HostError(kErrCannotOpen, "TEXT: the value is not a finite number");
  }
  if (IsGeneralCode(code)) return GeneralWithSign(value);
  const auto format = Compiled(code);
  if (!format->valid) {
    throw HostError(kErrCannotOpen, "TEXT: unreadable number format " + QuoteForMessage(code));
  }
  const Choice choice = ChooseSection(*format, value);
  if (choice.section == nullptr) return GeneralWithSign(value);
  Rendered rendered = RenderSection(*choice.section, value, choice, options);
  if (rendered.overflow) {
    throw HostError(kErrCannotOpen, "TEXT: " + GeneralWithSign(value) +
                                        " is outside the date range of number format " +
                                        QuoteForMessage(code));
  }
  return std::move(rendered.text);
}

std::optional<std::uint32_t> NumberFormatColor(double value, std::string_view code) {
  if (!std::isfinite(value) || IsGeneralCode(code)) return std::nullopt;
  const auto format = Compiled(code);
  if (!format->valid) return std::nullopt;
  const Choice choice = ChooseSection(*format, value);
  if (choice.section == nullptr) return std::nullopt;
  return choice.section->color;
}

std::string_view BuiltinNumberFormat(uint32_t id) noexcept {
  switch (id) {
    case 0:
      return "General";
    case 1:
      return "0";
    case 2:
      return "0.00";
    case 3:
      return "#,##0";
    case 4:
      return "#,##0.00";
    case 5:
      return "\"$\"#,##0_);\\(\"$\"#,##0\\)";
    case 6:
      return "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)";
    case 7:
      return "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
    case 8:
      return "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)";
    case 9:
      return "0%";
    case 10:
      return "0.00%";
    case 11:
      return "0.00E+00";
    case 12:
      return "# ?/?";
    case 13:
      return "# ?\?/?\?";
    case 14:
      return "m/d/yyyy";
    case 15:
      return "d-mmm-yy";
    case 16:
      return "d-mmm";
    case 17:
      return "mmm-yy";
    case 18:
      return "h:mm AM/PM";
    case 19:
      return "h:mm:ss AM/PM";
    case 20:
      return "h:mm";
    case 21:
      return "h:mm:ss";
    case 22:
      return "m/d/yyyy h:mm";
    case 37:
      return "#,##0_);(#,##0)";
    case 38:
      return "#,##0_);[Red](#,##0)";
    case 39:
      return "#,##0.00_);(#,##0.00)";
    case 40:
      return "#,##0.00_);[Red](#,##0.00)";
    case 41:
      return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42:
      return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43:
      return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44:
      return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45:
      return "mm:ss";
    case 46:
      return "[h]:mm:ss";
    case 47:
      return "mmss.0";
    case 48:
      return "##0.0E+0";
    case 49:
      return "@";
    default:
      return {};
  }
}

}  // namespace vardex::host
