// A file written piece by piece that appears complete or not at all, for outputs too large to
// build in memory first (a PDF of a long record). Same guarantees as a workbook save: the
// target is either its old content or the complete new one, and a run that is killed leaves no
// half-written file behind.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vardex::host {

namespace platform {
class TempFile;
}

class AtomicFileWriter {
 public:
  /// Starts writing `target`: the bytes go to a temporary file beside it. Throws
  /// HostError(kErrCannotSave) naming the file when that cannot be created.
  explicit AtomicFileWriter(const std::filesystem::path& target);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  /// Without Commit() the temporary file is removed and the target stays as it was.
  ~AtomicFileWriter();

  /// Appends bytes. Throws HostError(kErrCannotSave) naming the file and the cause.
  void Write(std::string_view bytes);
  /// Flushes the bytes to the disk and puts the file in the target's place. Throws
  /// HostError(kErrCannotSave); the target is then unchanged.
  void Commit();

 private:
  [[noreturn]] void Fail(const std::string& cause) const;
  void Flush();

  std::string name_;  ///< the target's file name, for messages
  std::unique_ptr<platform::TempFile> temp_;
  std::string buffer_;  ///< small writes gather here
  bool committed_ = false;
};

}  // namespace vardex::host
