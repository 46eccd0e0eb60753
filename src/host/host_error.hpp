// The one error type of the workbook engine and the generators built on it: a number in the
// spreadsheet host's tradition (callers branch on it) and a description that names the file,
// part, sheet and cell where it can.
#pragma once

#include <stdexcept>
#include <string>

namespace vardex::host {

/// Error numbers that callers rely on.
enum HostErrorNumber : int {
  kErrOverflow = 6,       ///< arithmetic overflow (e.g. a random range wider than 32 bits)
  kErrSubscript = 9,      ///< a sheet (or other item) that does not exist
  kErrTypeMismatch = 13,  ///< a value that is not a number where a number is required
  kErrFileBusy = 70,      ///< another Vardex run keeps the file (calculating or saving it)
  kErrReadOnlyFile = 75,  ///< the file to replace is read-only (and replacing it was not asked)
  kErrCannotOpen = 1004,  ///< a workbook cannot be opened, or a range operation is invalid
  kErrCannotSave = 1005,  ///< a workbook cannot be written (disk full, read-only, ...)
  /// the file changed after it was read; the result was kept beside it under another name
  kErrChangedOnDisk = 1006,
};

/// Thrown by every engine operation that fails. what() is the description.
class HostError : public std::runtime_error {
 public:
  HostError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

}  // namespace vardex::host
