// A field file as read from the disk, and its text as lines of UTF-8 whatever the instrument or
// PC wrote: UTF-8 with or without a byte order mark, or GBK; CR LF, LF or CR line ends; blanks at
// line ends dropped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_error.hpp"

namespace vardex {

/// A field file's name (without folder) and its bytes as they are on the disk.
struct FieldFile {
  std::string Name;
  std::string Bytes;
};

/// One line of a field file's text, UTF-8, without its line end and trailing blanks.
struct FieldLine {
  int32_t Number = 0;  ///< 1-based
  std::string Text;
};

/// Bad field data: what() names the file and, where there is one, the line
/// ("文件“a.gsi”第 12 行：…"). Number() is 13 for content, 1004 for a file that cannot be read.
class FieldDataError : public host::HostError {
 public:
  FieldDataError(std::string_view file, int32_t line, std::string_view detail,
                 int number = host::kErrTypeMismatch);
  const std::string& File() const noexcept { return file_; }
  int32_t Line() const noexcept { return line_; }
  /// The problem alone, without file and line.
  const std::string& Detail() const noexcept { return detail_; }

 private:
  std::string file_;
  int32_t line_;
  std::string detail_;
};

/// Reads the file at `path` (at most 256 MB). Throws FieldDataError(1004) naming it when it
/// cannot be read.
FieldFile LoadFieldFile(const std::filesystem::path& path);

/// The SHA-256 of the file's bytes, 64 lower-case hexadecimal digits.
std::string FieldFileDigest(const FieldFile& file);

/// The file's text as lines: a UTF-8 byte order mark is dropped; text that is not valid UTF-8 is
/// read as GBK. Throws FieldDataError for binary content (a NUL byte), UTF-16 text, or a line
/// that is neither UTF-8 nor GBK.
std::vector<FieldLine> FieldTextLines(const FieldFile& file);

/// The text with leading and trailing blanks (spaces, tabs) removed.
std::string_view TrimBlanks(std::string_view text) noexcept;

/// Splits a line of a delimited file at `separator`, each field trimmed of blanks. Double quotes
/// enclose fields that hold the separator; a doubled quote inside them stands for one.
std::vector<std::string> SplitFields(std::string_view line, char separator);

/// How many columns the text takes on a fixed-width record: 1 for an ASCII character, 2 for any
/// other (as GBK stores Chinese characters in two bytes).
std::size_t RecordWidth(std::string_view utf8) noexcept;

}  // namespace vardex
