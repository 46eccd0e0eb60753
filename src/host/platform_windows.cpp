// The platform layer on Windows (10 and later), on the wide-character file API so that folder
// and file names in Chinese work whatever the system's code page.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h
#include <shellapi.h>
// the C runtime's file modes
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "host/platform.hpp"
#include "host/platform_internal.hpp"

namespace vardex::host::platform {
namespace {

namespace fs = std::filesystem;

// Win32 error codes as the portable values the callers word their messages from.
std::errc PortableError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return std::errc::no_such_file_or_directory;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
      return std::errc::permission_denied;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::errc::file_exists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::errc::no_space_on_device;
    case ERROR_WRITE_PROTECT:
      return std::errc::read_only_file_system;
    case ERROR_NOT_SAME_DEVICE:
      return std::errc::cross_device_link;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return std::errc::filename_too_long;
    case ERROR_DIRECTORY:
      return std::errc::not_a_directory;
    case ERROR_CANT_RESOLVE_FILENAME:
      return std::errc::too_many_symbolic_link_levels;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
      return std::errc::invalid_argument;
    default:
      return std::errc::io_error;
  }
}

[[noreturn]] void Throw(std::errc error) { throw std::system_error(std::make_error_code(error)); }
[[noreturn]] void ThrowLast() { Throw(PortableError(::GetLastError())); }

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) ::CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an existing file or folder for its metadata and reading, letting others read, write,
// rename and delete it meanwhile (as a reader on Linux would).
HANDLE OpenShared(const fs::path& path, DWORD access) {
  return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

int64_t NanosecondsSinceEpoch(FILETIME time) {
  // FILETIME counts 100 ns steps since 1601-01-01.
  const uint64_t ticks = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  FileIdentity id;
  id.volume = info.dwVolumeSerialNumber;
  id.file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  id.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  id.modified_ns = NanosecondsSinceEpoch(info.ftLastWriteTime);
  return id;
}

BY_HANDLE_FILE_INFORMATION InfoOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) ThrowLast();
  return info;
}

// A regular file on a disk: not a folder (std::errc::is_a_directory), not a pipe, console or
// device (std::errc::invalid_argument).
BY_HANDLE_FILE_INFORMATION RegularFileInfo(HANDLE h) {
  if (::GetFileType(h) != FILE_TYPE_DISK) Throw(std::errc::invalid_argument);
  const BY_HANDLE_FILE_INFORMATION info = InfoOf(h);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Throw(std::errc::is_a_directory);
  return info;
}

// --- temporary files open for saving, for the console's close events -------------------------

// The console handler runs on a thread of its own while the others go on; a fixed table with
// atomic states keeps it away from paths that are being written. A slot is free (0), being
// filled or emptied (1), or holds the path of an unfinished temporary file (2).
struct Slot {
  std::atomic<int> state{0};
  wchar_t path[4096];
};
std::array<Slot, 64> open_temps;

int RegisterTemp(const fs::path& path) {
  const std::wstring& text = path.native();
  if (text.size() >= std::size(Slot{}.path)) return -1;
  for (std::size_t i = 0; i < open_temps.size(); ++i) {
    int expected = 0;
    if (!open_temps[i].state.compare_exchange_strong(expected, 1)) continue;
    std::wmemcpy(open_temps[i].path, text.c_str(), text.size() + 1);
    open_temps[i].state.store(2);
    return static_cast<int>(i);
  }
  return -1;  // more saves at once than slots: that one is not removed on interrupt
}

void UnregisterTemp(int slot) {
  if (slot >= 0) open_temps[static_cast<std::size_t>(slot)].state.store(0);
}

BOOL WINAPI OnConsoleEvent(DWORD) {
  // The files are open with delete sharing: they go when the process ends and closes them.
  for (Slot& slot : open_temps)
    if (slot.state.load() == 2) ::DeleteFileW(slot.path);
  return FALSE;  // the next handler (the default one) ends the process as before
}

// --- names of temporary files ----------------------------------------------------------------

constexpr std::wstring_view kTempMarker = L".vardex-";
constexpr std::wstring_view kTempSuffix = L".tmp";
using detail::kRandomDigits;

