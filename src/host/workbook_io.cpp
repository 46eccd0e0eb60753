// Opening workbooks from files or memory and saving them atomically, through the platform layer.
#include <cerrno>
#include <system_error>

#include "host/engine_text.hpp"
#include "host/file_bytes.hpp"
#include "host/file_kind.hpp"
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"
#include "host/workbook_impl.hpp"
#include "host/xlsx_package.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;

// The largest file Open reads; the package's limits then bound what it may inflate to.
constexpr uint64_t kMaxFileBytes = uint64_t{2} << 30;

std::string ReadCause(const std::system_error& e) {
  const std::error_code code = e.code();
  if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
    return "文件不存在";
  if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted)
    return "没有读取权限";
  if (code == std::errc::is_a_directory) return "这是一个文件夹";
  if (code == std::errc::invalid_argument) return std::string(text::kNotRegularFile);
  if (code == std::errc::file_too_large) return std::string(text::kFileTooLarge);
  if (code == std::errc::too_many_symbolic_link_levels) return "符号链接层数过多";
  return "无法读取（系统错误 " + std::to_string(code.value()) + "）";
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

std::string FileName(const fs::path& p) { return PathText(p.filename()); }

Workbook Load(std::shared_ptr<const std::string> bytes, const std::string& display_name) {
  Workbook book;
  auto& b = book.impl();
  b = Workbook::Impl();
  b.display_name = display_name;
  try {
    detail::LoadPackage(book, detail::Package(std::move(bytes), display_name));
  } catch (const std::bad_alloc&) {
    throw HostError(kErrCannotOpen, text::CannotOpen(display_name, "内存不足"));
  } catch (const std::length_error&) {
    throw HostError(kErrCannotOpen, text::CannotOpen(display_name, text::kFileTooLarge));
  }
  if (book.SheetCount() == 0)
    throw HostError(kErrCannotOpen, text::CannotOpen(display_name, "不包含任何工作表"));
  return book;
}

bool IsTemplateName(const std::string& lower) {
  return lower.ends_with(".xltx") || lower.ends_with(".xltm");
}

bool IsWorkbookName(const std::string& ext) {
  return ext == ".xlsx" || ext == ".xlsm" || ext == ".xltx" || ext == ".xltm";
}

// The lock of a run on `file`, or the refusal when another run keeps it past the wait.
platform::FileLock LockOrRefuse(const fs::path& file, int error_number,
                                std::string (*message)(std::string_view, std::string_view)) {
  try {
    platform::FileLock lock = platform::FileLock::Acquire(file, kLockWait);
    if (!lock.Held()) throw HostError(kErrFileBusy, message(FileName(file), text::kFileBusy));
    return lock;
  } catch (const std::system_error& e) {
    throw HostError(error_number, message(FileName(file), error_number == kErrCannotOpen
                                                              ? text::ReadFailed(ReadCause(e))
                                                              : detail::SaveCause(e)));
  }
}

// "<name>-计算结果.xlsx", then "-计算结果-2" and so on: where a save keeps its result when the
// file it would replace changed after it was read.
fs::path ResultName(const fs::path& target, int n) {
  std::string name = PathText(target.stem()) + "-计算结果";
  if (n > 1) name += "-" + std::to_string(n);
  return target.parent_path() / PathFromText(name + PathText(target.extension()));
}

}  // namespace

std::string detail::SaveCause(const std::system_error& e) {
  const std::error_code code = e.code();
  if (code == std::errc::no_space_on_device) return "磁盘空间不足";
#ifdef EDQUOT
  if (code.value() == EDQUOT && code.category() == std::generic_category()) return "超出磁盘配额";
#endif
  if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted)
    return "没有写入权限";
  if (code == std::errc::read_only_file_system) return "文件系统只读";
  if (code == std::errc::is_a_directory) return std::string(text::kTargetIsDirectory);
  if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
    return "文件夹不存在";
  if (code == std::errc::io_error) return "输入输出错误";
  if (code == std::errc::invalid_argument) return std::string(text::kNotRegularFile);
  if (code == std::errc::cross_device_link) return "不能跨磁盘替换文件";
  if (code == std::errc::too_many_symbolic_link_levels) return "符号链接层数过多";
  if (code == std::errc::filename_too_long) return "文件名过长";
  return "系统错误 " + std::to_string(code.value());
}

