// The workbook model: sheets, cells, clipboard, selection and application state.
#include "host/workbook.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/engine_text.hpp"
#include "host/workbook_impl.hpp"
#include "host/xlsx_package.hpp"
#include "host/xml_util.hpp"

namespace vardex::host {

using detail::Cell;
using detail::Row;

// --- string pool ------------------------------------------------------------------------------

namespace detail {

uint32_t StringPool::Intern(std::string_view s) {
  if (auto it = index_.find(s); it != index_.end()) return it->second;
  return Append(std::string(s));
}

uint32_t StringPool::Intern(std::string&& s) {
  if (auto it = index_.find(s); it != index_.end()) return it->second;
  return Append(std::move(s));
}

uint32_t StringPool::Append(std::string s, bool findable) {
  const auto id = static_cast<uint32_t>(strings_.size());
  strings_.push_back(std::move(s));
  if (findable) index_.emplace(std::string_view(strings_.back()), id);
  return id;
}

}  // namespace detail

// --- worksheet internals ------------------------------------------------------------------------

Row& Worksheet::Impl::RowAt(int32_t row) {
  const auto index = static_cast<std::size_t>(row - 1);
  if (index >= rows.size()) {
    // Doubling stops at the last row a sheet can have: a row near the bottom of a sheet must not
    // reserve room for twice as many rows as there can be.
    if (index >= rows.capacity())
      rows.reserve(
          std::min(std::max(index + 1, rows.capacity() * 2), static_cast<std::size_t>(kMaxRows)));
    rows.resize(index + 1);
  }
  return rows.At(index);
}

namespace {

auto ColumnLess = [](const Cell& c, int32_t column) { return c.column < column; };

}  // namespace

Cell* Worksheet::Impl::FindCell(CellRef ref) {
  const auto index = static_cast<std::size_t>(ref.row - 1);
  if (index >= rows.size()) return nullptr;
  Row* row = rows.Find(index);
  if (row == nullptr) return nullptr;
  auto& cells = row->cells;
  auto it = std::lower_bound(cells.begin(), cells.end(), ref.column, ColumnLess);
  return it != cells.end() && it->column == ref.column ? &*it : nullptr;
}

const Cell* Worksheet::Impl::FindCell(CellRef ref) const {
  return const_cast<Worksheet::Impl*>(this)->FindCell(ref);
}

Cell& Worksheet::Impl::CellForWrite(CellRef ref) {
  Row& row = RowAt(ref.row);
  row.exists = true;
  row.dirty = true;
  modified = true;
  book->impl().saved = false;
  auto& cells = row.cells;
  if (cells.capacity() == 0 && ref.row > 1) {
    // Rows of a table tend to be alike: start with room for as many cells as the row above.
    cells.reserve(
        std::max<std::size_t>(rows[static_cast<std::size_t>(ref.row - 2)].cells.size(), 4));
  }
  if (cells.empty() || cells.back().column < ref.column) {
    Cell& c = cells.emplace_back();
    c.column = static_cast<uint16_t>(ref.column);
    c.style = DefaultStyle(ref);
    return c;
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), ref.column, ColumnLess);
  if (it != cells.end() && it->column == ref.column) return *it;
  it = cells.insert(it, Cell{});
  it->column = static_cast<uint16_t>(ref.column);
  it->style = DefaultStyle(ref);
  return *it;
}

uint32_t Worksheet::Impl::DefaultStyle(CellRef ref) const noexcept {
  const auto r = static_cast<std::size_t>(ref.row - 1);
  if (r < rows.size() && rows[r].custom_format) return rows[r].style;
  const auto c = static_cast<std::size_t>(ref.column);
  return c < column_styles.size() ? column_styles[c] : 0;
}

