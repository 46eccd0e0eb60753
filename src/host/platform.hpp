// The one place where the core meets the operating system: files and their identity, the atomic
// save's steps, the advisory lock on a project, interrupt clean-up, clocks, the program's folder
// and the number of cores. One implementation file per operating system (platform_posix.cpp,
// platform_windows.cpp), chosen by the build. Errors are std::system_error with a portable
// std::errc value, so that callers word them without knowing the system.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vardex::host::platform {

/// One version of one file: which file it is (volume and file number: device and inode, or the
/// volume serial number and file index) and its size and modification time. A file replaced,
/// edited or deleted since it was read no longer compares equal.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t file = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;  ///< modification time, nanoseconds since the epoch
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  bool SameFile(const FileIdentity& other) const noexcept {
    return volume == other.volume && file == other.file;
  }
};

/// The whole content of a regular file and the identity of what was read. Never blocks on a
/// pipe or device: anything but a regular file throws std::errc::invalid_argument; a directory
/// std::errc::is_a_directory; a file over `max_bytes` std::errc::file_too_large.
struct FileContent {
  std::string bytes;
  FileIdentity identity;
};
FileContent ReadRegularFile(const std::filesystem::path& path, uint64_t max_bytes);

/// The identity of what `path` names now (links followed), or nothing when it does not exist.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

/// True when the file exists and may not be written by this user (no write permission, or the
/// read-only attribute).
bool IsReadOnly(const std::filesystem::path& path);

/// The file a save to `path` must replace: `path` itself, or, when it is a symbolic link to an
/// existing file, the file the link leads to (the link stays a link).
std::filesystem::path SaveTarget(const std::filesystem::path& path);

/// A new file beside a target, opened for writing, that becomes the target in one step. Its
/// name is unpredictable and it is created exclusively: never an existing name, never through a
/// link. It takes the target's permissions (and owner where allowed). Until it is committed it
/// is removed by its destructor and, on SIGINT or SIGTERM, by the interrupt clean-up; while it
/// is open, LeftoverCleanup() leaves it alone.
class FileLock;
class TempFile {
 public:
  /// Throws std::system_error.
  explicit TempFile(const std::filesystem::path& target);
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  const std::filesystem::path& Path() const noexcept { return path_; }
  /// Writes every byte and flushes it to the disk. Throws std::system_error.
  void WriteDurably(std::string_view bytes);
  /// The identity the file has now (and keeps when it becomes the target).
  FileIdentity Identity() const;
  /// Replaces the target with this file in one step and makes the rename durable. `held`, the
  /// lock this process holds on the target if any, ends with the step (no one can name the
  /// replaced file any more); Windows, which cannot replace a file that the lock keeps open, ends
  /// it just before. Throws std::system_error; the file is then still there (and removed by the
  /// destructor).
  void ReplaceTarget(FileLock* held = nullptr);
  /// Gives the file the new name `name` in the target's folder unless that name exists; false
  /// when it does. Throws std::system_error for other failures.
  bool MoveToNewName(const std::filesystem::path& name);

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
  intptr_t handle_ = -1;
  int slot_ = -1;  ///< place in the interrupt clean-up list
  bool done_ = false;
};

/// Removes what killed saves to `target` left beside it: only files of this user, named as
/// TempFile names them for that target, that no living save holds open. Never throws.
void LeftoverCleanup(const std::filesystem::path& target) noexcept;

/// The advisory lock that Vardex runs hold on a project for the length of a calculation or a
/// save, so that two runs on one file take turns. Another process (or another lock in this one)
/// that holds it makes Acquire wait.
class FileLock {
 public:
  FileLock() = default;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  /// Locks the existing file `path` (links followed), waiting up to `wait` for another holder.
  /// An empty lock (Held() false) when the wait ran out. Throws std::system_error when the file
  /// cannot be opened.
  static FileLock Acquire(const std::filesystem::path& path, std::chrono::milliseconds wait);
  bool Held() const noexcept { return handle_ != -1; }
  /// Gives the lock up now, as the destructor would.
  void Release() noexcept;
  /// The identity of the locked file.
  const FileIdentity& Identity() const noexcept { return identity_; }

 private:
  intptr_t handle_ = -1;
  FileIdentity identity_;
};

/// Removes the unfinished temporary files of saves in progress when the process is interrupted
/// (SIGINT, SIGTERM, SIGHUP, or the console's close events), then lets the interrupt end it as
/// before. Call once at start-up.
void InstallInterruptCleanup();

/// Now in UTC as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcNowText();
/// Now in local time, broken down.
struct LocalTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
LocalTime LocalNow();

/// The folder of the running program (`argv0` when the system cannot say).
std::filesystem::path ExecutableDir(const char* argv0);
/// The number of processor cores this process may use (at least 1).
unsigned CoreCount();
/// True when standard error is a terminal (progress lines are drawn only there).
bool StderrIsTerminal();
/// The program's arguments (the program's name first) in UTF-8, whatever the system's code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
/// Standard output and error as on Linux: UTF-8 that the console shows as such (Chinese messages
/// on Windows), lines that end in "\n" alone.
void SetUpConsole();
/// GB 18030 bytes (a superset of GBK, the Chinese Windows code page) as UTF-8, or nothing when
/// they are not valid in that encoding.
std::optional<std::string> Gb18030ToUtf8(std::string_view bytes);
/// UTF-8 text as GBK bytes, or nothing when a character has no GBK form or the text is not valid
/// UTF-8.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
/// A block of `size` bytes (a multiple of kHugePageSize) aligned to a huge page, that the system
/// is asked to back with huge pages, and that std::free releases; nullptr where the system has no
/// such blocks for ordinary users (the caller then allocates as usual).
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
void* AllocateHugePages(std::size_t size) noexcept;

/// For tests: makes the next saves fail at one step (the write after half of the bytes, or the
/// replace) with `error` until called again with an empty error code.
enum class SaveStep { kWrite, kReplace };
void InjectSaveFailureForTesting(SaveStep step, std::error_code error);

}  // namespace vardex::host::platform