std::string ReadFileBytes(const std::filesystem::path& path, uint64_t max_bytes) {
  try {
    return platform::ReadRegularFile(path, max_bytes).bytes;
  } catch (const std::system_error& e) {
    const std::string cause = ReadCause(e);
    throw HostError(kErrCannotOpen,
                    e.code() == std::errc::file_too_large ? cause : text::ReadFailed(cause));
  }
}

void SaveBytesAtomically(const std::filesystem::path& path, std::string_view bytes) {
  const fs::path target = platform::SaveTarget(path);
  try {
    platform::TempFile temp(target);
    try {
      temp.WriteDurably(bytes);
    } catch (const std::system_error& e) {
      throw HostError(kErrCannotSave,
                      text::SaveWriteFailed(FileName(temp.Path()), detail::SaveCause(e)));
    }
    try {
      temp.ReplaceTarget();
    } catch (const std::system_error& e) {
      throw HostError(kErrCannotSave, text::SaveRenameFailed(detail::SaveCause(e)));
    }
  } catch (const std::system_error& e) {
    // The temporary file could not be made beside the target.
    throw HostError(kErrCannotSave, text::SaveWriteFailed({}, detail::SaveCause(e)));
  }
}

Workbook Workbook::Open(const std::filesystem::path& path) {
  const std::string name = FileName(path);
  const std::string ext = Lower(PathText(path.extension()));
  if (ext == ".xls") {
    // Usually an Excel 97-2003 workbook; say so (or what else it is) rather than just "no".
    std::string head;
    try {
      head = platform::ReadRegularFile(path, kMaxFileBytes).bytes;
    } catch (const std::system_error&) {
    }
    if (detail::IsOleFile(head))
      throw HostError(kErrCannotOpen, text::CannotOpen(name, detail::NotPackageReason(head)));
  }
  if (!IsWorkbookName(ext))
    throw HostError(kErrCannotOpen, text::CannotOpen(name, text::UnsupportedExtension(ext)));
  // Whatever killed saves left beside the file goes now, whether or not this run saves.
  platform::LeftoverCleanup(platform::SaveTarget(path));
  platform::FileContent content;
  try {
    content = platform::ReadRegularFile(path, kMaxFileBytes);
  } catch (const std::system_error& e) {
    throw HostError(kErrCannotOpen, text::CannotOpen(name, text::ReadFailed(ReadCause(e))));
  }
  const bool from_template = ext == ".xltx" || ext == ".xltm";
  Workbook book = Load(std::make_shared<const std::string>(std::move(content.bytes)), name);
  // A template opens as a new, untitled workbook based on it.
  if (!from_template) {
    book.impl().path = path;
    book.impl().loaded_identity = content.identity;
  }
  return book;
}

Workbook Workbook::OpenForUpdate(const std::filesystem::path& path) {
  auto lock = std::make_shared<platform::FileLock>(
      LockOrRefuse(platform::SaveTarget(path), kErrCannotOpen, text::CannotOpen));
  Workbook book = Open(path);
  book.impl().lock = std::move(lock);
  return book;
}

Workbook Workbook::OpenBytes(std::string_view bytes, std::string_view display_name) {
  const std::string name(display_name);
  return Load(std::make_shared<const std::string>(bytes), name);
}

void Workbook::Save(const SaveOptions& options) {
  if (impl_->path.empty())
    throw HostError(kErrCannotSave, text::CannotSave(impl_->display_name, text::kUntitled));
  SaveTo(impl_->path, options, true);
}

void Workbook::SaveAs(const std::filesystem::path& path, const SaveOptions& options) {
  SaveTo(path, options, false);
}

