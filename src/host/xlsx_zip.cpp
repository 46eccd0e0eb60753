// Zip container I/O: the directory of a package being read is walked here, as is the layout of
// the package being written. libdeflate inflates, deflates and checksums, the rewritten parts in
// parallel.
#include "host/xlsx_zip.hpp"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "host/engine_text.hpp"
#include "host/file_kind.hpp"
#include "host/host_error.hpp"
#include "host/load_limits.hpp"
#include "host/platform.hpp"
#include "host/thread_pool.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

[[noreturn]] void Fail(const std::string& file, std::string_view reason) {
  throw HostError(kErrCannotOpen, text::CannotOpen(file, reason));
}

// Deflate cannot expand data by more than about 1032:1; a header claiming more is lying.
constexpr uint64_t kMaxDeflateRatio = 1032;

// Little-endian fields of the zip format, read from a checked position.
uint64_t Le(const char* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndRecord = 0x06054b50;
constexpr uint32_t kZip64EndRecord = 0x06064b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint64_t kMax32 = 0xFFFFFFFFu;

// Where the central directory is and how many entries it holds.
struct Directory {
  uint64_t count = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
};

Directory FindDirectory(std::string_view data, const std::string& file) {
  // An intact file of another kind is named for what it is, never called damaged. (A package
  // is found from its end, so bytes before the first entry do not stop it from opening.)
  const bool looks_like_zip = data.size() >= 4 && Le(data.data(), 4) == kLocalHeader;
  if (IsOleFile(data)) Fail(file, NotPackageReason(data));
  const std::string damaged(looks_like_zip ? text::kTruncated : NotPackageReason(data));
  if (data.size() < 22) Fail(file, damaged);
  // The end record is the last thing in the file but for a comment of up to 65,535 bytes.
  std::size_t end = data.size() - 22;
  const std::size_t lowest = data.size() > 22 + 65535 ? data.size() - 22 - 65535 : 0;
  for (;; --end) {
    if (Le(data.data() + end, 4) == kEndRecord &&
        end + 22 + Le(data.data() + end + 20, 2) <= data.size())
      break;
    if (end == lowest) Fail(file, damaged);
  }
  const char* e = data.data() + end;
  Directory dir{Le(e + 10, 2), Le(e + 16, 4), Le(e + 12, 4)};
  // Zip64: a locator just before the end record points at the record with the wide fields.
  if (end >= 20 && Le(e - 20, 4) == kZip64Locator) {
    const uint64_t record = Le(e - 12, 8);
    if (record > data.size() || data.size() - record < 56 ||
        Le(data.data() + record, 4) != kZip64EndRecord)
      Fail(file, damaged);
    const char* r = data.data() + record;
    dir = {Le(r + 32, 8), Le(r + 48, 8), Le(r + 40, 8)};
  }
  if (dir.offset > data.size() || dir.size > data.size() - dir.offset) Fail(file, damaged);
  return dir;
}

}  // namespace

