// Reading of number format codes into sections of tokens.
#include "host/number_format_code.hpp"

#include "host/legacy_palette.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <utility>

namespace vardex::host::detail {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

std::string LowerCopy(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = LowerAscii(c);
  return result;
}

// Bytes of the UTF-8 sequence that starts with `lead` (1 for stray continuation bytes, so that
// malformed input still advances).
std::size_t Utf8Length(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  if (byte >= 0xF0) return 4;
  if (byte >= 0xE0) return 3;
  if (byte >= 0xC0) return 2;
  return 1;
}

struct NamedColor {
  std::string_view name;
  std::uint32_t rgb;
};
constexpr std::array<NamedColor, 8> kNamedColors = {{{"black", 0x000000},
                                                     {"blue", 0x0000FF},
                                                     {"cyan", 0x00FFFF},
                                                     {"green", 0x00FF00},
                                                     {"magenta", 0xFF00FF},
                                                     {"red", 0xFF0000},
                                                     {"white", 0xFFFFFF},
                                                     {"yellow", 0xFFFF00}}};

bool IsDateKind(TokenKind kind) {
  switch (kind) {
    case TokenKind::kYear:
    case TokenKind::kMonth:
    case TokenKind::kMinute:
    case TokenKind::kDay:
    case TokenKind::kHour:
    case TokenKind::kSecond:
    case TokenKind::kAmPm:
    case TokenKind::kElapsedHours:
    case TokenKind::kElapsedMinutes:
    case TokenKind::kElapsedSeconds:
      return true;
    default:
      return false;
  }
}

// Reads one format code into raw sections; layout analysis comes afterwards.
class CodeReader {
 public:
  explicit CodeReader(std::string_view code) : code_(code) {}

  bool Read(std::vector<Section>& sections) {
    sections.emplace_back();
    std::size_t i = 0;
    while (i < code_.size()) {
      Section& section = sections.back();
      const char c = code_[i];
      switch (c) {
        case ';':
          sections.emplace_back();
          ++i;
          break;
        case '"': {
          const std::size_t close = code_.find('"', i + 1);
          if (close == std::string_view::npos) return false;
          AddLiteral(section, code_.substr(i + 1, close - i - 1));
          i = close + 1;
          break;
        }
        case '\\': {
          if (i + 1 >= code_.size()) return false;
          const std::size_t length = Utf8Length(code_[i + 1]);
          AddLiteral(section, code_.substr(i + 1, length));
          i += 1 + length;
          break;
        }
        case '_':
          // Space as wide as the next character: a plain space in text.
          if (i + 1 >= code_.size()) return false;
          AddLiteral(section, " ");
          i += 1 + Utf8Length(code_[i + 1]);
          break;
        case '*':
          // Fill to the cell width: a cell of unknown width shows no fill.
          if (i + 1 >= code_.size()) return false;
          i += 1 + Utf8Length(code_[i + 1]);
          break;
        case '[': {
          const std::size_t close = code_.find(']', i + 1);
          if (close == std::string_view::npos) return false;
          if (!ReadBracket(section, code_.substr(i + 1, close - i - 1))) return false;
          i = close + 1;
          break;
        }
        case '0':
        case '#':
        case '?':
          section.tokens.push_back(Token{TokenKind::kDigit, {}, c});
          ++i;
          break;
        case '.':
          Add(section, TokenKind::kPoint);
          ++i;
          break;
        case ',':
          Add(section, TokenKind::kComma);
          ++i;
          break;
        case '%':
          Add(section, TokenKind::kPercent);
          ++i;
          break;
        case '/':
          Add(section, TokenKind::kSlash);
          ++i;
          break;
        case '@':
          Add(section, TokenKind::kText);
          ++i;
          break;
        default:
          i = ReadLetters(section, i);
          break;
      }
    }
    return true;
  }

