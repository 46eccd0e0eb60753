// Zip container I/O: minizip walks the directory of a package being read (in memory, through
// its I/O callbacks); the package being written is laid out here. libdeflate inflates, deflates
// and checksums, the rewritten parts in parallel.
#include "host/xlsx_zip.hpp"

#include <libdeflate.h>
#include <minizip/unzip.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "host/engine_text.hpp"
#include "host/host_error.hpp"

namespace vardex::host::detail {
namespace {

// A package in memory, read by minizip.
struct MemoryFile {
  const char* data = nullptr;
  uint64_t size = 0;
  uint64_t pos = 0;
  bool failed = false;
};

voidpf ZCALLBACK MemOpen(voidpf opaque, const void*, int) { return opaque; }

uLong ZCALLBACK MemRead(voidpf, voidpf stream, void* buf, uLong size) {
  auto* f = static_cast<MemoryFile*>(stream);
  if (f->pos >= f->size) return 0;
  const uint64_t n = std::min<uint64_t>(size, f->size - f->pos);
  std::memcpy(buf, f->data + f->pos, n);
  f->pos += n;
  return static_cast<uLong>(n);
}

uLong ZCALLBACK MemWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK MemTell(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->pos; }

long ZCALLBACK MemSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* f = static_cast<MemoryFile*>(stream);
  uint64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = f->pos;
  if (origin == ZLIB_FILEFUNC_SEEK_END) base = f->size;
  const uint64_t target = base + offset;
  if (target > f->size) return -1;
  f->pos = target;
  return 0;
}

int ZCALLBACK MemClose(voidpf, voidpf) { return 0; }
int ZCALLBACK MemError(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->failed; }

zlib_filefunc64_def MemoryFunctions(MemoryFile* file) {
  zlib_filefunc64_def f{};
  f.zopen64_file = MemOpen;
  f.zread_file = MemRead;
  f.zwrite_file = MemWrite;
  f.ztell64_file = MemTell;
  f.zseek64_file = MemSeek;
  f.zclose_file = MemClose;
  f.zerror_file = MemError;
  f.opaque = file;
  return f;
}

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

}  // namespace

Package::Package(std::shared_ptr<const std::string> bytes, std::string display_name)
    : source_(std::move(bytes)), display_name_(std::move(display_name)) {
  const std::string& data = *source_;
  MemoryFile mem;
  mem.data = data.data();
  mem.size = data.size();
  zlib_filefunc64_def funcs = MemoryFunctions(&mem);
  unzFile zip = unzOpen2_64("package", &funcs);
  if (zip == nullptr) {
    const bool looks_like_zip = data.size() >= 4 && data.compare(0, 4, "PK\x03\x04") == 0;
    Fail(display_name_, looks_like_zip ? text::kTruncated : text::kNotZip);
  }
  struct Closer {
    unzFile z;
    ~Closer() { unzClose(z); }
  } closer{zip};

  int status = unzGoToFirstFile(zip);
  while (status == UNZ_OK) {
    if (entries_.size() >= kMaxEntries) Fail(display_name_, text::kTooManyParts);
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.size_filename >= sizeof name) {
      Fail(display_name_, text::kNotZip);
    }
    PackageEntry e;
    e.name.assign(name, info.size_filename);
    if (!e.name.empty() && e.name.back() != '/') {
      if ((info.flag & 1) != 0 || (info.compression_method != 0 && info.compression_method != 8))
        Fail(display_name_, text::kEncrypted);
      e.method = static_cast<uint16_t>(info.compression_method);
      e.crc = static_cast<uint32_t>(info.crc);
      e.compressed_size = info.compressed_size;
      e.size = info.uncompressed_size;
      e.dos_date = static_cast<uint32_t>(info.dosDate);
      int method = 0, level = 0;
      if (unzOpenCurrentFile2(zip, &method, &level, 1) != UNZ_OK)
        Fail(display_name_, text::DamagedPart(e.name));
      const uint64_t pos = unzGetCurrentFileZStreamPos64(zip);
      unzCloseCurrentFile(zip);
      if (pos > data.size() || e.compressed_size > data.size() - pos)
        Fail(display_name_, text::kTruncated);
      e.raw = std::string_view(data.data() + pos, e.compressed_size);
      for (const auto& other : entries_) {
        if (EqualsIgnoreCase(other.name, e.name)) Fail(display_name_, text::DamagedPart(e.name));
      }
      entries_.push_back(std::move(e));
    }
    status = unzGoToNextFile(zip);
  }
  if (status != UNZ_END_OF_LIST_OF_FILE) Fail(display_name_, text::kTruncated);
}

