// Leica GSI (Geo Serial Interface) lines, as levels and total stations record them. A line is a
// block of data words separated by blanks; GSI-16 lines start with '*'. Each word is:
//   positions 1-2 (or 1-3)  word index (WI): what the value is (11 point id, 32 distance, ...);
//                           levelling words have three digits (331 back sight, ...)
//   up to position 6        information: position 4 automatic index, 5 input mode, 6 units;
//                           for WI 11 and 41, positions 3-6 are the block number
//   position 7              sign, '+' or '-'
//   positions 8-15 (GSI-8) or 8-23 (GSI-16)  the value, right-aligned, without a decimal point
// Units (position 6) of lengths: 0 metre (last digit 1 mm), 1 foot (1/1000 ft), 6 metre
// (1/10 mm), 7 foot (1/10 000 ft), 8 metre (1/100 mm).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fielddata/field_file.hpp"

namespace vardex::gsi {

/// One data word of a line.
struct Word {
  int Index = 0;     ///< the word index, e.g. 11, 32, 331
  char Units = '.';  ///< position 6
  bool Negative = false;
  std::string Value;  ///< the value characters (8 or 16 columns), as recorded
};

/// True when the line looks like GSI: an optional '*', two digits, four information characters
/// and a sign.
bool LooksLikeGsi(std::string_view line) noexcept;

/// The words of one line. Throws FieldDataError naming `file` and the line for a word of the
/// wrong length (a truncated line), a word without its sign, and an unknown word index.
std::vector<Word> ParseLine(const FieldLine& line, std::string_view file);

/// The first word of `index` in `words`, or null.
const Word* Find(const std::vector<Word>& words, int index) noexcept;

/// A length word in metres, by its units code. Throws FieldDataError for a units code that is
/// not a length or a value that is not digits.
double Length(const Word& word, const FieldLine& line, std::string_view file);

/// A text word (point id): the value without the zeros that pad it on the left (at least one
/// character is kept).
std::string Text(const Word& word);

/// A word as written: `index` (two or three digits) with information characters up to position
/// 6 ending in `units`, the sign and the value right-aligned in `width` (8 or 16) columns,
/// padded with '0'. The value must fit.
std::string Format(int index, char units, bool negative, std::string_view value, int width);

}  // namespace vardex::gsi