 private:
  static void Add(Section& section, TokenKind kind, int width = 0) {
    Token token;
    token.kind = kind;
    token.width = width;
    section.tokens.push_back(std::move(token));
  }

  static void AddLiteral(Section& section, std::string_view text) {
    if (text.empty()) return;
    if (!section.tokens.empty() && section.tokens.back().kind == TokenKind::kLiteral) {
      section.tokens.back().text.append(text);
      return;
    }
    Token token;
    token.text = std::string(text);
    section.tokens.push_back(std::move(token));
  }

  std::size_t ReadLetters(Section& section, std::size_t i) {
    const std::string_view rest = code_.substr(i);
    const char lower = LowerAscii(rest.front());
    if (StartsWithNoCase(rest, "general")) {
      Add(section, TokenKind::kGeneral);
      return i + 7;
    }
    if (StartsWithNoCase(rest, "am/pm")) {
      Token token{TokenKind::kAmPm, std::string(rest.substr(0, 5))};
      section.tokens.push_back(std::move(token));
      return i + 5;
    }
    if (StartsWithNoCase(rest, "a/p")) {
      Token token{TokenKind::kAmPm, std::string(rest.substr(0, 3))};
      section.tokens.push_back(std::move(token));
      return i + 3;
    }
    if (lower == 'e' && rest.size() > 1 && (rest[1] == '+' || rest[1] == '-')) {
      Token token{TokenKind::kExponent, std::string(rest.substr(0, 2))};
      section.tokens.push_back(std::move(token));
      return i + 2;
    }
    if (lower == 'b' && rest.size() > 1 && (rest[1] == '1' || rest[1] == '2')) {
      return i + 2;  // calendar switch (Gregorian / Hijri): only the Gregorian one is drawn
    }
    TokenKind kind = TokenKind::kLiteral;
    switch (lower) {
      case 'y':
      case 'e':  // "e" is the year in full
        kind = TokenKind::kYear;
        break;
      case 'm':
        kind = TokenKind::kMonth;
        break;
      case 'd':
        kind = TokenKind::kDay;
        break;
      case 'h':
        kind = TokenKind::kHour;
        break;
      case 's':
        kind = TokenKind::kSecond;
        break;
      default:
        break;
    }
    if (kind == TokenKind::kLiteral) {
      const std::size_t length = Utf8Length(rest.front());
      AddLiteral(section, rest.substr(0, length));
      return i + length;
    }
    std::size_t count = 1;
    while (count < rest.size() && LowerAscii(rest[count]) == lower) ++count;
    Add(section, kind, lower == 'e' ? 4 : static_cast<int>(count));
    return i + count;
  }

  bool ReadBracket(Section& section, std::string_view content) {
    if (content.empty()) return false;
    const std::string lower = LowerCopy(content);
    for (const NamedColor& named : kNamedColors) {
      if (lower == named.name) {
        section.color = named.rgb;
        return true;
      }
    }
    if (lower.starts_with("color")) {
      int index = 0;
      const char* first = lower.data() + 5;
      const char* last = lower.data() + lower.size();
      const auto [end, error] = std::from_chars(first, last, index);
      if (error != std::errc() || end != last || index < 1 || index > 56) return false;
      section.color = kLegacyPalette[static_cast<std::size_t>(index - 1)];
      return true;
    }
    const char first = content.front();
    if (first == '<' || first == '>' || first == '=') return ReadCondition(section, content);
    if (first == '$') {
      const std::size_t dash = content.find('-', 1);
      AddLiteral(section,
                 content.substr(1, dash == std::string_view::npos ? content.npos : dash - 1));
      return true;
    }
    const char unit = lower.front();
    if ((unit == 'h' || unit == 'm' || unit == 's') &&
        lower.find_first_not_of(unit) == std::string::npos) {
      const TokenKind kind = unit == 'h'   ? TokenKind::kElapsedHours
                             : unit == 'm' ? TokenKind::kElapsedMinutes
                                           : TokenKind::kElapsedSeconds;
      Add(section, kind, static_cast<int>(lower.size()));
      return true;
    }
    return true;  // other modifiers (number systems, locales) change nothing here
  }