std::wstring RandomDigits() {
  std::random_device device;  // the system's cryptographic generator on Windows
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring out;
  for (std::size_t i = 0; i < kRandomDigits; ++i) out += kHex[device() & 15];
  return out;
}

fs::path FolderOf(const fs::path& target) {
  fs::path dir = target.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

// Renames the open file `h` to `to` in one step. Where the system allows (Windows 10 1809 and
// later on NTFS), with the semantics of a POSIX rename, so that a target that others hold open
// with delete sharing (the project lock of this very run) is replaced as on Linux.
bool RenameOpenFile(HANDLE h, const fs::path& to, bool replace) {
  // FILE_RENAME_INFO with its flags word (FileRenameInfoEx), which older headers lack.
  constexpr int kFileRenameInfoEx = 22;
  constexpr DWORD kReplaceIfExists = 0x1;
  constexpr DWORD kPosixSemantics = 0x2;
  struct RenameInfo {
    DWORD flags;
    HANDLE root;
    DWORD name_bytes;
    WCHAR name[1];
  };
  const std::wstring& name = to.native();
  std::vector<unsigned char> buffer(sizeof(RenameInfo) + name.size() * sizeof(WCHAR));
  auto* info = reinterpret_cast<RenameInfo*>(buffer.data());
  info->flags = (replace ? kReplaceIfExists : 0) | kPosixSemantics;
  info->root = nullptr;
  info->name_bytes = static_cast<DWORD>(name.size() * sizeof(WCHAR));
  std::wmemcpy(info->name, name.c_str(), name.size() + 1);
  if (::SetFileInformationByHandle(h, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx),
                                   info, static_cast<DWORD>(buffer.size())))
    return true;
  const DWORD error = ::GetLastError();
  if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
      error != ERROR_INVALID_FUNCTION && error != ERROR_CALL_NOT_IMPLEMENTED)
    return false;
  // Without the POSIX semantics: the same layout, whose first byte says whether to replace.
  info->flags = replace ? 1 : 0;
  return ::SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) !=
         0;
}

// The lock of a Vardex run covers one byte far beyond the end of any workbook: Windows locks
// are mandatory, and a lock on the content would keep other programs from reading the file.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// `bytes` in code page `from` as UTF-16, or nothing when they are not valid in it.
std::optional<std::wstring> Widen(UINT from, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int length =
      ::MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length) !=
      length) {
    return std::nullopt;
  }
  return wide;
}

// UTF-16 text in code page `to`, or nothing when a character has no form in it. `flags` and the
// default-character check apply to the ANSI code pages only (not to UTF-8).
std::optional<std::string> Narrow(UINT to, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const int size = static_cast<int>(wide.size());
  const bool utf8 = to == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used = utf8 ? nullptr : &used_default;
  const int length = ::WideCharToMultiByte(to, flags, wide.data(), size, nullptr, 0, nullptr, used);
  if (length <= 0 || used_default) return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(to, flags, wide.data(), size, out.data(), length, nullptr, used) !=
          length ||
      used_default) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

// --- reading ---------------------------------------------------------------------------------

FileContent ReadRegularFile(const fs::path& path, uint64_t max_bytes) {
  const Handle file(OpenShared(path, GENERIC_READ));
  if (!file.valid()) ThrowLast();
  FileContent content;
  // A file written while it is read is read again, so that the bytes and the identity agree.
  for (int attempt = 0;; ++attempt) {
    const FileIdentity before = IdentityFrom(RegularFileInfo(file.get()));
    if (before.size > max_bytes) Throw(std::errc::file_too_large);
    content.bytes.resize(static_cast<std::size_t>(before.size));
    std::size_t done = 0;
    while (done < content.bytes.size()) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(done);
      at.OffsetHigh = static_cast<DWORD>(uint64_t{done} >> 32);
      const DWORD want =
          static_cast<DWORD>(std::min<std::size_t>(content.bytes.size() - done, 1U << 30));
      DWORD got = 0;
      if (!::ReadFile(file.get(), content.bytes.data() + done, want, &got, &at)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        ThrowLast();
      }
      if (got == 0) break;
      done += got;
    }
    content.bytes.resize(done);
    content.identity = IdentityFrom(InfoOf(file.get()));
    if ((before == content.identity && done == content.identity.size) || attempt == 2)
      return content;
  }
}