namespace {

void CheckCell(const Worksheet& sheet, CellRef ref) {
  if (ref.row < 1 || ref.row > kMaxRows || ref.column < 1 || ref.column > kMaxColumns) {
    throw HostError(kErrCannotOpen,
                    text::BadCellRef(sheet.Name(), "R" + std::to_string(ref.row) + "C" +
                                                       std::to_string(ref.column)));
  }
}

void CheckRange(const Worksheet& sheet, const RangeRef& r) {
  CheckCell(sheet, r.first);
  CheckCell(sheet, r.last);
  if (r.first.row > r.last.row || r.first.column > r.last.column)
    throw HostError(kErrCannotOpen, text::BadCellRef(sheet.Name(), FormatRangeRef(r)));
}

// Drops what a write replaces: the original XML and with it any formula.
void ForgetOriginal(Worksheet::Impl& s, Cell& c, CellRef ref) {
  if ((c.flags & Cell::kArrayPart) != 0)
    throw HostError(kErrCannotOpen, text::ArrayFormulaPart(s.name, FormatCellRef(ref)));
  if ((c.flags & Cell::kHasFormula) != 0) s.book->impl().formula_removed = true;
  c.flags = 0;
  c.raw_length = 0;
}

// A number as the user would type it: optional sign, digits with at most one point, optional
// exponent; spaces around are ignored. No thousands separators, no "inf" or "nan".
std::optional<double> TypedNumber(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (s.empty()) return std::nullopt;
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::size_t i = 0, digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      ++digits;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size()) {
    if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const std::size_t exp_start = j;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
    if (j == exp_start || j != s.size()) return std::nullopt;
  }
  double value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  if (value == 0) return 0.0;
  return negative ? -value : value;
}

std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

CellValue TypedValue(std::string_view text) {
  if (text.empty()) return {};
  if (const std::optional<double> number = TypedNumber(text)) return *number;
  return std::string(text);
}

// --- worksheet ----------------------------------------------------------------------------------