// Reads the central directory in one pass: every entry's sizes (from the zip64 extra field where
// the 32-bit fields say so), checksum and the place of its data behind its local header.
Package::Package(std::shared_ptr<const std::string> bytes, std::string display_name)
    : source_(std::move(bytes)), display_name_(std::move(display_name)) {
  const std::string_view data = *source_;
  const Directory dir = FindDirectory(data, display_name_);
  if (dir.count > kLoadLimits.entries) FailOverLimit(display_name_, "部件数", kLoadLimits.entries);
  if (dir.count > dir.size / 46) Fail(display_name_, text::kTruncated);
  entries_.reserve(static_cast<std::size_t>(dir.count));
  index_.reserve(static_cast<std::size_t>(dir.count));
  uint64_t declared = 0;
  const char* p = data.data() + dir.offset;
  const char* const end = p + dir.size;
  for (uint64_t i = 0; i < dir.count; ++i) {
    if (end - p < 46 || Le(p, 4) != kCentralHeader) Fail(display_name_, text::kTruncated);
    const uint64_t name_length = Le(p + 28, 2);
    const uint64_t extra_length = Le(p + 30, 2);
    const uint64_t comment_length = Le(p + 32, 2);
    if (static_cast<uint64_t>(end - p) < 46 + name_length + extra_length + comment_length)
      Fail(display_name_, text::kTruncated);
    PackageEntry e;
    e.name.assign(p + 46, name_length);
    // Some zip tools on Windows store the folder separator as a backslash, which no part name
    // holds: such an entry is the part its name means with slashes, and is saved under that.
    std::replace(e.name.begin(), e.name.end(), '\\', '/');
    const uint64_t flags = Le(p + 8, 2);
    e.method = static_cast<uint16_t>(Le(p + 10, 2));
    e.dos_date = static_cast<uint32_t>(Le(p + 12, 4));
    e.crc = static_cast<uint32_t>(Le(p + 16, 4));
    e.compressed_size = Le(p + 20, 4);
    e.size = Le(p + 24, 4);
    uint64_t local = Le(p + 42, 4);
    // The zip64 field holds, in this order, only the values whose 32-bit field is all ones.
    for (const char* x = p + 46 + name_length; x + 4 <= p + 46 + name_length + extra_length;) {
      const uint64_t id = Le(x, 2);
      const uint64_t length = Le(x + 2, 2);
      const char* field = x + 4;
      const char* field_end = field + length;
      if (field_end > p + 46 + name_length + extra_length) Fail(display_name_, text::kNotZip);
      if (id == 1) {
        for (uint64_t* value : {&e.size, &e.compressed_size, &local}) {
          if (*value != kMax32) continue;
          if (field_end - field < 8) Fail(display_name_, text::kNotZip);
          *value = Le(field, 8);
          field += 8;
        }
      }
      x = field_end;
    }
    p += 46 + name_length + extra_length + comment_length;
    if (e.name.empty() || e.name.back() == '/') continue;  // folders hold nothing
    if ((flags & 1) != 0 || (e.method != 0 && e.method != 8)) Fail(display_name_, text::kEncrypted);
    if (local > data.size() || data.size() - local < 30 ||
        Le(data.data() + local, 4) != kLocalHeader)
      Fail(display_name_, text::DamagedPart(e.name));
    const uint64_t start =
        local + 30 + Le(data.data() + local + 26, 2) + Le(data.data() + local + 28, 2);
    if (start > data.size() || e.compressed_size > data.size() - start)
      Fail(display_name_, text::kTruncated);
    e.raw =
        data.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(e.compressed_size));
    if (e.size > e.compressed_size * kMaxDeflateRatio + 4096)
      Fail(display_name_, text::PartTooLarge(e.name));
    declared += e.size;
    if (declared > kLoadLimits.inflated_bytes)
      FailOverLimit(display_name_, "解压后的总大小（算到部件" + text::Quoted(e.name) + "为止）",
                    kLoadLimits.inflated_bytes);
    if (!index_.emplace(LowerAscii(e.name), entries_.size()).second)
      Fail(display_name_, text::DamagedPart(e.name));
    entries_.push_back(std::move(e));
  }
}

const PackageEntry* Package::Find(std::string_view name) const noexcept {
  // Names that differ only in case are refused on reading, so the lower-case name is unique.
  try {
    const auto it = index_.find(LowerAscii(name));
    return it == index_.end() ? nullptr : &entries_[it->second];
  } catch (const std::bad_alloc&) {
    for (const auto& e : entries_)
      if (EqualsIgnoreCase(e.name, name)) return &e;
    return nullptr;
  }
}

void Package::AddMemoryEntry(std::string name, std::string content) {
  PackageEntry e;
  e.name = std::move(name);
  e.size = content.size();
  e.content = std::make_shared<const std::string>(std::move(content));
  index_[LowerAscii(e.name)] = entries_.size();
  entries_.push_back(std::move(e));
}

