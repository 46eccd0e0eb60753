// Opening workbooks from files or memory and saving them atomically.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <system_error>

#include "host/engine_text.hpp"
#include "host/file_bytes.hpp"
#include "host/save_file.hpp"
#include "host/workbook.hpp"
#include "host/workbook_impl.hpp"
#include "host/xlsx_package.hpp"

namespace vardex::host {
namespace detail {
namespace {

class RealFiles final : public FileSystem {
 public:
  void WriteDurably(const std::filesystem::path& path, std::string_view bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw std::system_error(errno, std::generic_category());
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        throw std::system_error(err, std::generic_category());
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
      const int err = errno;
      ::close(fd);
      throw std::system_error(err, std::generic_category());
    }
    if (::close(fd) != 0) throw std::system_error(errno, std::generic_category());
  }

  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0)
      throw std::system_error(errno, std::generic_category());
    // The rename itself must reach the disk too.
    std::filesystem::path dir = to.parent_path();
    if (dir.empty()) dir = ".";
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }

  void Remove(const std::filesystem::path& path) noexcept override {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

RealFiles real_files;
FileSystem* current_files = &real_files;

std::string Cause(const std::system_error& e) {
  switch (e.code().value()) {
    case ENOSPC:
      return "磁盘空间不足";
    case EDQUOT:
      return "超出磁盘配额";
    case EACCES:
    case EPERM:
      return "没有写入权限";
    case EROFS:
      return "文件系统只读";
    case EISDIR:
      return std::string(text::kTargetIsDirectory);
    case ENOENT:
    case ENOTDIR:
      return "文件夹不存在";
    default:
      return e.code().message();
  }
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

std::string FileName(const std::filesystem::path& p) { return p.filename().string(); }

}  // namespace

FileSystem& CurrentFileSystem() { return *current_files; }
void SetFileSystemForTesting(FileSystem* fs) { current_files = fs ? fs : &real_files; }

std::filesystem::path SaveTempPath(const std::filesystem::path& target) {
  return target.parent_path() / (target.filename().string() + ".vardex-saving.tmp");
}

}  // namespace detail

namespace {

Workbook Load(std::shared_ptr<const std::string> bytes, const std::string& display_name,
              bool template_source) {
  Workbook book;
  auto& b = book.impl();
  b = Workbook::Impl();
  b.display_name = display_name;
  try {
    detail::LoadPackage(book, detail::Package(std::move(bytes), display_name), template_source);
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

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path, uint64_t max_bytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw HostError(kErrCannotOpen, text::ReadFailed("这是一个文件夹"));
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw HostError(
        kErrCannotOpen,
        text::ReadFailed(std::filesystem::exists(path, ec) ? "没有读取权限" : "文件不存在"));
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw HostError(kErrCannotOpen, text::ReadFailed("无法读取"));
  if (static_cast<uint64_t>(size) > max_bytes)
    throw HostError(kErrCannotOpen, std::string(text::kFileTooLarge));
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  in.read(bytes.data(), size);
  if (!in) throw HostError(kErrCannotOpen, text::ReadFailed("无法读取"));
  return bytes;
}

void SaveBytesAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw HostError(kErrCannotSave, std::string(text::kTargetIsDirectory));
  detail::FileSystem& fs = detail::CurrentFileSystem();
  const std::filesystem::path temp = detail::SaveTempPath(path);
  try {
    fs.WriteDurably(temp, bytes);
  } catch (const std::system_error& e) {
    fs.Remove(temp);
    throw HostError(kErrCannotSave,
                    text::SaveWriteFailed(detail::FileName(temp), detail::Cause(e)));
  }
  // The new file takes the old one's permissions.
  const auto perms = std::filesystem::status(path, ec).permissions();
  if (!ec && perms != std::filesystem::perms::unknown)
    std::filesystem::permissions(temp, perms, ec);
  try {
    fs.Rename(temp, path);
  } catch (const std::system_error& e) {
    fs.Remove(temp);
    throw HostError(kErrCannotSave, text::SaveRenameFailed(detail::Cause(e)));
  }
}

Workbook Workbook::Open(const std::filesystem::path& path) {
  const std::string name = detail::FileName(path);
  const std::string ext = detail::Lower(path.extension().string());
  if (ext != ".xlsx" && ext != ".xlsm" && ext != ".xltx" && ext != ".xltm")
    throw HostError(kErrCannotOpen, text::CannotOpen(name, text::UnsupportedExtension(ext)));
  std::shared_ptr<std::string> bytes;
  try {
    bytes = std::make_shared<std::string>(ReadFileBytes(path, uint64_t{2} << 30));
  } catch (const HostError& e) {
    throw HostError(kErrCannotOpen, text::CannotOpen(name, e.what()));
  }
  const bool from_template = ext == ".xltx" || ext == ".xltm";
  Workbook book = Load(std::move(bytes), name, from_template);
  // A template opens as a new, untitled workbook based on it.
  if (!from_template) book.impl().path = path;
  return book;
}

Workbook Workbook::OpenBytes(std::string_view bytes, std::string_view display_name) {
  const std::string name(display_name);
  return Load(std::make_shared<const std::string>(bytes), name,
              IsTemplateName(detail::Lower(name)));
}

void Workbook::Save() {
  if (impl_->path.empty())
    throw HostError(kErrCannotSave, text::CannotSave(impl_->display_name, text::kUntitled));
  SaveAs(impl_->path);
}

void Workbook::SaveAs(const std::filesystem::path& path) {
  const std::string name = detail::FileName(path);
  const std::string ext = detail::Lower(path.extension().string());
  if (ext != ".xlsx" && ext != ".xlsm")
    throw HostError(kErrCannotSave, text::CannotSave(name, text::kSaveExtension));
  if ((ext == ".xlsm") != impl_->has_macros) {
    throw HostError(
        kErrCannotSave,
        text::CannotSave(name, impl_->has_macros ? "含宏的工作簿只能保存为 .xlsm 文件"
                                                 : "不含宏的工作簿只能保存为 .xlsx 文件"));
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw HostError(kErrCannotSave, text::CannotSave(name, text::kTargetIsDirectory));

  std::string bytes;
  try {
    bytes = detail::BuildPackage(*this, detail::ZipOptions{});
  } catch (const HostError& e) {
    throw HostError(kErrCannotSave, text::CannotSave(name, e.what()));
  } catch (const std::bad_alloc&) {
    throw HostError(kErrCannotSave, text::CannotSave(name, "内存不足"));
  }
  try {
    SaveBytesAtomically(path, bytes);
  } catch (const HostError& e) {
    throw HostError(kErrCannotSave, text::CannotSave(name, e.what()));
  }
  impl_->path = path;
  impl_->display_name = name;
  impl_->saved = true;
}

}  // namespace vardex::host
