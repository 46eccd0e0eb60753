// Splitting GSI lines into words and reading their values.
#include "fielddata/gsi_words.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "fielddata/fielddata_texts.hpp"

namespace vardex::gsi {
namespace {

namespace texts = fielddata_texts;

// The word indices of levels and total stations: 11 point id; 12 serial number; 13 instrument
// type; 17, 18, 19 date and time; 21 horizontal and 22 vertical angle; 25 to 28 angle
// differences and offsets; 31 slope and 32 horizontal distance; 33 height difference; 34, 35
// stake-out differences; 41 code block; 42 to 49 information 1 to 8; 51 to 59 constants and
// corrections; 71 to 79 remarks and attributes; 81, 82, 83 easting, northing and elevation of
// the target; 84, 85, 86 those of the station; 87 reflector and 88 instrument height; 95
// temperature. Levels add 330 staff reading (measure only), 331 back sight, 332 fore sight, 333
// intermediate sight, 334 stake-out reading, 335 second back sight, 336 second fore sight, 374
// stake-out height difference, 390 number of readings, 391 standard deviation, 392 spread, 560
// to 562 and 599 instrument information, 571 station difference, 572 its sum, 573 distance
// balance and 574 line length.
constexpr std::array<int, 61> kKnownIndices{
    11, 12, 13, 17, 18, 19, 21, 22,  25,  26,  27,  28,  31,  32,  33,  34,  35,  41,  42, 43, 44,
    45, 46, 47, 48, 49, 51, 52, 53,  58,  59,  71,  72,  73,  74,  75,  76,  77,  78,  79, 81, 82,
    83, 84, 85, 86, 87, 88, 95, 330, 331, 332, 333, 334, 335, 336, 374, 390, 391, 392, 571};
constexpr std::array<int, 7> kMoreKnownIndices{572, 573, 574, 560, 561, 562, 599};

bool Known(int index) {
  return std::find(kKnownIndices.begin(), kKnownIndices.end(), index) != kKnownIndices.end() ||
         std::find(kMoreKnownIndices.begin(), kMoreKnownIndices.end(), index) !=
             kMoreKnownIndices.end();
}

// Words whose value is text (ids, codes, remarks) rather than a number.
bool IsTextWord(int index) {
  return index == 11 || index == 12 || index == 13 || (index >= 41 && index <= 49) ||
         (index >= 71 && index <= 79);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    const std::size_t end = text.find(' ', start);
    out.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) break;
    at = end;
  }
  return out;
}

}  // namespace

bool LooksLikeGsi(std::string_view line) noexcept {
  if (line.starts_with('*')) line.remove_prefix(1);
  return line.size() >= 7 && IsDigit(line[0]) && IsDigit(line[1]) &&
         (line[6] == '+' || line[6] == '-');
}

std::vector<Word> ParseLine(const FieldLine& line, std::string_view file) {
  std::string_view text = line.Text;
  const bool gsi16 = text.starts_with('*');
  if (gsi16) text.remove_prefix(1);
  const std::size_t width = gsi16 ? 16 : 8;
  std::vector<Word> words;
  const std::vector<std::string_view> tokens = Tokens(text);
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const std::string_view token = tokens[k];
    const std::string ordinal = std::to_string(k + 1);
    if (token.size() < 7 || !IsDigit(token[0]) || !IsDigit(token[1]) ||
        (token[6] != '+' && token[6] != '-')) {
      throw FieldDataError(file, line.Number, texts::GsiBadWord(ordinal, token));
    }
    Word word;
    // WI 11 and 41 carry the block number in positions 3 to 6; other words whose third
    // character is a digit have a three-digit index.
    const bool three_digits =
        IsDigit(token[2]) && !token.starts_with("11") && !token.starts_with("41");
    word.Index = (token[0] - '0') * 10 + (token[1] - '0');
    if (three_digits) word.Index = word.Index * 10 + (token[2] - '0');
    if (!Known(word.Index)) {
      throw FieldDataError(file, line.Number,
                           texts::GsiUnknownIndex(ordinal, std::to_string(word.Index)));
    }
    word.Units = token[5];
    word.Negative = token[6] == '-';
    word.Value = std::string(token.substr(7));
    const std::size_t found = IsTextWord(word.Index) ? RecordWidth(word.Value) : word.Value.size();
    if (found != width) {
      throw FieldDataError(file, line.Number,
                           texts::GsiWrongWidth(ordinal, token, gsi16, width, found));
    }
    words.push_back(std::move(word));
  }
  return words;
}

const Word* Find(const std::vector<Word>& words, int index) noexcept {
  for (const Word& word : words) {
    if (word.Index == index) return &word;
  }
  return nullptr;
}

double Length(const Word& word, const FieldLine& line, std::string_view file) {
  // Digits of the last place per unit: the value is a whole number of them.
  double places = 0;
  double foot = 1;
  switch (word.Units) {
    case '0':
      places = 1e3;
      break;
    case '1':
      places = 1e3;
      foot = 0.3048;
      break;
    case '6':
      places = 1e4;
      break;
    case '7':
      places = 1e4;
      foot = 0.3048;
      break;
    case '8':
      places = 1e5;
      break;
    default:
      throw FieldDataError(file, line.Number,
                           texts::GsiBadUnits(std::to_string(word.Index), word.Units));
  }
  int64_t digits = 0;
  for (const char c : word.Value) {
    if (!IsDigit(c)) {
      throw FieldDataError(file, line.Number,
                           texts::GsiNotANumber(std::to_string(word.Index), word.Value));
    }
    digits = digits * 10 + (c - '0');
  }
  // Divided rather than multiplied by the place value, so that 1523 mm is exactly the double
  // nearest to 1.523 m.
  const double value = static_cast<double>(digits) / places * foot;
  return word.Negative ? -value : value;
}

std::string Text(const Word& word) {
  const std::size_t first = word.Value.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  return word.Value.substr(first);
}

std::string Format(int index, char units, bool negative, std::string_view value, int width) {
  std::string word = std::to_string(index);
  // Information up to position 6: dots for the unused places, the units code last.
  while (word.size() < 5) word += '.';
  word += units;
  word += negative ? '-' : '+';
  const auto pad = static_cast<std::size_t>(width) -
                   std::min<std::size_t>(static_cast<std::size_t>(width), RecordWidth(value));
  word.append(pad, '0');
  word += value;
  return word;
}

}  // namespace vardex::gsi