Worksheet::Worksheet(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Worksheet::~Worksheet() = default;

const std::string& Worksheet::Name() const noexcept { return impl_->name; }
Workbook& Worksheet::Book() noexcept { return *impl_->book; }
const Workbook& Worksheet::Book() const noexcept { return *impl_->book; }

CellValue Worksheet::Value(CellRef ref) const {
  CheckCell(*this, ref);
  const Cell* c = impl_->FindCell(ref);
  if (c == nullptr) return std::monostate{};
  const auto& pool = impl_->book->impl().strings;
  switch (c->kind) {
    case CellKind::kNumber:
      return c->v.number;
    case CellKind::kText:
      return pool.Get(c->v.text);
    case CellKind::kBool:
      return c->v.number != 0;
    case CellKind::kError:
      return ErrorValue{pool.Get(c->v.text)};
    case CellKind::kEmpty:
      break;
  }
  return std::monostate{};
}

bool Worksheet::HasUncalculatedFormula(CellRef ref) const {
  CheckCell(*this, ref);
  const Cell* c = impl_->FindCell(ref);
  return c != nullptr && c->kind == CellKind::kEmpty && c->raw_length != 0 &&
         (c->flags & Cell::kHasFormula) != 0;
}

void Worksheet::SetValue(CellRef ref, std::string_view value) {
  if (value.empty()) {
    ClearContents(RangeRef{ref, ref});
    return;
  }
  if (auto number = TypedNumber(value)) {
    SetValue(ref, *number);
    return;
  }
  SetText(ref, value);
}

void Worksheet::SetValue(CellRef ref, double number) {
  CheckCell(*this, ref);
  if (!std::isfinite(number))
    throw HostError(kErrOverflow, text::NotFiniteNumber(impl_->name, FormatCellRef(ref)));
  Cell& c = impl_->CellForWrite(ref);
  ForgetOriginal(*impl_, c, ref);
  c.kind = CellKind::kNumber;
  c.v.number = number == 0 ? 0.0 : number;  // no negative zero in a cell
}

void Worksheet::SetText(CellRef ref, std::string_view value) {
  CheckCell(*this, ref);
  if (value.empty()) {
    ClearContents(RangeRef{ref, ref});
    return;
  }
  if (!detail::IsValidUtf8(value))
    throw HostError(kErrCannotOpen, text::InvalidUtf8Text(impl_->name, FormatCellRef(ref)));
  if (value.size() > 32767 && CodePoints(value) > 32767)
    throw HostError(kErrCannotOpen, text::TextTooLong(impl_->name, FormatCellRef(ref)));
  const uint32_t id = impl_->book->impl().strings.Intern(value);
  Cell& c = impl_->CellForWrite(ref);
  ForgetOriginal(*impl_, c, ref);
  c.kind = CellKind::kText;
  c.v.text = id;
}

std::string Worksheet::Text(CellRef ref) const {
  CheckCell(*this, ref);
  const Cell* c = impl_->FindCell(ref);
  if (c == nullptr) return {};
  const auto& book = impl_->book->impl();
  switch (c->kind) {
    case CellKind::kNumber:
      return FormatNumber(c->v.number, book.styles.FormatCode(c->style), book.formats);
    case CellKind::kText:
      return FormatTextValue(book.strings.Get(c->v.text), book.styles.FormatCode(c->style));
    case CellKind::kBool:
      return c->v.number != 0 ? "TRUE" : "FALSE";
    case CellKind::kError:
      return book.strings.Get(c->v.text);
    case CellKind::kEmpty:
      break;
  }
  return {};
}

std::string Worksheet::NumberFormatCode(CellRef ref) const {
  return impl_->book->impl().styles.FormatCode(StyleIndex(ref));
}

void Worksheet::ClearContents(const RangeRef& range) {
  CheckRange(*this, range);
  auto& s = *impl_;
  const auto last = std::min<std::size_t>(static_cast<std::size_t>(range.last.row), s.rows.size());
  for (auto r = static_cast<std::size_t>(range.first.row); r <= last; ++r) {
    Row* found = s.rows.Find(r - 1);
    if (found == nullptr) continue;
    Row& row = *found;
    auto& cells = row.cells;
    if (cells.empty()) continue;
    auto begin = std::lower_bound(cells.begin(), cells.end(), range.first.column, ColumnLess);
    auto out = begin;
    auto it = begin;
    bool changed = false;
    for (; it != cells.end() && it->column <= range.last.column; ++it) {
      Cell& c = *it;
      if (c.kind == CellKind::kEmpty && (c.flags & Cell::kHasFormula) == 0) {
        *out++ = c;  // a style-only cell has nothing to clear
        continue;
      }
      changed = true;
      if ((c.flags & Cell::kHasFormula) != 0) s.book->impl().formula_removed = true;
      // Nothing left that the row or column would not give it anyway: the cell goes.
      if (c.style == s.DefaultStyle({static_cast<int32_t>(r), c.column})) continue;
      c.kind = CellKind::kEmpty;
      c.flags = 0;
      c.raw_length = 0;
      *out++ = c;
    }
    if (!changed) continue;
    cells.erase(out, it);
    row.dirty = true;
    s.modified = true;
    s.book->impl().saved = false;
  }
}

void Worksheet::Copy(const RangeRef& range) {
  CheckRange(*this, range);
  const auto& s = *impl_;
  Workbook::Impl::Clip clip;
  clip.rows = static_cast<int32_t>(range.RowCount());
  clip.columns = static_cast<int32_t>(range.ColumnCount());
  clip.cells.resize(static_cast<std::size_t>(clip.rows));
  const auto last = std::min<std::size_t>(static_cast<std::size_t>(range.last.row), s.rows.size());
  for (auto r = static_cast<std::size_t>(range.first.row); r <= last; ++r) {
    const auto& cells = s.rows[r - 1].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), range.first.column, ColumnLess);
    auto& out = clip.cells[r - static_cast<std::size_t>(range.first.row)];
    for (; it != cells.end() && it->column <= range.last.column; ++it) {
      Cell c = *it;
      c.column = static_cast<uint16_t>(c.column - range.first.column + 1);
      c.flags = 0;  // values are copied, formulas are not
      c.raw_length = 0;
      out.push_back(c);
    }
  }
  for (const RangeRef& m : s.merged) {
    if (range.Contains(m.first) && range.Contains(m.last)) {
      const int32_t dr = range.first.row - 1, dc = range.first.column - 1;
      clip.merged.push_back(
          {{m.first.row - dr, m.first.column - dc}, {m.last.row - dr, m.last.column - dc}});
    }
  }
  auto& book = s.book->impl();
  book.clipboard = std::move(clip);
  book.cut_copy_mode = true;
}

