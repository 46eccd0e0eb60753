// Internal representation of a workbook shared by the model (workbook.cpp) and the package
// readers and writers (xlsx_*.cpp). Not part of the public interface.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "host/platform.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "host/xlsx_styles.hpp"
#include "host/xlsx_zip.hpp"

namespace vardex::host::detail {

using host::CellKind;

/// One existing cell. Untouched cells read from a file keep a span of their original XML so
/// that formulas, rich inline text and unknown attributes go out exactly as they came in.
struct Cell {
  uint16_t column = 0;  ///< 1..16384
  CellKind kind = CellKind::kEmpty;
  uint8_t flags = 0;
  uint32_t style = 0;
  union {
    double number;
    uint32_t text;  ///< string pool id (text and error codes)
  } v{0.0};
  uint32_t raw_offset = 0;  ///< into the sheet's source XML
  uint32_t raw_length = 0;  ///< 0: no original XML, the cell is written from the fields above

  static constexpr uint8_t kHasFormula = 1;    ///< original XML holds a formula
  static constexpr uint8_t kRawNeedsRef = 2;   ///< original <c> had no r attribute
  static constexpr uint8_t kArrayPart = 4;     ///< inside an array formula's range
  static constexpr uint8_t kStyleChanged = 8;  ///< original XML kept, s attribute replaced
};

struct Row {
  std::vector<Cell> cells;   ///< sorted by column
  uint32_t raw_offset = 0;   ///< whole original <row> element
  uint32_t raw_length = 0;   ///< 0: the row is written from the fields
  uint32_t attr_offset = 0;  ///< attributes of the original start tag
  uint32_t attr_length = 0;
  float height = 0;    ///< points; 0 = default
  uint32_t style = 0;  ///< the row's own style (s), in force for new cells when custom_format
  bool exists = false;
  bool dirty = false;
  bool custom_height = false;
  bool hidden = false;
  bool custom_format = false;
  bool needs_ref = false;  ///< original row had no r attribute
};

/// Interned cell texts. Ids below the shared-string table's original size are that table's
/// indices, so untouched cells that refer to them stay valid.
class StringPool {
 public:
  uint32_t Intern(std::string_view s);
  /// As above, taking over `s` when it is new.
  uint32_t Intern(std::string&& s);
  /// Appends without lookup (shared-string table entries keep their index even if repeated).
  /// `findable` false keeps the entry out of Intern's lookup (rich text must not be reused for a
  /// plain text that reads the same).
  uint32_t Append(std::string s, bool findable = true);
  const std::string& Get(uint32_t id) const { return strings_[id]; }
  std::size_t Size() const noexcept { return strings_.size(); }

 private:
  std::deque<std::string> strings_;  // stable addresses: the map keys point into them
  std::unordered_map<std::string_view, uint32_t> index_;
};

/// A shared formula group: the master cell holds the text, the others point at it by si.
struct SharedFormula {
  uint32_t si = 0;
  CellRef master;
  std::string formula;  ///< as written in the master cell (unescaped)
};

/// The cause of a failed file operation of a save, in the words of the save messages
/// ("磁盘空间不足").
std::string SaveCause(const std::system_error& e);

/// The rows of a sheet by index (row - 1). The table holds a four-byte slot for every row down to
/// the last one and a whole Row only for the rows that exist, so a sheet with a few cells far down
/// (or a used range claiming a million rows) costs little. Rows are kept in a deque: a reference to
/// one stays valid while others are added.
class RowTable {
 public:
  /// One past the index of the last row the table reaches.
  std::size_t size() const noexcept { return slots_.size(); }
  std::size_t capacity() const noexcept { return slots_.capacity(); }
  void reserve(std::size_t n) { slots_.reserve(n); }
  /// Reaches down to `n` rows (the new ones empty); never shrinks.
  void resize(std::size_t n) {
    if (n > slots_.size()) slots_.resize(n, 0);
  }

  /// The row at `index` (< size()), or an empty row that does not exist.
  const Row& operator[](std::size_t index) const noexcept {
    const uint32_t slot = slots_[index];
    return slot == 0 ? kNoRow : store_[slot - 1];
  }
  /// The row at `index` (< size()) to change, or nullptr when there is none there.
  Row* Find(std::size_t index) noexcept {
    const uint32_t slot = slots_[index];
    return slot == 0 ? nullptr : &store_[slot - 1];
  }
  /// The row at `index` (< size()) to change, made when there is none there.
  Row& At(std::size_t index) {
    uint32_t& slot = slots_[index];
    if (slot == 0) {
      store_.emplace_back();
      slot = static_cast<uint32_t>(store_.size());
    }
    return store_[slot - 1];
  }