namespace {

// Inflates (or copies) an entry's bytes into `out`, sized to the entry; false when the data is
// damaged or does not match its checksum.
bool Inflate(const PackageEntry& e, char* out) {
  if (e.method == 0) {
    if (e.compressed_size != e.size) return false;
    if (e.size != 0) std::memcpy(out, e.raw.data(), static_cast<std::size_t>(e.size));
  } else {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    if (d == nullptr) throw std::bad_alloc();
    std::size_t actual = 0;
    const libdeflate_result r = libdeflate_deflate_decompress(
        d, e.raw.data(), e.raw.size(), out, static_cast<std::size_t>(e.size), &actual);
    libdeflate_free_decompressor(d);
    if (r != LIBDEFLATE_SUCCESS || actual != e.size) return false;
  }
  return libdeflate_crc32(0, out, static_cast<std::size_t>(e.size)) == e.crc;
}

}  // namespace

std::string Package::Read(std::string_view name) const {
  const PackageEntry* e = Find(name);
  if (e == nullptr) Fail(display_name_, text::MissingPart(name));
  if (e->content) return *e->content;
  std::string out(static_cast<std::size_t>(e->size), '\0');
  if (!Inflate(*e, out.data())) Fail(display_name_, text::DamagedPart(e->name));
  return out;
}

void Package::ReadInto(std::string_view name, ByteBuffer& out) const {
  const PackageEntry* e = Find(name);
  if (e == nullptr) Fail(display_name_, text::MissingPart(name));
  out.Clear();
  if (e->content) {
    out.Append(*e->content);
    return;
  }
  out.Resize(static_cast<std::size_t>(e->size));
  if (!Inflate(*e, out.data())) Fail(display_name_, text::DamagedPart(e->name));
}

bool RawIntact(const PackageEntry& entry) {
  if (entry.content) return true;
  ByteBuffer scratch;
  scratch.Resize(static_cast<std::size_t>(entry.size));
  return Inflate(entry, scratch.data());
}