namespace {
bool Intersects(const RangeRef& a, const RangeRef& b) {
  return a.first.row <= b.last.row && b.first.row <= a.last.row &&
         a.first.column <= b.last.column && b.first.column <= a.last.column;
}
}  // namespace

void Worksheet::Paste() {
  auto& s = *impl_;
  auto& book = s.book->impl();
  if (!book.clipboard) throw HostError(kErrCannotOpen, std::string(text::kClipboardEmpty));
  const auto& clip = *book.clipboard;
  const RangeRef sel = s.selection;
  const int64_t row_reps = sel.RowCount() % clip.rows == 0 ? sel.RowCount() / clip.rows : 1;
  const int64_t col_reps =
      sel.ColumnCount() % clip.columns == 0 ? sel.ColumnCount() / clip.columns : 1;
  const int64_t last_row = sel.first.row + row_reps * clip.rows - 1;
  const int64_t last_col = sel.first.column + col_reps * clip.columns - 1;
  if (last_row > kMaxRows || last_col > kMaxColumns) {
    throw HostError(kErrCannotOpen, text::BadCellRef(s.name, FormatCellRef(sel.first) + ":R" +
                                                                 std::to_string(last_row) + "C" +
                                                                 std::to_string(last_col)));
  }
  const RangeRef target{sel.first,
                        {static_cast<int32_t>(last_row), static_cast<int32_t>(last_col)}};

  // Merged regions: those inside the target are replaced; one that sticks out cannot be split.
  std::vector<RangeRef> merged;
  merged.reserve(s.merged.size() +
                 clip.merged.size() * static_cast<std::size_t>(row_reps * col_reps));
  for (const RangeRef& m : s.merged) {
    if (!Intersects(m, target)) {
      merged.push_back(m);
    } else if (!(target.Contains(m.first) && target.Contains(m.last))) {
      throw HostError(kErrCannotOpen, text::PartialMerge(s.name, FormatRangeRef(m)));
    }
  }
  for (int64_t rr = 0; rr < row_reps; ++rr) {
    for (int64_t cr = 0; cr < col_reps; ++cr) {
      const auto dr = static_cast<int32_t>(sel.first.row - 1 + rr * clip.rows);
      const auto dc = static_cast<int32_t>(sel.first.column - 1 + cr * clip.columns);
      for (const RangeRef& m : clip.merged)
        merged.push_back(
            {{m.first.row + dr, m.first.column + dc}, {m.last.row + dr, m.last.column + dc}});
    }
  }
  if (merged != s.merged) {
    s.merged = std::move(merged);
    s.merges_modified = true;
  }

  std::vector<Cell> buffer;
  for (int32_t r = target.first.row; r <= target.last.row; ++r) {
    const auto& block = clip.cells[static_cast<std::size_t>((r - target.first.row) % clip.rows)];
    Row* row = nullptr;
    if (static_cast<std::size_t>(r) > s.rows.size() && block.empty()) continue;
    row = &s.RowAt(r);
    auto& cells = row->cells;
    auto begin = std::lower_bound(cells.begin(), cells.end(), target.first.column, ColumnLess);
    auto end = begin;
    while (end != cells.end() && end->column <= target.last.column) {
      if ((end->flags & Cell::kHasFormula) != 0) book.formula_removed = true;
      if ((end->flags & Cell::kArrayPart) != 0)
        throw HostError(kErrCannotOpen,
                        text::ArrayFormulaPart(s.name, FormatCellRef({r, end->column})));
      ++end;
    }
    if (begin == end && block.empty()) continue;
    buffer.clear();
    for (int64_t cr = 0; cr < col_reps; ++cr) {
      const auto dc = static_cast<int32_t>(target.first.column - 1 + cr * clip.columns);
      for (Cell c : block) {
        c.column = static_cast<uint16_t>(c.column + dc);
        buffer.push_back(c);
      }
    }
    const auto pos = cells.erase(begin, end);
    cells.insert(pos, buffer.begin(), buffer.end());
    row->exists = true;
    row->dirty = true;
  }
  s.modified = true;
  book.saved = false;
  Select(target);
}