const PackageEntry* Package::Find(std::string_view name) const noexcept {
  for (const auto& e : entries_)
    if (e.name == name) return &e;
  for (const auto& e : entries_)
    if (EqualsIgnoreCase(e.name, name)) return &e;
  return nullptr;
}

void Package::AddMemoryEntry(std::string name, std::string content) {
  PackageEntry e;
  e.name = std::move(name);
  e.size = content.size();
  e.content = std::make_shared<const std::string>(std::move(content));
  entries_.push_back(std::move(e));
}

std::string Package::Read(std::string_view name) const {
  const PackageEntry* e = Find(name);
  if (e == nullptr) Fail(display_name_, text::MissingPart(name));
  if (e->content) return *e->content;
  if (e->size > kMaxPartBytes || e->size > e->compressed_size * kMaxDeflateRatio + 4096) {
    Fail(display_name_, text::PartTooLarge(e->name, static_cast<std::size_t>(kMaxPartBytes >> 20)));
  }
  std::string out(static_cast<std::size_t>(e->size), '\0');
  if (e->method == 0) {
    if (e->compressed_size != e->size) Fail(display_name_, text::DamagedPart(e->name));
    std::memcpy(out.data(), e->raw.data(), out.size());
  } else {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    if (d == nullptr) throw std::bad_alloc();
    std::size_t actual = 0;
    const libdeflate_result r = libdeflate_deflate_decompress(d, e->raw.data(), e->raw.size(),
                                                              out.data(), out.size(), &actual);
    libdeflate_free_decompressor(d);
    if (r != LIBDEFLATE_SUCCESS || actual != out.size())
      Fail(display_name_, text::DamagedPart(e->name));
  }
  if (libdeflate_crc32(0, out.data(), out.size()) != e->crc)
    Fail(display_name_, text::DamagedPart(e->name));
  return out;
}

uint32_t DosNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  if (tm.tm_year < 80) return 0x00210000;  // 1980-01-01
  return static_cast<uint32_t>(((tm.tm_year - 80) << 25) | ((tm.tm_mon + 1) << 21) |
                               (tm.tm_mday << 16) | (tm.tm_hour << 11) | (tm.tm_min << 5) |
                               (tm.tm_sec / 2));
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
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (data_ == nullptr && n >= 2 * kHugePage) {
    // A part of tens of megabytes would otherwise take a page fault every 4 KiB as it is
    // written; in huge pages it takes one every 2 MiB. The kernel may decline the advice.
    const std::size_t rounded = (n + kHugePage - 1) / kHugePage * kHugePage;
    if (void* p = std::aligned_alloc(kHugePage, rounded)) {
      ::madvise(p, rounded, MADV_HUGEPAGE);
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
  std::vector<std::size_t> work;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].copy == nullptr) work.push_back(i);
  // Large parts first so that the workers finish together.
  auto expected = [&](std::size_t i) {
    return entries[i].produce ? entries[i].expected_size : entries[i].data.size();
  };
  std::stable_sort(work.begin(), work.end(),
                   [&](std::size_t a, std::size_t b) { return expected(a) > expected(b); });

  const int level = std::clamp(options.level, 1, 12);
  unsigned threads = options.threads ? options.threads : std::thread::hardware_concurrency();
  threads = std::clamp<unsigned>(threads, 1,
                                 static_cast<unsigned>(std::max<std::size_t>(work.size(), 1)));
  std::atomic<std::size_t> next{0};
  std::exception_ptr error;
  std::mutex error_mutex;
  auto worker = [&] {
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    if (c == nullptr) {
      std::lock_guard lock(error_mutex);
      error = std::make_exception_ptr(std::bad_alloc());
      return;
    }
    for (std::size_t k = next++; k < work.size(); k = next++) {
      try {
        CompressEntry(entries[work[k]], c, compressed[work[k]]);
      } catch (...) {
        std::lock_guard lock(error_mutex);
        if (!error) error = std::current_exception();
      }
    }
    libdeflate_free_compressor(c);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (auto& t : pool) t.join();
  if (error) std::rethrow_exception(error);

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
