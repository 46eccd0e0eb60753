// The zip container of an .xlsx package: reading entries with bounds against hostile input, and
// writing a package whose untouched entries keep their compressed bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vardex::host::detail {

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
class ByteBuffer;

class Package {
 public:
  Package() = default;
  /// Reads the zip directory (zip64 included). Refuses packages past the entry and inflated-size
  /// limits and any entry whose sizes cannot be true. Throws HostError(kErrCannotOpen) naming
  /// `display_name`.
  Package(std::shared_ptr<const std::string> bytes, std::string display_name);

  const std::vector<PackageEntry>& Entries() const noexcept { return entries_; }
  /// Exact name first, then ignoring ASCII case (part names are case-insensitive).
  const PackageEntry* Find(std::string_view name) const noexcept;
  /// The entry's uncompressed bytes, checked against its CRC-32. Throws HostError naming the
  /// file and the part when the entry is missing or damaged.
  std::string Read(std::string_view name) const;
  /// As Read, into `out` (emptied first): a part of megabytes lands in huge pages, not zeroed
  /// first as a string would be.
  void ReadInto(std::string_view name, ByteBuffer& out) const;
  /// Adds an in-memory entry (used for packages built from scratch).
  void AddMemoryEntry(std::string name, std::string content);
  const std::string& DisplayName() const noexcept { return display_name_; }

 private:
  std::shared_ptr<const std::string> source_;
  std::vector<PackageEntry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  ///< lower-case name to entry
  std::string display_name_;
};

/// True when the entry's stored bytes inflate to its size and checksum (an entry that is copied
/// into a new package unread must not carry damage on).
bool RawIntact(const PackageEntry& entry);

/// A growable byte buffer for the large parts being written. Unlike std::string it never clears
/// what it reserves, so that generous room costs address space only, not memory; growing a large
/// buffer remaps its pages rather than copying them. Throws std::bad_alloc when memory runs out.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer();

  char* data() noexcept { return data_; }
  const char* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  std::string_view view() const noexcept { return {data_, size_}; }

  /// Room for at least `n` bytes in all.
  void Reserve(std::size_t n);
  /// Sets the size; new bytes are left as they are (the caller writes them).
  void Resize(std::size_t n) {
    Reserve(n);
    size_ = n;
  }
  /// Gives back the room past the size.
  void ShrinkToFit();
  void Clear() noexcept { size_ = 0; }

  /// Makes room for `n` more bytes and returns where they go; Commit(n) then counts them.
  char* Room(std::size_t n) {
    if (capacity_ - size_ < n) Grow(n);
    return data_ + size_;
  }
  void Commit(std::size_t n) noexcept { size_ += n; }

  void Append(std::string_view s) {
    // An empty buffer has no storage yet, and memcpy must not see a null pointer even for 0 bytes.
    if (s.empty()) return;
    char* p = Room(s.size());
    std::memcpy(p, s.data(), s.size());
    size_ += s.size();
  }
  void Append(char c) {
    *Room(1) = c;
    ++size_;
  }

 private:
  void Grow(std::size_t more);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

/// One entry of a package being written.
struct OutputEntry {
  std::string name;
  const PackageEntry* copy = nullptr;  ///< copy these compressed bytes unchanged
  std::string data;                    ///< or compress this
  /// or compress what this writes into the (empty) buffer; run on a worker
  std::function<void(ByteBuffer&)> produce;
  /// Expected size of what `produce` writes, to start the largest parts first.
  std::size_t expected_size = 0;
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