void Workbook::SaveTo(const std::filesystem::path& path, const SaveOptions& options,
                      bool in_place) {
  const std::string name = FileName(path);
  const std::string ext = Lower(PathText(path.extension()));
  // Saved over the file it came from, a workbook keeps that file's type (a macro workbook named
  // .xlsx stays one, as it was); saved under a name, it takes the type the name says.
  std::string main_type = impl_->main_type;
  if (!in_place) {
    if (!IsWorkbookName(ext))
      throw HostError(kErrCannotSave, text::CannotSave(name, text::kSaveExtension));
    const bool macro_name = ext == ".xlsm" || ext == ".xltm";
    if (macro_name != impl_->has_macros) {
      throw HostError(kErrCannotSave,
                      text::CannotSave(name, impl_->has_macros ? text::kMacrosNeedMacroName
                                                               : text::kNoMacrosNeedPlainName));
    }
    main_type = detail::MainContentType(impl_->has_macros, IsTemplateName(ext));
  }
  std::error_code ec;
  if (fs::is_directory(path, ec))
    throw HostError(kErrCannotSave, text::CannotSave(name, text::kTargetIsDirectory));

  // A link to a project stays a link: the file it leads to is the one replaced.
  const fs::path target = platform::SaveTarget(path);
  const std::optional<platform::FileIdentity> existing = platform::IdentityOf(target);

  // Another run on the same file waits for this save; the run that opened the file for an
  // update holds the lock already.
  platform::FileLock lock;
  const bool held = impl_->lock && existing && impl_->lock->Identity().SameFile(*existing);
  if (existing && !held) lock = LockOrRefuse(target, kErrCannotSave, text::CannotSave);

  std::string bytes;
  try {
    bytes = detail::BuildPackage(*this, detail::ZipOptions{}, main_type);
  } catch (const HostError& e) {
    throw HostError(kErrCannotSave, text::CannotSave(name, e.what()));
  } catch (const std::bad_alloc&) {
    throw HostError(kErrCannotSave, text::CannotSave(name, "内存不足"));
  }

  // The file this workbook was read from must still be that file: a newer version written by
  // someone else (or its removal) is not overwritten with results from the old one.
  const std::optional<platform::FileIdentity> now = platform::IdentityOf(target);
  const bool changed = in_place && impl_->loaded_identity && now != impl_->loaded_identity;
  if (!changed && now && platform::IsReadOnly(target) && !options.replace_read_only)
    throw HostError(kErrReadOnlyFile, text::CannotSave(name, text::kReadOnlyFile));

  try {
    platform::TempFile temp(target);
    try {
      temp.WriteDurably(bytes);
    } catch (const std::system_error& e) {
      throw HostError(kErrCannotSave,
                      text::CannotSave(name, text::SaveWriteFailed(FileName(temp.Path()),
                                                                   detail::SaveCause(e))));
    }
    const platform::FileIdentity written = temp.Identity();
    if (changed) {
      for (int n = 1; n < 100; ++n) {
        const fs::path kept = ResultName(target, n);
        if (temp.MoveToNewName(kept))
          throw HostError(kErrChangedOnDisk,
                          text::CannotSave(name, text::ChangedOnDisk(FileName(kept))));
      }
      throw HostError(kErrChangedOnDisk, text::CannotSave(name, text::ChangedOnDisk({})));
    }
    try {
      temp.ReplaceTarget(held ? impl_->lock.get() : &lock);
    } catch (const std::system_error& e) {
      throw HostError(kErrCannotSave,
                      text::CannotSave(name, text::SaveRenameFailed(detail::SaveCause(e))));
    }
    impl_->loaded_identity = written;
  } catch (const std::system_error& e) {
    // The temporary file could not be made, or the result could not be kept beside the file.
    throw HostError(kErrCannotSave,
                    text::CannotSave(name, text::SaveWriteFailed({}, detail::SaveCause(e))));
  }
  if (!in_place) impl_->lock.reset();  // the run's lock was on another file
  impl_->path = path;
  impl_->display_name = name;
  impl_->main_type = main_type;
  impl_->saved = true;
}

}  // namespace vardex::host