  static bool ReadCondition(Section& section, std::string_view content) {
    ConditionOp op = ConditionOp::kNone;
    std::size_t length = 1;
    if (content.starts_with("<=")) {
      op = ConditionOp::kLessEqual, length = 2;
    } else if (content.starts_with(">=")) {
      op = ConditionOp::kGreaterEqual, length = 2;
    } else if (content.starts_with("<>")) {
      op = ConditionOp::kNotEqual, length = 2;
    } else if (content.front() == '<') {
      op = ConditionOp::kLess;
    } else if (content.front() == '>') {
      op = ConditionOp::kGreater;
    } else {
      op = ConditionOp::kEqual;
    }
    std::string_view number = content.substr(length);
    while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    double operand = 0.0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), operand);
    if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
      return false;
    }
    section.condition = Condition{op, operand};
    return true;
  }

  std::string_view code_;
};

void TurnIntoLiteral(Token& token) {
  std::string text;
  switch (token.kind) {
    case TokenKind::kDigit:
      text = std::string(1, token.placeholder);
      break;
    case TokenKind::kPoint:
      text = ".";
      break;
    case TokenKind::kComma:
      text = ",";
      break;
    case TokenKind::kPercent:
      text = "%";
      break;
    case TokenKind::kSlash:
      text = "/";
      break;
    case TokenKind::kGeneral:
      text = "General";
      break;
    case TokenKind::kExponent:
      text = token.text;
      break;
    default:
      return;
  }
  token = Token{};
  token.text = std::move(text);
}

void MergeLiterals(std::vector<Token>& tokens) {
  std::vector<Token> merged;
  merged.reserve(tokens.size());
  for (Token& token : tokens) {
    if (token.kind == TokenKind::kLiteral && !merged.empty() &&
        merged.back().kind == TokenKind::kLiteral) {
      merged.back().text += token.text;
    } else {
      merged.push_back(std::move(token));
    }
  }
  tokens = std::move(merged);
}

