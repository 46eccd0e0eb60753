// The in-memory workbook: ordered worksheets found by name, cells with values and styles, and
// the few pieces of application state (screen updating, alerts, copy marker, selection) that the
// generators and the desktop view rely on. Opened from and saved to .xlsx packages losslessly.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/host_error.hpp"
#include "host/number_format.hpp"

namespace vardex::host {

/// A cell error value such as "#N/A" or "#DIV/0!" (read from files, never written by Vardex).
struct ErrorValue {
  std::string code;
  friend bool operator==(const ErrorValue&, const ErrorValue&) = default;
};

/// A cell's value: empty (monostate), number, text (UTF-8), boolean or error.
using CellValue = std::variant<std::monostate, double, std::string, bool, ErrorValue>;

inline bool IsEmpty(const CellValue& v) noexcept {
  return std::holds_alternative<std::monostate>(v);
}

class Workbook;

/// What Worksheet::SetValue(cell, text) stores for `text`: nothing for an empty text, the number
/// a text reads as, else the text.
CellValue TypedValue(std::string_view text);

/// How a save treats the file it replaces.
struct SaveOptions {
  bool replace_read_only = false;  ///< replace a read-only file (it stays read-only)
};

/// How long opening for an update, or a save, waits for another Vardex run that holds the file.
inline constexpr std::chrono::milliseconds kLockWait{5000};

/// One worksheet. Owned by its Workbook; references stay valid as long as the workbook lives.
class Worksheet {
 public:
  Worksheet(const Worksheet&) = delete;
  Worksheet& operator=(const Worksheet&) = delete;
  ~Worksheet();

  const std::string& Name() const noexcept;
  Workbook& Book() noexcept;
  const Workbook& Book() const noexcept;

  /// The cell's value; a formula cell gives its cached result.
  CellValue Value(CellRef cell) const;
  /// True for a formula cell without a cached result (written by a program that does not
  /// calculate): Value() is then empty, which is not what the formula stands for.
  bool HasUncalculatedFormula(CellRef cell) const;

  /// A cell written for the first time takes the style the spreadsheet programs give a new cell:
  /// its row's style when the row has one of its own, else its column's, else none.
  ///
  /// Puts a value as if the user typed it: a text that reads as a number is stored as that
  /// number ("25." reads back as 25, " -3.2 " as -3.2); an empty text empties the cell; anything
  /// else is stored as text. The cell keeps its style and loses any formula.
  void SetValue(CellRef cell, std::string_view text);
  /// Puts a number. Throws HostError(kErrOverflow) for NaN or an infinity.
  void SetValue(CellRef cell, double number);
  /// Puts a text as text even when it reads as a number; an empty text empties the cell.
  void SetText(CellRef cell, std::string_view text);

  /// The text the cell shows under its number format (the empty text for an empty cell).
  std::string Text(CellRef cell) const;
  /// The number format code of the cell's style ("General" when it has none).
  std::string NumberFormatCode(CellRef cell) const;

  /// Removes values and formulas in the range; styles, merges and sizes stay. Cost follows the
  /// cells that exist, not the range's area.
  void ClearContents(const RangeRef& range);

  /// Copies the range (values, styles, merged regions inside it) to the workbook's clipboard
  /// and switches the copy marker on.
  void Copy(const RangeRef& range);
  /// Pastes the clipboard into the current selection. A selection that is a whole multiple of
  /// the copied block's size in a direction gets the block repeated; otherwise the block goes to
  /// the selection's top-left cell. Throws HostError(kErrCannotOpen) when the clipboard is empty.
  void Paste();

  /// Selection of this sheet (A1 until something is selected). Raises the workbook's
  /// selection-change notification.
  void Select(const RangeRef& range);
  const RangeRef& Selection() const noexcept;
  /// Makes this the workbook's active (shown) sheet.
  void Activate();

  /// Style (cellXfs index) of a cell, 0 when the cell has none of its own.
  uint32_t StyleIndex(CellRef cell) const;
  void SetStyleIndex(CellRef cell, uint32_t style);

  const std::vector<RangeRef>& MergedRanges() const noexcept;
  /// Smallest range holding every cell that has a value or a style; empty for a blank sheet.
  std::optional<RangeRef> UsedRange() const;

