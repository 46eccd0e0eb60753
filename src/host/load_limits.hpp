// How much one workbook may make the engine build. Every limit is far above any real survey
// workbook (a 65,000-point project inflates to 136 MB of XML with 2.9 million cells, 87,000
// strings and 13 parts) and low enough that a hostile file of a few kilobytes cannot make a
// load take gigabytes or minutes. A load that would pass one stops with a message naming it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vardex::host::detail {

struct LoadLimits {
  /// Sum of the sizes the package's parts inflate to.
  uint64_t inflated_bytes = uint64_t{768} << 20;
  /// Parts (zip entries) in the package.
  std::size_t entries = 50000;
  /// Cells and row slots over all sheets (each costs tens of bytes in memory).
  std::size_t cells = 16'000'000;
  std::size_t rows = 8'000'000;
  /// Entries of the shared-string table plus distinct texts of inline cells.
  std::size_t strings = 2'000'000;
  /// Custom document properties.
  std::size_t properties = 10000;
  /// Elements nested in one another in any part.
  std::size_t depth = 256;
};

inline constexpr LoadLimits kLoadLimits{};

/// What the load has built so far, against kLoadLimits. The Add* functions throw
/// HostError(kErrCannotOpen) naming the file and the limit once a total passes its limit.
/// Sheets read in parallel share one budget: the totals are atomic.
class LoadBudget {
 public:
  explicit LoadBudget(std::string file) : file_(std::move(file)) {}
  void AddCells(std::size_t n) { Add(cells_, n, kLoadLimits.cells, kCells); }
  void AddRows(std::size_t n) { Add(rows_, n, kLoadLimits.rows, kRows); }
  void AddStrings(std::size_t n) { Add(strings_, n, kLoadLimits.strings, kStrings); }
  const std::string& File() const noexcept { return file_; }

 private:
  static constexpr std::string_view kCells = "单元格";
  static constexpr std::string_view kRows = "行";
  static constexpr std::string_view kStrings = "文本";

  void Add(std::atomic<std::size_t>& total, std::size_t n, std::size_t limit,
           std::string_view what);
  [[noreturn]] void Fail(std::string_view what, std::size_t limit) const;

  std::string file_;
  std::atomic<std::size_t> cells_{0};
  std::atomic<std::size_t> rows_{0};
  std::atomic<std::size_t> strings_{0};
};

/// The refusal for a limit: names the file, what was counted and the limit.
[[noreturn]] void FailOverLimit(const std::string& file, std::string_view what, uint64_t limit);

}  // namespace vardex::host::detail