bool AnalyseDateTime(Section& section) {
  section.kind = SectionKind::kDateTime;
  std::vector<Token>& tokens = section.tokens;
  std::vector<std::size_t> dateTokens;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (IsDateKind(tokens[i].kind)) dateTokens.push_back(i);
  }
  // m and mm mean minutes next to hours or seconds, months everywhere else.
  for (std::size_t k = 0; k < dateTokens.size(); ++k) {
    Token& token = tokens[dateTokens[k]];
    if (token.kind != TokenKind::kMonth || token.width > 2) continue;
    const bool afterHour = k > 0 && (tokens[dateTokens[k - 1]].kind == TokenKind::kHour ||
                                     tokens[dateTokens[k - 1]].kind == TokenKind::kElapsedHours);
    const bool beforeSecond =
        k + 1 < dateTokens.size() && (tokens[dateTokens[k + 1]].kind == TokenKind::kSecond ||
                                      tokens[dateTokens[k + 1]].kind == TokenKind::kElapsedSeconds);
    if (afterHour || beforeSecond) token.kind = TokenKind::kMinute;
  }
  // An elapsed unit below a clock unit already shown ("hh[m]") has no meaning.
  int clockUnit = 0;  // 3 hours, 2 minutes, 1 seconds
  for (std::size_t index : dateTokens) {
    switch (tokens[index].kind) {
      case TokenKind::kHour:
        clockUnit = std::max(clockUnit, 3);
        break;
      case TokenKind::kMinute:
        clockUnit = std::max(clockUnit, 2);
        break;
      case TokenKind::kElapsedHours:
        if (clockUnit > 0) return false;
        break;
      case TokenKind::kElapsedMinutes:
        if (clockUnit > 1) return false;
        break;
      case TokenKind::kElapsedSeconds:
        if (clockUnit > 0) return false;
        break;
      default:
        break;
    }
  }
  bool clockSeen = false;
  std::vector<Token> result;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    Token& token = tokens[i];
    // Decimals after any clock unit are fractions of a second ("hh.000" too).
    if (token.kind == TokenKind::kSecond || token.kind == TokenKind::kElapsedSeconds ||
        token.kind == TokenKind::kHour || token.kind == TokenKind::kMinute ||
        token.kind == TokenKind::kElapsedHours || token.kind == TokenKind::kElapsedMinutes) {
      clockSeen = true;
    }
    if (token.kind == TokenKind::kPoint && clockSeen && i + 1 < tokens.size() &&
        tokens[i + 1].kind == TokenKind::kDigit && tokens[i + 1].placeholder == '0') {
      int zeros = 0;
      while (i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::kDigit &&
             tokens[i + 1].placeholder == '0') {
        ++zeros;
        ++i;
      }
      if (zeros > 3) return false;
      Token subSecond;
      subSecond.kind = TokenKind::kSubSecond;
      subSecond.width = zeros;
      section.subSecondDigits = std::max(section.subSecondDigits, zeros);
      result.push_back(std::move(subSecond));
      continue;
    }
    TurnIntoLiteral(token);
    if (token.kind == TokenKind::kAmPm) section.twelveHour = true;
    if (token.kind == TokenKind::kElapsedHours || token.kind == TokenKind::kElapsedMinutes ||
        token.kind == TokenKind::kElapsedSeconds) {
      section.elapsed = true;
    }
    result.push_back(std::move(token));
  }
  tokens = std::move(result);
  MergeLiterals(tokens);
  return true;
}