uint32_t DosNow() {
  const platform::LocalTime t = platform::LocalNow();
  if (t.year < 1980) return 0x00210000;  // 1980-01-01
  return static_cast<uint32_t>(((t.year - 1980) << 25) | (t.month << 21) | (t.day << 16) |
                               (t.hour << 11) | (t.minute << 5) | (t.second / 2));
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

void ByteBuffer::Reserve(std::size_t n) {
  if (n <= capacity_) return;
  constexpr std::size_t kHugePage = platform::kHugePageSize;
  if (data_ == nullptr && n >= 2 * kHugePage) {
    // A part of tens of megabytes would otherwise take a page fault every 4 KiB as it is
    // written; in huge pages it takes one every 2 MiB.
    const std::size_t rounded = (n + kHugePage - 1) / kHugePage * kHugePage;
    if (void* p = platform::AllocateHugePages(rounded)) {
      data_ = static_cast<char*>(p);
      capacity_ = rounded;
      return;
    }
  }
  // realloc, not new[]: a large block is moved by remapping its pages, never by copying them.
  void* p = std::realloc(data_, n);
  if (p == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(p);
  capacity_ = n;
}

void ByteBuffer::Grow(std::size_t more) {
  Reserve(std::max(size_ + more, capacity_ + capacity_ / 2 + 4096));
}

void ByteBuffer::ShrinkToFit() {
  if (size_ == capacity_ || size_ == 0) return;
  if (void* p = std::realloc(data_, size_)) {
    data_ = static_cast<char*>(p);
    capacity_ = size_;
  }
}

namespace {

// Appends `v` as `bytes` little-endian bytes, the zip format's byte order.
void PutLe(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Compressed {
  ByteBuffer bytes;
  uint32_t crc = 0;
  uint64_t size = 0;
  uint16_t method = 8;
};

void CompressEntry(OutputEntry& entry, libdeflate_compressor* c, Compressed& out) {
  ByteBuffer data;
  if (entry.produce) {
    entry.produce(data);
  } else {
    data.Append(entry.data);
    entry.data = std::string();
  }
  out.size = data.size();
  out.crc = static_cast<uint32_t>(libdeflate_crc32(0, data.data(), data.size()));
  // The bound is far above what XML compresses to; the room left unwritten costs nothing.
  out.bytes.Resize(libdeflate_deflate_compress_bound(c, data.size()));
  const std::size_t n =
      libdeflate_deflate_compress(c, data.data(), data.size(), out.bytes.data(), out.bytes.size());
  if (n == 0 || n >= data.size()) {
    // Tiny parts do not shrink: store them.
    out.bytes = std::move(data);
    out.method = 0;
  } else {
    out.bytes.Resize(n);
    out.bytes.ShrinkToFit();
  }
}

}  // namespace

std::string WriteZip(std::vector<OutputEntry>& entries, const ZipOptions& options) {
  std::vector<Compressed> compressed(entries.size());
  // Every part is work: a rewritten one is compressed, a copied one is checked.
  std::vector<std::size_t> work(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) work[i] = i;
  // Large parts first so that the workers finish together.
  auto expected = [&](std::size_t i) {
    if (entries[i].copy != nullptr) return static_cast<std::size_t>(entries[i].copy->size);
    return entries[i].produce ? entries[i].expected_size : entries[i].data.size();
  };
  std::stable_sort(work.begin(), work.end(),
                   [&](std::size_t a, std::size_t b) { return expected(a) > expected(b); });

  const int level = std::clamp(options.level, 1, 12);
  ParallelFor(work.size(), options.threads, [&](std::size_t k) {
    OutputEntry& entry = entries[work[k]];
    if (entry.copy != nullptr) {
      if (!RawIntact(*entry.copy))
        throw HostError(kErrCannotSave, text::DamagedCopiedPart(entry.name));
      return;
    }
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    if (c == nullptr) throw std::bad_alloc();
    try {
      CompressEntry(entry, c, compressed[work[k]]);
    } catch (...) {
      libdeflate_free_compressor(c);
      throw;
    }
    libdeflate_free_compressor(c);
  });

  // The container around the compressed bytes is written here rather than through minizip,
  // which would checksum and copy every compressed byte once more on the way.
  std::size_t total = 22 + 56 + 20;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t body = entries[i].copy != nullptr && !entries[i].copy->content
                                 ? entries[i].copy->raw.size()
                                 : compressed[i].bytes.size();
    total += body + 2 * entries[i].name.size() + 30 + 46 + 2 * 28;
  }
  std::string out;
  out.reserve(total + 4096);  // in-memory copies of built-in parts, compressed below, are small
  struct Central {
    uint64_t size, compressed, offset;
    uint32_t crc, dos_date;
    uint16_t method, flags;
  };
  std::vector<Central> central;
  central.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const OutputEntry& e = entries[i];
    std::string_view bytes;
    Central c{};
    if (e.copy != nullptr && !e.copy->content) {
      bytes = e.copy->raw;
      c.size = e.copy->size;
      c.crc = e.copy->crc;
      c.method = e.copy->method;
    } else {
      if (e.copy != nullptr) {
        // An in-memory entry to copy: compress it here (small, built-in parts only).
        OutputEntry tmp;
        tmp.data = *e.copy->content;
        libdeflate_compressor* lc = libdeflate_alloc_compressor(level);
        if (lc == nullptr) throw std::bad_alloc();
        CompressEntry(tmp, lc, compressed[i]);
        libdeflate_free_compressor(lc);
      }
      bytes = compressed[i].bytes.view();
      c.size = compressed[i].size;
      c.crc = compressed[i].crc;
      c.method = compressed[i].method;
    }
    c.compressed = bytes.size();
    c.offset = out.size();
    c.dos_date = e.dos_date ? e.dos_date : (e.copy ? e.copy->dos_date : DosNow());
    // Bit 11: the name is UTF-8 (part names may hold any character).
    c.flags = std::any_of(e.name.begin(), e.name.end(),
                          [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; })
                  ? uint16_t{0x0800}
                  : uint16_t{0};
    const bool zip64 = c.size >= 0xFFFFFFFFu || c.compressed >= 0xFFFFFFFFu;
    PutLe(out, 0x04034b50u, 4);
    PutLe(out, zip64 ? 45 : 20, 2);
    PutLe(out, c.flags, 2);
    PutLe(out, c.method, 2);
    PutLe(out, c.dos_date & 0xFFFFu, 2);
    PutLe(out, c.dos_date >> 16, 2);
    PutLe(out, c.crc, 4);
    PutLe(out, zip64 ? 0xFFFFFFFFu : c.compressed, 4);
    PutLe(out, zip64 ? 0xFFFFFFFFu : c.size, 4);
    PutLe(out, e.name.size(), 2);
    PutLe(out, zip64 ? 20 : 0, 2);
    out += e.name;
    if (zip64) {
      PutLe(out, 0x0001, 2);
      PutLe(out, 16, 2);
      PutLe(out, c.size, 8);
      PutLe(out, c.compressed, 8);
    }
    out.append(bytes);
    central.push_back(c);
    compressed[i] = Compressed{};
  }

  const uint64_t directory = out.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Central& c = central[i];
    const bool big_size = c.size >= 0xFFFFFFFFu || c.compressed >= 0xFFFFFFFFu;
    const bool big_offset = c.offset >= 0xFFFFFFFFu;
    const std::size_t extra = (big_size ? 16u : 0u) + (big_offset ? 8u : 0u);
    PutLe(out, 0x02014b50u, 4);
    PutLe(out, extra ? 45 : 20, 2);  // made by: MS-DOS attributes, this version
    PutLe(out, extra ? 45 : 20, 2);
    PutLe(out, c.flags, 2);
    PutLe(out, c.method, 2);
    PutLe(out, c.dos_date & 0xFFFFu, 2);
    PutLe(out, c.dos_date >> 16, 2);
    PutLe(out, c.crc, 4);
    PutLe(out, big_size ? 0xFFFFFFFFu : c.compressed, 4);
    PutLe(out, big_size ? 0xFFFFFFFFu : c.size, 4);
    PutLe(out, entries[i].name.size(), 2);
    PutLe(out, extra ? extra + 4 : 0, 2);
    PutLe(out, 0, 2);  // comment
    PutLe(out, 0, 2);  // disk
    PutLe(out, 0, 2);  // internal attributes
    PutLe(out, 0, 4);  // external attributes
    PutLe(out, big_offset ? 0xFFFFFFFFu : c.offset, 4);
    out += entries[i].name;
    if (extra) {
      PutLe(out, 0x0001, 2);
      PutLe(out, extra, 2);
      if (big_size) {
        PutLe(out, c.size, 8);
        PutLe(out, c.compressed, 8);
      }
      if (big_offset) PutLe(out, c.offset, 8);
    }
  }
  const uint64_t directory_size = out.size() - directory;
  const uint64_t count = entries.size();
  const bool zip64_end =
      count >= 0xFFFFu || directory >= 0xFFFFFFFFu || directory_size >= 0xFFFFFFFFu;
  if (zip64_end) {
    const uint64_t record = out.size();
    PutLe(out, 0x06064b50u, 4);
    PutLe(out, 44, 8);
    PutLe(out, 45, 2);
    PutLe(out, 45, 2);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, count, 8);
    PutLe(out, count, 8);
    PutLe(out, directory_size, 8);
    PutLe(out, directory, 8);
    PutLe(out, 0x07064b50u, 4);
    PutLe(out, 0, 4);
    PutLe(out, record, 8);
    PutLe(out, 1, 4);
  }
  PutLe(out, 0x06054b50u, 4);
  PutLe(out, 0, 2);
  PutLe(out, 0, 2);
  PutLe(out, zip64_end ? 0xFFFFu : count, 2);
  PutLe(out, zip64_end ? 0xFFFFu : count, 2);
  PutLe(out, zip64_end ? 0xFFFFFFFFu : directory_size, 4);
  PutLe(out, zip64_end ? 0xFFFFFFFFu : directory, 4);
  PutLe(out, 0, 2);  // comment
  return out;
}

}  // namespace vardex::host::detail