std::optional<FileIdentity> IdentityOf(const fs::path& path) {
  const Handle file(OpenShared(path, FILE_READ_ATTRIBUTES));
  if (!file.valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return IdentityFrom(info);
}

bool IsReadOnly(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  if (attributes & FILE_ATTRIBUTE_READONLY) return true;
  // The folder's or the file's access rules may deny writing too.
  const Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file.valid() && ::GetLastError() == ERROR_ACCESS_DENIED;
}

// --- the temporary file of a save ------------------------------------------------------------

TempFile::TempFile(const fs::path& target) : target_(target) {
  const fs::path dir = FolderOf(target);
  const std::wstring stem = target.filename().native() + std::wstring(kTempMarker);
  for (int attempt = 0;; ++attempt) {
    path_ = dir / (stem + RandomDigits() + std::wstring(kTempSuffix));
    // CREATE_NEW never opens what already has the name, a link included. Others may read the
    // file and it may be renamed or deleted while open (the console handler deletes it), but
    // no one else may open it for writing.
    const HANDLE h = ::CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<intptr_t>(h);
      break;
    }
    const DWORD error = ::GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 15)
      Throw(PortableError(error));
  }
  slot_ = RegisterTemp(path_);
}

TempFile::~TempFile() {
  UnregisterTemp(slot_);
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  if (!done_) ::DeleteFileW(path_.c_str());
}

void TempFile::WriteDurably(std::string_view bytes) {
  const auto h = reinterpret_cast<HANDLE>(handle_);
  std::string_view rest = bytes;
  const std::error_code injected = detail::InjectedAt(SaveStep::kWrite);
  if (injected) rest = bytes.substr(0, bytes.size() / 2);  // a disk that fills up part-way
  while (!rest.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1U << 30));
    DWORD wrote = 0;
    if (!::WriteFile(h, rest.data(), want, &wrote, nullptr)) ThrowLast();
    rest.remove_prefix(wrote);
  }
  if (injected) throw std::system_error(injected);
  if (!::FlushFileBuffers(h)) ThrowLast();
}

FileIdentity TempFile::Identity() const {
  return IdentityFrom(InfoOf(reinterpret_cast<HANDLE>(handle_)));
}