void Worksheet::Select(const RangeRef& range) {
  CheckRange(*this, range);
  impl_->selection = range;
  // Handlers may remove themselves while being called.
  auto handlers = impl_->book->impl().handlers;
  for (auto& [id, handler] : handlers)
    if (handler) handler(*this, impl_->selection);
}

const RangeRef& Worksheet::Selection() const noexcept { return impl_->selection; }

void Worksheet::Activate() {
  auto& book = impl_->book->impl();
  for (std::size_t i = 0; i < book.sheets.size(); ++i)
    if (book.sheets[i].get() == this) book.active = i;
}

uint32_t Worksheet::StyleIndex(CellRef ref) const {
  CheckCell(*this, ref);
  const Cell* c = impl_->FindCell(ref);
  return c ? c->style : 0;
}

void Worksheet::SetStyleIndex(CellRef ref, uint32_t style) {
  CheckCell(*this, ref);
  if (style >= std::max<std::size_t>(StyleCount(Book()), 1))
    throw HostError(kErrCannotOpen, text::BadStyle(impl_->name, FormatCellRef(ref), style));
  Cell* existing = impl_->FindCell(ref);
  if (existing == nullptr && style == impl_->DefaultStyle(ref)) return;
  Cell& c = impl_->CellForWrite(ref);
  if (c.style == style) return;
  c.style = style;
  // An untouched cell keeps its XML (and formula); only its s attribute changes when written.
  if (c.raw_length != 0) c.flags |= Cell::kStyleChanged;
}

const std::vector<RangeRef>& Worksheet::MergedRanges() const noexcept { return impl_->merged; }

std::optional<RangeRef> Worksheet::UsedRange() const {
  std::optional<RangeRef> used;
  const auto& rows = impl_->rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& cells = rows[i].cells;
    if (cells.empty()) continue;
    const auto r = static_cast<int32_t>(i + 1);
    const int32_t c1 = cells.front().column, c2 = cells.back().column;
    if (!used) {
      used = RangeRef{{r, c1}, {r, c2}};
    } else {
      used->first.column = std::min(used->first.column, c1);
      used->last.column = std::max(used->last.column, c2);
      used->last.row = r;
    }
  }
  return used;
}

// --- workbook -----------------------------------------------------------------------------------

Workbook::Workbook() : impl_(std::make_unique<Impl>()) {
  detail::LoadPackage(*this, detail::EmptyPackage());
  AddSheet("Sheet1");
  impl_->saved = true;
}

Workbook::Workbook(Workbook&& other) noexcept : impl_(std::move(other.impl_)) {
  for (auto& s : impl_->sheets) s->impl().book = this;
}

Workbook& Workbook::operator=(Workbook&& other) noexcept {
  impl_ = std::move(other.impl_);
  for (auto& s : impl_->sheets) s->impl().book = this;
  return *this;
}

Workbook::~Workbook() = default;

const std::filesystem::path& Workbook::Path() const noexcept { return impl_->path; }
std::size_t Workbook::SheetCount() const noexcept { return impl_->sheets.size(); }

Worksheet& Workbook::SheetAt(std::size_t index) {
  if (index >= impl_->sheets.size())
    throw HostError(kErrSubscript,
                    text::NoSuchSheet("#" + std::to_string(index + 1), impl_->display_name));
  return *impl_->sheets[index];
}