// Assigns every digit placeholder its role and resolves commas.
void AnalyseNumber(Section& section) {
  std::vector<Token>& tokens = section.tokens;
  section.kind = SectionKind::kNumber;

  std::size_t slash = tokens.size();
  bool digitBeforeSlash = false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == TokenKind::kSlash) {
      if (digitBeforeSlash) slash = i;
      break;
    }
    if (tokens[i].kind == TokenKind::kDigit) digitBeforeSlash = true;
  }
  bool hasExponent = false;
  for (const Token& token : tokens) {
    if (token.kind == TokenKind::kExponent) hasExponent = true;
  }

  std::vector<Token> result;
  result.reserve(tokens.size());
  if (slash < tokens.size()) {
    section.kind = SectionKind::kFraction;
    std::size_t numeratorStart = slash;
    while (numeratorStart > 0 && tokens[numeratorStart - 1].kind == TokenKind::kDigit) {
      --numeratorStart;
    }
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      Token& token = tokens[i];
      if (i == slash) {
        result.push_back(std::move(token));
        // A number after the slash is a fixed denominator; its zeros were read as
        // placeholders ("?/10", "??/100").
        std::string number;
        std::size_t next = i + 1;
        while (next < tokens.size()) {
          Token& following = tokens[next];
          if (following.kind == TokenKind::kDigit && following.placeholder == '0' &&
              !number.empty()) {
            number += '0';
            ++next;
            continue;
          }
          if (following.kind != TokenKind::kLiteral) break;
          const std::size_t digits = following.text.find_first_not_of("0123456789");
          if (number.empty() && (following.text.front() < '1' || following.text.front() > '9')) {
            break;
          }
          number += following.text.substr(0, digits);
          following.text.erase(0, digits == std::string::npos ? following.text.size() : digits);
          if (!following.text.empty()) break;
          ++next;
        }
        if (!number.empty()) {
          Token denominator;
          denominator.kind = TokenKind::kDigit;
          denominator.role = DigitRole::kDenominator;
          denominator.text = number;
          std::from_chars(number.data(), number.data() + number.size(), section.fixedDenominator);
          section.denominatorDigits = static_cast<int>(number.size());
          result.push_back(std::move(denominator));
          i = next - 1;
        }
        continue;
      }
      if (token.kind == TokenKind::kDigit) {
        if (i > slash) {
          if (section.fixedDenominator != 0) {
            TurnIntoLiteral(token);
          } else {
            token.role = DigitRole::kDenominator;
            token.index = section.denominatorDigits++;
          }
        } else if (i >= numeratorStart) {
          token.role = DigitRole::kNumerator;
          token.index = section.numeratorDigits++;
        } else {
          token.role = DigitRole::kInteger;
          token.index = section.integerDigits++;
        }
      } else if (token.kind == TokenKind::kComma && i < numeratorStart && i > 0 &&
                 tokens[i - 1].kind == TokenKind::kDigit && i + 1 < numeratorStart &&
                 tokens[i + 1].kind == TokenKind::kDigit) {
        section.grouping = true;
        continue;
      } else {
        TurnIntoLiteral(token);
      }
      if (token.kind == TokenKind::kLiteral && token.text.empty()) continue;
      result.push_back(std::move(token));
    }
    tokens = std::move(result);
    MergeLiterals(tokens);
    return;
  }

  if (hasExponent) section.kind = SectionKind::kScientific;
  enum class Phase { kInteger, kFraction, kExponent } phase = Phase::kInteger;
  bool exponentSeen = false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    Token& token = tokens[i];
    switch (token.kind) {
      case TokenKind::kDigit:
        if (phase == Phase::kInteger) {
          token.role = DigitRole::kInteger;
          token.index = section.integerDigits++;
        } else if (phase == Phase::kFraction) {
          token.role = DigitRole::kFraction;
          token.index = section.fractionDigits++;
        } else {
          token.role = DigitRole::kExponent;
          token.index = section.exponentDigits;
          if (token.placeholder == '0') ++section.exponentDigits;
        }
        result.push_back(std::move(token));
        break;
      case TokenKind::kPoint:
        if (phase == Phase::kInteger && !section.hasPoint) {
          section.hasPoint = true;
          phase = Phase::kFraction;
          result.push_back(std::move(token));
        } else {
          TurnIntoLiteral(token);
          result.push_back(std::move(token));
        }
        break;
      case TokenKind::kExponent:
        if (!exponentSeen) {
          exponentSeen = true;
          phase = Phase::kExponent;
          result.push_back(std::move(token));
        } else {
          TurnIntoLiteral(token);
          result.push_back(std::move(token));
        }
        break;
      case TokenKind::kComma: {
        std::size_t end = i;
        while (end < tokens.size() && tokens[end].kind == TokenKind::kComma) ++end;
        const bool afterDigit = i > 0 && tokens[i - 1].kind == TokenKind::kDigit;
        if (afterDigit && phase == Phase::kInteger && end < tokens.size() &&
            tokens[end].kind == TokenKind::kDigit) {
          section.grouping = true;
        } else if (afterDigit && phase != Phase::kExponent) {
          section.decimalShift -= 3 * static_cast<int>(end - i);
        } else {
          for (std::size_t k = i; k < end; ++k) {
            Token comma;
            comma.text = ",";
            result.push_back(std::move(comma));
          }
        }
        i = end - 1;
        break;
      }
      case TokenKind::kPercent:
        section.decimalShift += 2;
        TurnIntoLiteral(token);
        result.push_back(std::move(token));
        break;
      default:
        TurnIntoLiteral(token);
        result.push_back(std::move(token));
        break;
    }
  }
  tokens = std::move(result);
  MergeLiterals(tokens);
}

