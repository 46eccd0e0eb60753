// A1 references: parsing and formatting within the bounds of an .xlsx sheet.
#include "host/cell_ref.hpp"

#include <string>

namespace vardex::host {
namespace {

bool IsLetter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<CellRef> ParseCellRef(std::string_view text) noexcept {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  int32_t column = 0;
  std::size_t letters = 0;
  while (i < text.size() && IsLetter(text[i])) {
    if (++letters > 3) return std::nullopt;
    const char upper = static_cast<char>(text[i] & ~0x20);
    column = column * 26 + (upper - 'A' + 1);
    ++i;
  }
  if (letters == 0 || column > kMaxColumns) return std::nullopt;
  if (i < text.size() && text[i] == '$') ++i;
  int32_t row = 0;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    // Eight digits already exceed the last row; stop before the value can overflow.
    if (++digits > 7) return std::nullopt;
    row = row * 10 + (text[i] - '0');
    ++i;
  }
  if (digits == 0 || i != text.size() || row < 1 || row > kMaxRows) return std::nullopt;
  return CellRef{row, column};
}

namespace {

// "C" or "$C" as a whole column ({1, 3}) and "7" or "$7" as a whole row ({7, 1}), with the far
// corner of the line in `far`; empty for anything else.
std::optional<CellRef> LineStart(std::string_view text, bool column, CellRef& far) noexcept {
  if (!text.empty() && text.front() == '$') text.remove_prefix(1);
  if (text.empty() || text.size() > 7) return std::nullopt;
  for (char c : text)
    if (column ? !IsLetter(c) : !IsDigit(c)) return std::nullopt;
  const auto cell = ParseCellRef(column ? std::string(text) + "1" : "A" + std::string(text));
  if (!cell) return std::nullopt;
  far = column ? CellRef{kMaxRows, cell->column} : CellRef{cell->row, kMaxColumns};
  return cell;
}

}  // namespace

std::optional<RangeRef> ParseRangeRef(std::string_view text) noexcept {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    auto cell = ParseCellRef(text);
    if (!cell) return std::nullopt;
    return RangeRef{*cell, *cell};
  }
  auto a = ParseCellRef(text.substr(0, colon));
  auto b = ParseCellRef(text.substr(colon + 1));
  // Whole columns ("A:C") and whole rows ("1:3").
  for (const bool column : {true, false}) {
    if (a || b) break;
    CellRef far_a, far_b;
    const auto start_a = LineStart(text.substr(0, colon), column, far_a);
    const auto start_b = LineStart(text.substr(colon + 1), column, far_b);
    if (start_a && start_b) {
      a = *start_a;
      b = far_b;
      if (column ? start_b->column < start_a->column : start_b->row < start_a->row) {
        a = *start_b;
        b = far_a;
      }
    }
  }
  if (!a || !b) return std::nullopt;
  RangeRef r;
  r.first = {a->row < b->row ? a->row : b->row, a->column < b->column ? a->column : b->column};
  r.last = {a->row < b->row ? b->row : a->row, a->column < b->column ? b->column : a->column};
  return r;
}

std::string ColumnName(int32_t column) {
  std::string out;
  if (column < 1 || column > kMaxColumns) return out;
  char buf[4];
  int n = 0;
  while (column > 0) {
    const int32_t rem = (column - 1) % 26;
    buf[n++] = static_cast<char>('A' + rem);
    column = (column - 1) / 26;
  }
  while (n > 0) out.push_back(buf[--n]);
  return out;
}

std::string FormatCellRef(CellRef ref) { return ColumnName(ref.column) + std::to_string(ref.row); }

std::string FormatRangeRef(const RangeRef& range) {
  if (range.first == range.last) return FormatCellRef(range.first);
  return FormatCellRef(range.first) + ":" + FormatCellRef(range.last);
}

}  // namespace vardex::host
