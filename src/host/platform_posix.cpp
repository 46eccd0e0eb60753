// The platform layer on Linux and other POSIX systems.
#include <fcntl.h>
#include <iconv.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "host/platform.hpp"
#include "host/platform_internal.hpp"

namespace vardex::host::platform {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void ThrowErrno(int error) { throw std::system_error(error, std::generic_category()); }

FileIdentity IdentityFrom(const struct stat& st) {
  FileIdentity id;
  id.volume = static_cast<uint64_t>(st.st_dev);
  id.file = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<uint64_t>(st.st_size);
  id.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// --- temporary files open for saving, for the interrupt handler ------------------------------

// A fixed table, because a signal handler may neither allocate nor take locks. A slot is free
// (0), being filled or emptied (1), or holds the path of an unfinished temporary file (2).
struct Slot {
  std::atomic<int> state{0};
  char path[4096];
};
std::array<Slot, 64> open_temps;

int RegisterTemp(const fs::path& path) {
  const std::string& text = path.native();
  if (text.size() >= sizeof(Slot::path)) return -1;
  for (std::size_t i = 0; i < open_temps.size(); ++i) {
    int expected = 0;
    if (!open_temps[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(open_temps[i].path, text.c_str(), text.size() + 1);
    open_temps[i].state.store(2);
    return static_cast<int>(i);
  }
  return -1;  // more saves at once than slots: that one is not removed on interrupt
}

void UnregisterTemp(int slot) {
  if (slot >= 0) open_temps[static_cast<std::size_t>(slot)].state.store(0);
}

// Holds off the interrupts for a few system calls, so that a file is never on disk without its
// path in the table the handler empties.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal_number);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &before_);
  }
  ~InterruptsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t before_{};
};

void OnInterrupt(int signal_number) {
  for (Slot& slot : open_temps)
    if (slot.state.load() == 2) ::unlink(slot.path);
  // The handler was reset to the default action on entry; raised again, the signal ends the
  // process as it would have without us once this handler returns.
  ::raise(signal_number);
}

// --- names of temporary files ----------------------------------------------------------------

constexpr std::string_view kTempMarker = ".vardex-";
constexpr std::string_view kTempSuffix = ".tmp";
using detail::kRandomDigits;

std::string RandomDigits() {
  std::array<unsigned char, kRandomDigits / 2> bytes{};
  if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    std::random_device device;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(device());
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

fs::path FolderOf(const fs::path& target) {
  fs::path dir = target.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

void SyncFolder(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// The character set converter of the C library. Nothing is written on failure.
std::optional<std::string> Convert(std::string_view bytes, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 2 + 16, '\0');
  // iconv's interface is not const-correct; it never writes through the input pointer.
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t done = 0;
  bool ok = true;
  while (in_left > 0) {
    char* out_at = out.data() + done;
    std::size_t out_left = out.size() - done;
    const std::size_t result = iconv(cd, &in, &in_left, &out_at, &out_left);
    done = static_cast<std::size_t>(out_at - out.data());
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: invalid or incomplete input
    break;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

}  // namespace

// --- reading ---------------------------------------------------------------------------------

FileContent ReadRegularFile(const fs::path& path, uint64_t max_bytes) {
  // Non-blocking, so that a pipe or device named like a workbook cannot hang the open.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) ThrowErrno(errno);
  FileContent content;
  // A file written while it is read is read again, so that the bytes and the identity agree.
  for (int attempt = 0;; ++attempt) {
    struct stat before {};
    if (::fstat(fd.get(), &before) != 0) ThrowErrno(errno);
    if (S_ISDIR(before.st_mode)) ThrowErrno(EISDIR);
    if (!S_ISREG(before.st_mode)) ThrowErrno(EINVAL);
    if (static_cast<uint64_t>(before.st_size) > max_bytes) ThrowErrno(EFBIG);
    content.bytes.resize(static_cast<std::size_t>(before.st_size));
    std::size_t done = 0;
    while (done < content.bytes.size()) {
      const ssize_t n = ::pread(fd.get(), content.bytes.data() + done, content.bytes.size() - done,
                                static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ThrowErrno(errno);
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    content.bytes.resize(done);
    struct stat after {};
    if (::fstat(fd.get(), &after) != 0) ThrowErrno(errno);
    content.identity = IdentityFrom(after);
    if ((IdentityFrom(before) == content.identity && done == content.identity.size) || attempt == 2)
      return content;
  }
}

std::optional<FileIdentity> IdentityOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdentityFrom(st);
}

bool IsReadOnly(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // No write bit at all marks the file read-only even for a user (root) whom the system would
  // let write it anyway.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

// --- the temporary file of a save ------------------------------------------------------------

TempFile::TempFile(const fs::path& target) : target_(target) {
  struct stat original {};
  const bool replaces = ::stat(target.c_str(), &original) == 0 && S_ISREG(original.st_mode);
  const fs::path dir = FolderOf(target);
  const std::string stem = target.filename().string() + std::string(kTempMarker);
  int fd = -1;
  {
    const InterruptsHeld held;
    for (int attempt = 0; fd < 0; ++attempt) {
      path_ = dir / (stem + RandomDigits() + std::string(kTempSuffix));
      // Exclusive and without following a link: whatever already has the name stays untouched.
      fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd < 0 && (errno != EEXIST || attempt == 15)) ThrowErrno(errno);
    }
    handle_ = fd;
    slot_ = RegisterTemp(path_);
  }
  // Held while the file is unfinished: LeftoverCleanup() of another run sees it is alive.
  ::flock(fd, LOCK_EX | LOCK_NB);
  if (replaces) {
    // The owner first: changing it may clear the mode's special bits.
    if (::fchown(fd, original.st_uid, original.st_gid) != 0) {
      // Only the owner's group, or nothing, may be given away; the file stays ours.
    }
    if (::fchmod(fd, original.st_mode & 07777) != 0) {
      const int error = errno;
      ::unlink(path_.c_str());
      ::close(fd);
      handle_ = -1;
      UnregisterTemp(slot_);
      ThrowErrno(error);
    }
  }
}

TempFile::~TempFile() {
  if (!done_) ::unlink(path_.c_str());
  UnregisterTemp(slot_);
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

void TempFile::WriteDurably(std::string_view bytes) {
  const int fd = static_cast<int>(handle_);
  std::string_view rest = bytes;
  const std::error_code injected = detail::InjectedAt(SaveStep::kWrite);
  if (injected) rest = bytes.substr(0, bytes.size() / 2);  // a disk that fills up part-way
  while (!rest.empty()) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno);
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  if (injected) throw std::system_error(injected);
  if (::fsync(fd) != 0) ThrowErrno(errno);
}

FileIdentity TempFile::Identity() const {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) ThrowErrno(errno);
  return IdentityFrom(st);
}

void TempFile::ReplaceTarget(FileLock* held) {
  if (const std::error_code injected = detail::InjectedAt(SaveStep::kReplace))
    throw std::system_error(injected);
  if (::rename(path_.c_str(), target_.c_str()) != 0) ThrowErrno(errno);
  if (held != nullptr) held->Release();
  done_ = true;
  UnregisterTemp(slot_);
  slot_ = -1;
  // The rename itself must reach the disk too.
  SyncFolder(FolderOf(target_));
}

bool TempFile::MoveToNewName(const fs::path& name) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
    done_ = true;
  } else if (errno == EEXIST) {
    return false;
  } else if (errno != EINVAL && errno != ENOSYS) {
    ThrowErrno(errno);
  }
#endif
  if (!done_) {
    // A file system without the no-replace rename: a second name, then the first one goes.
    if (::link(path_.c_str(), name.c_str()) != 0) {
      if (errno == EEXIST) return false;
      ThrowErrno(errno);
    }
    ::unlink(path_.c_str());
    done_ = true;
  }
  UnregisterTemp(slot_);
  slot_ = -1;
  SyncFolder(FolderOf(target_));
  return true;
}

void LeftoverCleanup(const fs::path& target) noexcept {
  try {
    const std::string target_name = target.filename().string();
    const uid_t me = ::geteuid();
    std::error_code error;
    for (fs::directory_iterator it(FolderOf(target), error), end; !error && it != end;
         it.increment(error)) {
      const fs::path& candidate = it->path();
      if (!detail::IsTempNameFor<char>(candidate.filename().string(), target_name)) continue;
      const Descriptor fd(
          ::open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      struct stat opened {};
      // Only a file this user made that no other name shares: never someone else's, never a
      // second name of another file.
      if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
          opened.st_uid != me || opened.st_nlink != 1)
        continue;
      // A save that is alive holds its file locked.
      if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
      struct stat named {};
      if (::lstat(candidate.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
          named.st_ino == opened.st_ino)
        ::unlink(candidate.c_str());
    }
  } catch (...) {
    // Clean-up is a courtesy; a folder that cannot be listed keeps its files.
  }
}

// --- the lock on a project -------------------------------------------------------------------

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), identity_(other.identity_) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = std::exchange(other.handle_, -1);
    identity_ = other.identity_;
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

void FileLock::Release() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(std::exchange(handle_, -1)));
}

FileLock FileLock::Acquire(const fs::path& path, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowErrno(errno);
    struct stat locked {};
    if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) {
      const int error = S_ISDIR(locked.st_mode) ? EISDIR : EINVAL;
      ::close(fd);
      ThrowErrno(error);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // A save that finished while this one waited has put a new file at the name; the lock on
      // the old one protects nothing, so the new one is locked instead.
      struct stat named {};
      if (::stat(path.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
          named.st_ino == locked.st_ino) {
        FileLock lock;
        lock.handle_ = fd;
        lock.identity_ = IdentityFrom(named);
        return lock;
      }
      ::close(fd);
      continue;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK && error != EINTR) ThrowErrno(error);
    if (std::chrono::steady_clock::now() >= deadline) return FileLock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// --- interrupts, clocks, the program and the machine -----------------------------------------

void InstallInterruptCleanup() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
      continue;  // ignored (nohup) or handled by someone else: left as it is
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

std::tm detail::BrokenDownTime(std::time_t time, bool local) {
  std::tm tm{};
  if (local) {
    ::localtime_r(&time, &tm);
  } else {
    ::gmtime_r(&time, &tm);
  }
  return tm;
}

fs::path ExecutableDir(const char* argv0) {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error || self.empty()) self = fs::absolute(argv0 != nullptr ? argv0 : "", error);
  return self.parent_path();
}

unsigned CoreCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  return std::max(1U, std::thread::hardware_concurrency());
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void SetUpConsole() {
  // Terminals here take the program's UTF-8 as it is.
}

void* AllocateHugePages(std::size_t size) noexcept {
  void* data = std::aligned_alloc(kHugePageSize, size);
  // The kernel may decline the advice.
  if (data != nullptr) ::madvise(data, size, MADV_HUGEPAGE);
  return data;
}

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
  return Convert(bytes, "GB18030", "UTF-8");
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Convert(utf8, "UTF-8", "GBK");
}

}  // namespace vardex::host::platform
