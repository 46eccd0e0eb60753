// Streaming atomic file output. The POSIX calls are confined to the three small functions at the
// top; the rename goes through the same file-system seam as workbook saves.
#include "host/atomic_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "host/engine_text.hpp"
#include "host/host_error.hpp"
#include "host/save_file.hpp"

namespace vardex::host {
namespace {

// --- platform: open, write and flush a file descriptor ---------------------------------------
int OpenForWriting(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

// Writes everything or returns the error number.
int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Flushes and closes; returns the error number.
int SyncAndClose(int fd) {
  const int sync = ::fsync(fd) == 0 ? 0 : errno;
  const int close = ::close(fd) == 0 ? 0 : errno;
  return sync != 0 ? sync : close;
}
// ----------------------------------------------------------------------------------------------

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target)
    : target_(std::move(target)), temp_(detail::SaveTempPath(target_)) {
  std::error_code ec;
  if (std::filesystem::is_directory(target_, ec)) Fail(std::string(text::kTargetIsDirectory));
  fd_ = OpenForWriting(temp_);
  if (fd_ < 0) {
    const std::system_error error(errno, std::generic_category());
    Fail(text::SaveWriteFailed(temp_.filename().string(), detail::Cause(error)));
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (committed_) return;
  if (fd_ >= 0) ::close(fd_);
  detail::CurrentFileSystem().Remove(temp_);
}

void AtomicFileWriter::Fail(const std::string& cause) {
  throw HostError(kErrCannotSave, text::CannotSave(target_.filename().string(), cause));
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0) Fail(text::SaveWriteFailed(temp_.filename().string(), "文件已关闭"));
  buffer_.append(bytes);
  if (buffer_.size() >= (std::size_t{1} << 20)) Flush();
}

void AtomicFileWriter::Flush() {
  const std::string pending = std::move(buffer_);
  buffer_.clear();
  if (const int error = WriteAll(fd_, pending); error != 0) {
    Fail(text::SaveWriteFailed(temp_.filename().string(),
                               detail::Cause(std::system_error(error, std::generic_category()))));
  }
}

void AtomicFileWriter::Commit() {
  if (fd_ < 0) Fail(text::SaveWriteFailed(temp_.filename().string(), "文件已关闭"));
  Flush();
  const int error = SyncAndClose(fd_);
  fd_ = -1;
  if (error != 0) {
    Fail(text::SaveWriteFailed(temp_.filename().string(),
                               detail::Cause(std::system_error(error, std::generic_category()))));
  }
  // The new file takes the old one's permissions, as a saved workbook does.
  std::error_code ec;
  const auto perms = std::filesystem::status(target_, ec).permissions();
  if (!ec && perms != std::filesystem::perms::unknown)
    std::filesystem::permissions(temp_, perms, ec);
  try {
    detail::CurrentFileSystem().Rename(temp_, target_);
  } catch (const std::system_error& e) {
    Fail(text::SaveRenameFailed(detail::Cause(e)));
  }
  committed_ = true;
}

}  // namespace vardex::host
