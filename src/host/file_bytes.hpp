// Whole files in and out: field files and stake-out files are read at once and written through the
// same atomic save as workbooks, so a failed export never leaves a truncated file behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vardex::host {

/// The whole file at `path`. Throws HostError(kErrCannotOpen) whose description is the reason
/// alone ("读取失败：文件不存在", "文件过大", ...), for the caller to put behind its own lead
/// that names the file. Files above `max_bytes` are refused before they are read.
std::string ReadFileBytes(const std::filesystem::path& path, uint64_t max_bytes);

/// Writes `bytes` to `path` atomically: a temporary file beside it, flushed to the disk, then
/// renamed over the target, so that `path` is either the complete old file or the complete new
/// one. The new file takes the old one's permissions. Throws HostError(kErrCannotSave) whose
/// description is the reason alone (which step failed and why; the old file is untouched).
void SaveBytesAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vardex::host