  struct Impl;
  explicit Worksheet(std::unique_ptr<Impl> impl);
  Impl& impl() noexcept { return *impl_; }
  const Impl& impl() const noexcept { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

/// A workbook. Move-only.
class Workbook {
 public:
  /// A new workbook with one empty sheet "Sheet1".
  Workbook();
  Workbook(Workbook&&) noexcept;
  Workbook& operator=(Workbook&&) noexcept;
  ~Workbook();

  /// Opens .xlsx, .xlsm, .xltx or .xltm. A template gives a new untitled workbook based on it.
  /// Opening removes what killed saves left beside the file, never blocks on a pipe or a device
  /// named like a workbook, and refuses a package past the limits of host/load_limits.hpp.
  /// Throws HostError(kErrCannotOpen) naming the file (and part, sheet, cell where it can).
  static Workbook Open(const std::filesystem::path& path);
  /// Opens the file to update it in place: holds the lock that Vardex runs take on a project
  /// until the workbook is destroyed, so that a second run on the same file waits (up to
  /// kLockWait) rather than overwriting this one's result. Throws HostError(kErrFileBusy) when
  /// another run keeps the file past the wait.
  static Workbook OpenForUpdate(const std::filesystem::path& path);
  /// Opens a package held in memory; `display_name` stands for the file name in messages.
  static Workbook OpenBytes(std::string_view bytes, std::string_view display_name);

  /// Saves to the file it was opened from (or last saved to), as SaveAs does, but only while
  /// that file is still the version the workbook holds: a file changed, replaced or removed since
  /// is not overwritten with results from the old one. The result is then kept beside it,
  /// "<name>-计算结果.xlsx", and HostError(kErrChangedOnDisk) names that file. Throws for an
  /// untitled workbook.
  void Save(const SaveOptions& options = {});
  /// Saves as .xlsx (or .xlsm when the package has macros) to `path`, atomically: the target is
  /// either the complete old file or the complete new one, written through a new temporary file
  /// beside it (never through anything already there). A symbolic link is followed: the file it
  /// leads to is replaced and keeps its permissions. Sets Saved() and the path.
  ///
  /// Throws HostError naming the file and the cause: kErrReadOnlyFile for a read-only file unless
  /// `options` say to replace it; kErrFileBusy while another run keeps it past kLockWait;
  /// kErrCannotSave for every other failure. The file is unchanged in every case.
  void SaveAs(const std::filesystem::path& path, const SaveOptions& options = {});

  /// The file the workbook belongs to; empty when untitled.
  const std::filesystem::path& Path() const noexcept;

  std::size_t SheetCount() const noexcept;
  Worksheet& SheetAt(std::size_t index);
  const Worksheet& SheetAt(std::size_t index) const;
  /// The sheet of that exact name; throws HostError(kErrSubscript) naming the sheet and file.
  Worksheet& Sheet(std::string_view name);
  const Worksheet& Sheet(std::string_view name) const;
  /// The sheet of that name (exact first, then ignoring ASCII case), or nullptr.
  Worksheet* FindSheet(std::string_view name) noexcept;
  const Worksheet* FindSheet(std::string_view name) const noexcept;
  /// Appends an empty sheet; throws HostError(kErrCannotOpen) for a duplicate or invalid name.
  Worksheet& AddSheet(std::string_view name);

  Worksheet& ActiveSheet();
  const Worksheet& ActiveSheet() const;

  /// False once anything changed since the last open or save.
  bool Saved() const noexcept;
  void SetSaved(bool saved) noexcept;

  /// Application switches kept as plain state (the desktop view honours ScreenUpdating).
  bool ScreenUpdating() const noexcept;
  void SetScreenUpdating(bool on) noexcept;
  bool DisplayAlerts() const noexcept;
  void SetDisplayAlerts(bool on) noexcept;
  /// The copy marker; switching it off leaves the clipboard's content in place.
  bool CutCopyMode() const noexcept;
  void SetCutCopyMode(bool on) noexcept;

  /// Called after every selection change with the sheet and its new selection.
  using SelectionHandler = std::function<void(Worksheet&, const RangeRef&)>;
  int AddSelectionHandler(SelectionHandler handler);
  void RemoveSelectionHandler(int id);

  /// Custom document properties (docProps/custom.xml), text valued.
  std::optional<std::string> CustomProperty(std::string_view name) const;
  void SetCustomProperty(std::string_view name, std::string_view value);
  /// Removes the property; nothing happens when there is none of that name.
  void RemoveCustomProperty(std::string_view name);

  const FormatOptions& Formats() const noexcept;

  struct Impl;
  Impl& impl() noexcept { return *impl_; }
  const Impl& impl() const noexcept { return *impl_; }

 private:
  void SaveTo(const std::filesystem::path& path, const SaveOptions& options, bool in_place);

  std::unique_ptr<Impl> impl_;
};

}  // namespace vardex::host