void AnalyseSection(Section& section, bool& valid) {
  bool hasDate = false;
  bool hasText = false;
  bool hasGeneral = false;
  for (const Token& token : section.tokens) {
    hasDate = hasDate || IsDateKind(token.kind);
    hasText = hasText || token.kind == TokenKind::kText;
    hasGeneral = hasGeneral || token.kind == TokenKind::kGeneral;
  }
  if (hasText) {
    section.kind = SectionKind::kText;
    for (Token& token : section.tokens) {
      if (token.kind != TokenKind::kText) TurnIntoLiteral(token);
    }
    MergeLiterals(section.tokens);
  } else if (hasDate) {
    if (!AnalyseDateTime(section)) valid = false;
  } else if (hasGeneral) {
    section.kind = SectionKind::kGeneral;
    for (Token& token : section.tokens) {
      if (token.kind != TokenKind::kGeneral) TurnIntoLiteral(token);
    }
    MergeLiterals(section.tokens);
  } else {
    AnalyseNumber(section);
  }
}

// The operating system's long date and long time formats, written out for a fixed
// (United States English) system so that the result does not depend on the machine.
std::string_view SystemFormat(std::string_view section) {
  const std::string lower = LowerCopy(section);
  if (lower.find("[$-f800]") != std::string::npos) return "dddd, mmmm d, yyyy";
  if (lower.find("[$-f400]") != std::string::npos) return "hh:mm:ss";
  return {};
}

}  // namespace

bool Condition::Holds(double value) const noexcept {
  switch (op) {
    case ConditionOp::kNone:
      return true;
    case ConditionOp::kLess:
      return value < operand;
    case ConditionOp::kLessEqual:
      return value <= operand;
    case ConditionOp::kGreater:
      return value > operand;
    case ConditionOp::kGreaterEqual:
      return value >= operand;
    case ConditionOp::kEqual:
      return value == operand;
    case ConditionOp::kNotEqual:
      return value != operand;
  }
  return false;
}

bool Condition::OnlyNegatives() const noexcept {
  switch (op) {
    case ConditionOp::kLess:
      return operand <= 0.0;
    case ConditionOp::kLessEqual:
    case ConditionOp::kEqual:
      return operand < 0.0;
    default:
      return false;
  }
}

CompiledFormat CompileFormat(std::string_view code) {
  CompiledFormat compiled;
  std::vector<Section> sections;
  if (!CodeReader(code).Read(sections) || sections.size() > 4) {
    compiled.valid = false;
    return compiled;
  }
  // Sections that name a system format are replaced by it, keeping colour and condition.
  {
    std::size_t start = 0;
    std::size_t sectionIndex = 0;
    bool inQuote = false;
    for (std::size_t i = 0; i <= code.size() && sectionIndex < sections.size(); ++i) {
      if (i < code.size() && code[i] == '"') inQuote = !inQuote;
      if (i < code.size() && code[i] == '\\' && !inQuote) {
        ++i;
        continue;
      }
      if (i == code.size() || (code[i] == ';' && !inQuote)) {
        const std::string_view system = SystemFormat(code.substr(start, i - start));
        if (!system.empty()) {
          std::vector<Section> replacement;
          CodeReader(system).Read(replacement);
          sections[sectionIndex].tokens = std::move(replacement.front().tokens);
        }
        start = i + 1;
        ++sectionIndex;
      }
    }
  }
  for (Section& section : sections) AnalyseSection(section, compiled.valid);
  if (!compiled.valid) return compiled;

  const int count = static_cast<int>(sections.size());
  if (count == 4) {
    compiled.textSection = 3;
  } else if (sections.back().kind == SectionKind::kText) {
    compiled.textSection = count - 1;
  }
  compiled.numberSections =
      compiled.textSection >= 0 ? std::min(count, compiled.textSection) : std::min(count, 3);
  for (int i = 0; i < compiled.numberSections; ++i) {
    if (sections[static_cast<std::size_t>(i)].condition.op != ConditionOp::kNone) {
      compiled.anyCondition = true;
    }
  }
  compiled.sections = std::move(sections);
  return compiled;
}

}  // namespace vardex::host::detail