  /// Every row in order, empty ones included, as const Row&.
  class Iterator {
   public:
    Iterator(const RowTable* table, std::size_t index) : table_(table), index_(index) {}
    const Row& operator*() const noexcept { return (*table_)[index_]; }
    Iterator& operator++() noexcept {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const noexcept = default;

   private:
    const RowTable* table_;
    std::size_t index_;
  };
  Iterator begin() const noexcept { return {this, 0}; }
  Iterator end() const noexcept { return {this, slots_.size()}; }

 private:
  inline static const Row kNoRow{};
  std::vector<uint32_t> slots_;  ///< 0: no row; else 1 + its place in store_
  std::deque<Row> store_;
};

}  // namespace vardex::host::detail

namespace vardex::host {

struct Worksheet::Impl {
  Workbook* book = nullptr;
  std::string name;
  uint32_t sheet_id = 0;
  std::string rel_id;
  std::string part;  ///< e.g. "xl/worksheets/sheet1.xml"

  detail::RowTable rows;  ///< index = row - 1
  std::vector<RangeRef> merged;
  RangeRef selection{{1, 1}, {1, 1}};

  // The original part: bytes before and after <sheetData> are written back verbatim. A part
  // read from the package is let go after loading and inflated again when the sheet is written,
  // so that an open workbook does not hold every sheet's text twice (cells and XML).
  std::shared_ptr<const std::string> source;
  std::size_t source_size = 0;
  std::size_t data_begin = 0;   ///< offset of "<sheetData"
  std::size_t data_end = 0;     ///< offset just past the sheetData element
  std::size_t merge_begin = 0;  ///< span of <mergeCells> in the source (0,0 when absent)
  std::size_t merge_end = 0;
  std::size_t dim_begin = 0;  ///< span of the ref value of <dimension> (0,0 when absent)
  std::size_t dim_end = 0;
  std::string prefix;  ///< namespace prefix of the main namespace ("" or "x:")

  bool modified = false;  ///< cell data changed since loading: the part is regenerated
  bool merges_modified = false;

  SheetLayout layout;
  /// Style of each column from <cols> (index = column; columns past the end have none).
  std::vector<uint32_t> column_styles;
  bool tab_selected = false;  ///< the file's sheetView said tabSelected
  std::vector<detail::SharedFormula> shared_formulas;
  std::vector<std::pair<CellRef, uint32_t>> shared_dependents;  ///< (cell, si) in file order

  detail::Row& RowAt(int32_t row);
  detail::Cell* FindCell(CellRef ref);
  const detail::Cell* FindCell(CellRef ref) const;
  detail::Cell& CellForWrite(CellRef ref);
  /// The style a cell without one of its own shows: the row's (customFormat), else the column's.
  uint32_t DefaultStyle(CellRef ref) const noexcept;
};

struct Workbook::Impl {
  std::vector<std::unique_ptr<Worksheet>> sheets;
  std::size_t active = 0;
  std::size_t loaded_active = 0;  ///< the active sheet the file named (saves compare with it)
  std::filesystem::path path;
  /// The version of the file at `path` that the workbook holds (set by opening and saving).
  std::optional<platform::FileIdentity> loaded_identity;
  /// The run's lock on the file, when it was opened for an update.
  std::shared_ptr<platform::FileLock> lock;
  std::string display_name;
  bool saved = true;
  bool screen_updating = true;
  bool display_alerts = true;
  bool cut_copy_mode = false;
  bool has_macros = false;
  /// Content type of the workbook part in the file the workbook holds (as read or last saved):
  /// a save over that same file keeps it, whatever the file's name says.
  std::string main_type;

  detail::Package package;
  detail::StringPool strings;
  detail::StyleTable styles;
  FormatOptions formats;

  std::string workbook_part = "xl/workbook.xml";
  std::string sst_part;          ///< empty when the package has none
  std::size_t sst_original = 0;  ///< entries of the original table
  std::string calc_chain_part;
  bool formula_removed = false;  ///< the calculation chain may name cells without formulas
  bool sheets_added = false;

  std::map<std::string, std::string, std::less<>> custom_props;
  bool custom_props_modified = false;

  struct Clip {
    int32_t rows = 0;
    int32_t columns = 0;
    std::vector<std::vector<detail::Cell>> cells;  ///< per row, columns relative (1-based)
    std::vector<RangeRef> merged;                  ///< relative to the block's top-left
  };
  std::optional<Clip> clipboard;

  int next_handler = 1;
  std::vector<std::pair<int, SelectionHandler>> handlers;

  std::string MessageName() const { return display_name; }
};

}  // namespace vardex::host