const Worksheet& Workbook::SheetAt(std::size_t index) const {
  return const_cast<Workbook*>(this)->SheetAt(index);
}

namespace {
bool SameSheetName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}
}  // namespace

Worksheet* Workbook::FindSheet(std::string_view name) noexcept {
  for (auto& s : impl_->sheets)
    if (s->Name() == name) return s.get();
  // Sheet names are case-insensitive in spreadsheet programs.
  for (auto& s : impl_->sheets)
    if (SameSheetName(s->Name(), name)) return s.get();
  return nullptr;
}

const Worksheet* Workbook::FindSheet(std::string_view name) const noexcept {
  return const_cast<Workbook*>(this)->FindSheet(name);
}

Worksheet& Workbook::Sheet(std::string_view name) {
  if (Worksheet* s = FindSheet(name)) return *s;
  throw HostError(kErrSubscript, text::NoSuchSheet(name, impl_->display_name));
}

const Worksheet& Workbook::Sheet(std::string_view name) const {
  return const_cast<Workbook*>(this)->Sheet(name);
}

Worksheet& Workbook::AddSheet(std::string_view name) {
  const bool bad = name.empty() || CodePoints(name) > 31 || !detail::IsValidUtf8(name) ||
                   name.find_first_of(":\\/?*[]") != std::string_view::npos ||
                   name.front() == '\'' || name.back() == '\'';
  if (bad) throw HostError(kErrCannotOpen, text::BadSheetName(name));
  if (FindSheet(name) != nullptr) throw HostError(kErrCannotOpen, text::DuplicateSheet(name));
  impl_->sheets.push_back(detail::MakeSheet(*this, std::string(name)));
  impl_->sheets_added = true;
  impl_->saved = false;
  return *impl_->sheets.back();
}

Worksheet& Workbook::ActiveSheet() { return SheetAt(impl_->active); }
const Worksheet& Workbook::ActiveSheet() const { return SheetAt(impl_->active); }

bool Workbook::Saved() const noexcept { return impl_->saved; }
void Workbook::SetSaved(bool saved) noexcept { impl_->saved = saved; }
bool Workbook::ScreenUpdating() const noexcept { return impl_->screen_updating; }
void Workbook::SetScreenUpdating(bool on) noexcept { impl_->screen_updating = on; }
bool Workbook::DisplayAlerts() const noexcept { return impl_->display_alerts; }
void Workbook::SetDisplayAlerts(bool on) noexcept { impl_->display_alerts = on; }
bool Workbook::CutCopyMode() const noexcept { return impl_->cut_copy_mode; }
void Workbook::SetCutCopyMode(bool on) noexcept { impl_->cut_copy_mode = on; }

int Workbook::AddSelectionHandler(SelectionHandler handler) {
  const int id = impl_->next_handler++;
  impl_->handlers.emplace_back(id, std::move(handler));
  return id;
}

void Workbook::RemoveSelectionHandler(int id) {
  auto& h = impl_->handlers;
  h.erase(std::remove_if(h.begin(), h.end(), [id](const auto& p) { return p.first == id; }),
          h.end());
}

std::optional<std::string> Workbook::CustomProperty(std::string_view name) const {
  auto it = impl_->custom_props.find(name);
  if (it == impl_->custom_props.end()) return std::nullopt;
  return it->second;
}

void Workbook::SetCustomProperty(std::string_view name, std::string_view value) {
  auto it = impl_->custom_props.find(name);
  if (it != impl_->custom_props.end() && it->second == value) return;
  impl_->custom_props[std::string(name)] = std::string(value);
  impl_->custom_props_modified = true;
  impl_->saved = false;
}

void Workbook::RemoveCustomProperty(std::string_view name) {
  auto it = impl_->custom_props.find(name);
  if (it == impl_->custom_props.end()) return;
  impl_->custom_props.erase(it);
  impl_->custom_props_modified = true;
  impl_->saved = false;
}

const FormatOptions& Workbook::Formats() const noexcept { return impl_->formats; }

}  // namespace vardex::host