void TempFile::ReplaceTarget(FileLock* held) {
  if (const std::error_code injected = detail::InjectedAt(SaveStep::kReplace))
    throw std::system_error(injected);
  const auto h = reinterpret_cast<HANDLE>(handle_);
  if (held != nullptr) held->Release();
  // The new file keeps the attributes of the one it replaces (hidden, archive, read-only). A
  // read-only target refuses to be replaced, so that attribute is lifted for the step and put
  // back on the new file.
  const DWORD attributes = ::GetFileAttributesW(target_.c_str());
  const bool replaces = attributes != INVALID_FILE_ATTRIBUTES;
  if (replaces && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(target_.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  // Older systems and file systems without the POSIX rename get MoveFileEx, which writes the
  // rename through to the disk before it returns. A virus scanner or an indexer that has just
  // opened the new file or the target holds it for a moment; the step is tried again for a
  // second before it counts as refused.
  bool replaced = false;
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; !replaced && attempt < 10; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    replaced = RenameOpenFile(h, target_, true) ||
               ::MoveFileExW(path_.c_str(), target_.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    error = replaced ? ERROR_SUCCESS : ::GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
  }
  if (!replaced) {
    if (replaces && (attributes & FILE_ATTRIBUTE_READONLY))
      ::SetFileAttributesW(target_.c_str(), attributes);
    Throw(PortableError(error));
  }
  done_ = true;
  UnregisterTemp(slot_);
  slot_ = -1;
  ::FlushFileBuffers(h);
  if (replaces) ::SetFileAttributesW(target_.c_str(), attributes);
}

bool TempFile::MoveToNewName(const fs::path& name) {
  if (!RenameOpenFile(reinterpret_cast<HANDLE>(handle_), name, false) &&
      !::MoveFileExW(path_.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    Throw(PortableError(error));
  }
  done_ = true;
  UnregisterTemp(slot_);
  slot_ = -1;
  return true;
}

void LeftoverCleanup(const fs::path& target) noexcept {
  try {
    const std::wstring target_name = target.filename().native();
    std::error_code error;
    for (fs::directory_iterator it(FolderOf(target), error), end; !error && it != end;
         it.increment(error)) {
      const fs::path& candidate = it->path();
      if (!detail::IsTempNameFor<wchar_t>(candidate.filename().native(), target_name)) continue;
      // Opened without sharing, which fails while a living save holds the file; a link is
      // opened as itself and left alone.
      const Handle file(::CreateFileW(candidate.c_str(), GENERIC_READ | DELETE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!file.valid()) continue;
      BY_HANDLE_FILE_INFORMATION info{};
      // Never a second name of another file.
      if (::GetFileType(file.get()) != FILE_TYPE_DISK ||
          !::GetFileInformationByHandle(file.get(), &info) ||
          (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
          info.nNumberOfLinks != 1)
        continue;
      FILE_DISPOSITION_INFO dispose{};
      dispose.DeleteFile = TRUE;
      ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose);
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
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = std::exchange(other.handle_, -1);
    identity_ = other.identity_;
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

void FileLock::Release() noexcept {
  // Closing the handle releases its lock.
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)));
}

FileLock FileLock::Acquire(const fs::path& path, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    // Delete sharing, so that the save that holds this lock can replace the file.
    Handle file(OpenShared(path, GENERIC_READ));
    if (!file.valid()) ThrowLast();
    const FileIdentity locked = IdentityFrom(RegularFileInfo(file.get()));
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                     &at)) {
      // A save that finished while this one waited has put a new file at the name; the lock on
      // the old one protects nothing, so the new one is locked instead.
      const std::optional<FileIdentity> named = IdentityOf(path);
      if (named && named->SameFile(locked)) {
        FileLock lock;
        lock.handle_ = reinterpret_cast<intptr_t>(file.release());
        lock.identity_ = *named;
        return lock;
      }
      continue;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) Throw(PortableError(error));
    if (std::chrono::steady_clock::now() >= deadline) return FileLock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// --- interrupts, clocks, the program and the machine -----------------------------------------

void InstallInterruptCleanup() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

std::tm detail::BrokenDownTime(std::time_t time, bool local) {
  std::tm tm{};
  if (local) {
    ::localtime_s(&tm, &time);
  } else {
    ::gmtime_s(&tm, &time);
  }
  return tm;
}

fs::path ExecutableDir(const char* argv0) {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) break;
    if (length < self.size()) {
      self.resize(length);
      return fs::path(self).parent_path();
    }
    self.resize(self.size() * 2);
  }
  std::error_code error;
  return fs::absolute(argv0 != nullptr ? argv0 : "", error).parent_path();
}

unsigned CoreCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0)
    return static_cast<unsigned>(std::popcount(uint64_t{process}));
  return std::max(1U, std::thread::hardware_concurrency());
}

bool StderrIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void* AllocateHugePages(std::size_t) noexcept {
  // Large pages need a privilege that ordinary users lack, and the C runtime's aligned blocks
  // cannot be given to std::free or std::realloc.
  return nullptr;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  // The narrow arguments are in the ANSI code page, which cannot hold every Chinese name.
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(std::max(bytes, 1)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
    arg.resize(arg.size() - 1);  // the terminating zero
    args.push_back(std::move(arg));
  }
  ::LocalFree(wide);
  return args;
}

void SetUpConsole() {
  // Text mode would turn "\n" into "\r\n": output redirected to a file or read by a script is
  // then the same as on Linux.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  // Messages are UTF-8; the console shows them as such, and gets its code page back at exit.
  static const UINT previous = ::GetConsoleOutputCP();
  if (previous == 0 || previous == CP_UTF8) return;
  ::SetConsoleOutputCP(CP_UTF8);
  std::atexit([] { ::SetConsoleOutputCP(previous); });
}

// Code page 54936 is GB 18030; 936 is GBK, which Chinese Windows itself writes. A system without
// 54936 (Wine) reads GBK, which is all but the four-byte sequences.
std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
  const UINT code_page = ::IsValidCodePage(54936) ? 54936 : 936;
  const std::optional<std::wstring> wide = Widen(code_page, bytes);
  if (!wide) return std::nullopt;
  return Narrow(CP_UTF8, *wide);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  const std::optional<std::wstring> wide = Widen(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  return Narrow(936, *wide);
}

}  // namespace vardex::host::platform
