// Streaming atomic file output over the platform layer's temporary file, with the messages of a
// workbook save.
#include "host/atomic_file.hpp"

#include <system_error>

#include "host/engine_text.hpp"
#include "host/host_error.hpp"
#include "host/platform.hpp"
#include "host/workbook_impl.hpp"

namespace vardex::host {
namespace {

// Bytes gathered before they go to the disk: each write is flushed to it, so not too often.
constexpr std::size_t kChunk = std::size_t{4} << 20;

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& target)
    : name_(target.filename().string()) {
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) Fail(std::string(text::kTargetIsDirectory));
  const std::filesystem::path file = platform::SaveTarget(target);
  platform::LeftoverCleanup(file);
  try {
    temp_ = std::make_unique<platform::TempFile>(file);
  } catch (const std::system_error& e) {
    Fail(text::SaveWriteFailed({}, detail::SaveCause(e)));
  }
}

// The temporary file removes itself unless it became the target.
AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Fail(const std::string& cause) const {
  throw HostError(kErrCannotSave, text::CannotSave(name_, cause));
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (committed_) Fail(text::SaveWriteFailed({}, "文件已关闭"));
  buffer_.append(bytes);
  if (buffer_.size() >= kChunk) Flush();
}

void AtomicFileWriter::Flush() {
  try {
    temp_->WriteDurably(buffer_);
  } catch (const std::system_error& e) {
    Fail(text::SaveWriteFailed(temp_->Path().filename().string(), detail::SaveCause(e)));
  }
  buffer_.clear();
}

void AtomicFileWriter::Commit() {
  if (committed_) Fail(text::SaveWriteFailed({}, "文件已关闭"));
  Flush();
  try {
    temp_->ReplaceTarget();
  } catch (const std::system_error& e) {
    Fail(text::SaveRenameFailed(detail::SaveCause(e)));
  }
  committed_ = true;
}

}  // namespace vardex::host
