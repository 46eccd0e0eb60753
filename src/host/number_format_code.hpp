// A number format code compiled once into sections of tokens, so that rendering a cell walks a
// ready list instead of re-reading the code.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardex::host::detail {

enum class TokenKind : std::uint8_t {
  kLiteral,         ///< text copied as is (quoted, escaped, bare, or the space of "_x")
  kDigit,           ///< a digit placeholder '0', '#' or '?'
  kPoint,           ///< the decimal point of a number
  kComma,           ///< ',' before layout analysis (grouping, scaling or literal)
  kPercent,         ///< '%': shows "%" and multiplies by 100
  kExponent,        ///< "E+" / "E-" (text keeps the letter's case)
  kSlash,           ///< '/' of a fraction
  kText,            ///< '@'
  kGeneral,         ///< "General"
  kYear,            ///< y.. (width = letters)
  kMonth,           ///< m.. read as a month
  kMinute,          ///< m or mm read as minutes
  kDay,             ///< d..
  kHour,            ///< h..
  kSecond,          ///< s..
  kSubSecond,       ///< ".0", ".00", ".000" after seconds (width = decimals)
  kAmPm,            ///< "AM/PM" or "A/P" (text as written)
  kElapsedHours,    ///< [h], [hh]
  kElapsedMinutes,  ///< [m], [mm]
  kElapsedSeconds,  ///< [s], [ss]
};

/// Where a digit placeholder of a number section puts its digit.
enum class DigitRole : std::uint8_t {
  kInteger,
  kFraction,
  kExponent,
  kNumerator,
  kDenominator,
};

struct Token {
  TokenKind kind = TokenKind::kLiteral;
  std::string text;  ///< literal text, exponent letter, AM/PM as written, fixed denominator
  char placeholder = 0;
  int width = 0;  ///< letters of a date token, decimals of sub-seconds
  DigitRole role = DigitRole::kInteger;
  int index = 0;  ///< position of a placeholder within its role, counted from the left
};

enum class SectionKind : std::uint8_t {
  kNumber,      ///< fixed-point digits (possibly none: literal text only)
  kScientific,  ///< mantissa and exponent
  kFraction,    ///< integer, numerator and denominator
  kDateTime,    ///< calendar date, clock time and elapsed time
  kGeneral,     ///< "General" with optional literals
  kText,        ///< a section with '@'
};

enum class ConditionOp : std::uint8_t {
  kNone,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
  kEqual,
  kNotEqual
};

struct Condition {
  ConditionOp op = ConditionOp::kNone;
  double operand = 0.0;

  bool Holds(double value) const noexcept;
  /// True when only negative values can satisfy it.
  bool OnlyNegatives() const noexcept;
};

struct Section {
  SectionKind kind = SectionKind::kNumber;
  std::vector<Token> tokens;
  Condition condition;
  std::optional<std::uint32_t> color;  ///< 0xRRGGBB

  // Number, scientific and fraction layout.
  int integerDigits = 0;
  int fractionDigits = 0;
  int exponentDigits = 0;  ///< '0' placeholders of the exponent (its minimum width)
  bool grouping = false;
  int decimalShift = 0;  ///< +2 per '%', -3 per scaling ','
  bool hasPoint = false;
  int numeratorDigits = 0;
  int denominatorDigits = 0;
  long fixedDenominator = 0;  ///< 0 when the denominator is chosen per value

  // Date and time.
  bool twelveHour = false;
  bool elapsed = false;
  int subSecondDigits = 0;
};

struct CompiledFormat {
  std::vector<Section> sections;  ///< at most four
  bool valid = true;              ///< false: unreadable code, shown as General
  bool anyCondition = false;
  int textSection = -1;  ///< index of the section for text values, -1 when none
  int numberSections = 0;
};

/// Compiles `code` (empty means General). Never throws; an unreadable code gives valid == false.
CompiledFormat CompileFormat(std::string_view code);

}  // namespace vardex::host::detail
