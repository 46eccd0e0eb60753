// The zip container of an .xlsx package: reading entries with bounds against hostile input, and
// writing a package whose untouched entries keep their compressed bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vardex::host::detail {

/// Largest part the engine inflates, and the largest sum over a package (zip-bomb bounds).
inline constexpr uint64_t kMaxPartBytes = uint64_t{1} << 30;
inline constexpr uint64_t kMaxPackageBytes = uint64_t{3} << 30;
inline constexpr std::size_t kMaxEntries = 100000;

struct PackageEntry {
  std::string name;
  uint16_t method = 8;  ///< 0 stored, 8 deflated
  uint32_t crc = 0;
  uint64_t compressed_size = 0;
  uint64_t size = 0;
  uint32_t dos_date = 0;
  std::string_view raw;  ///< compressed bytes inside the package's source buffer
  std::shared_ptr<const std::string> content;  ///< instead of raw: an entry made in memory
};

/// The entries of a package in their original order.
class Package {
 public:
  Package() = default;
  /// Reads the zip directory. Throws HostError(kErrCannotOpen) naming `display_name`.
  Package(std::shared_ptr<const std::string> bytes, std::string display_name);

  const std::vector<PackageEntry>& Entries() const noexcept { return entries_; }
  /// Exact name first, then ignoring ASCII case (part names are case-insensitive).
  const PackageEntry* Find(std::string_view name) const noexcept;
  /// The entry's uncompressed bytes, checked against its CRC-32. Throws HostError naming the
  /// file and the part when the entry is missing, damaged or beyond the size bounds.
  std::string Read(std::string_view name) const;
  /// Adds an in-memory entry (used for packages built from scratch).
  void AddMemoryEntry(std::string name, std::string content);
  const std::string& DisplayName() const noexcept { return display_name_; }

 private:
  std::shared_ptr<const std::string> source_;
  std::vector<PackageEntry> entries_;
  std::string display_name_;
};

/// One entry of a package being written.
struct OutputEntry {
  std::string name;
  const PackageEntry* copy = nullptr;    ///< copy these compressed bytes unchanged
  std::string data;                      ///< or compress this
  std::function<std::string()> produce;  ///< or compress what this returns (run on a worker)
  uint32_t dos_date = 0;
};

struct ZipOptions {
  int level = 1;         ///< deflate level for rewritten parts (libdeflate 1..12)
  unsigned threads = 0;  ///< 0: one per hardware thread
};

/// Builds the zip bytes. `produce` functions and compression run in parallel.
std::string WriteZip(std::vector<OutputEntry>& entries, const ZipOptions& options);

/// The current local time as an MS-DOS date and time (for entries made now).
uint32_t DosNow();

}  // namespace vardex::host::detail
