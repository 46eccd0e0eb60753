// The file operations of an atomic save, behind a seam so that tests can make them fail
// (disk full, read-only folder, rename refused) and check that the old file survives.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace vardex::host::detail {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// Writes `bytes` to `path` (created or truncated) and flushes them to the disk.
  /// Throws std::system_error.
  virtual void WriteDurably(const std::filesystem::path& path, std::string_view bytes) = 0;
  /// Replaces `to` with `from` in one step. Throws std::system_error.
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  /// Removes a file if it exists; never throws.
  virtual void Remove(const std::filesystem::path& path) noexcept = 0;
};

/// The file system that saves use now.
FileSystem& CurrentFileSystem();
/// Makes saves use `fs` (nullptr restores the real file system). For tests.
void SetFileSystemForTesting(FileSystem* fs);

/// The cause of a failed file operation in the words of the save messages ("磁盘空间不足").
std::string Cause(const std::system_error& e);

/// Where a save to `target` writes first: beside it, named after it, so that a file left by
/// a killed save is recognisable and is replaced by the next save to the same target.
std::filesystem::path SaveTempPath(const std::filesystem::path& target);

}  // namespace vardex::host::detail
